#include "windows/tools_manager_page.h"

#include <shellapi.h>
#include <windowsx.h>

#include <initializer_list>

#include "platform/win32/icons.h"
#include "platform/win32/text_encoding.h"
#include "kit/accessible.h"
#include "kit/bars.h"
#include "kit/controls.h"
#include "kit/dpi.h"
#include "window_rules/dpi.h"

namespace kest {

namespace tools_manager {

namespace {

constexpr WindowClass kPageClass{"TfKestToolsManager", CS_DBLCLKS, nullptr};

struct Hint {
  int id;
  const char* text;
};
constexpr Hint kHints[] = {{upTool, "Up   (<--)"},
                           {newFolderTool, "New folder   (Ctrl+F)"},
                           // Renaming is how a pair is made: the hint of new tools says so.
                           {newToolTool, "New shortcut   (Ctrl+N)\r\nA shortcut named \"NAME (x86)\" beside \"NAME\" is "
                                         "its 32-bit twin: one entry, NAME, which runs the twin on 32-bit targets."},
                           {deleteTool, "Delete item   (Del)"},
                           {refreshTool, "Refresh   (Ctrl+R)"},
                           {createTool, "Apply"}};


}  // namespace

void BringToTop(HWND window) {
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool ToolsManager::Create(const RECT& area) {
  return CreatePage(kPageClass, settingsWindow_, area, createDpi_, WS_CLIPCHILDREN);
}

void ToolsManager::Rescale(int dpi) {
  MoveToDpi(dpi);
  // The new font first, then the controls that draw with it; the old one goes after.
  win32::OwnedFont old(font_.release());
  font_.reset(MakeFont("Courier New", Scaled(-11)));
  for (HWND c : {folderTree_, toolbar_, itemList_, nameEdit_})
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  TreeView_SetIndent(folderTree_, Scaled(kTreeIndent));
  MakeImages();
  SendMessageA(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(Scaled(kButtonSize), Scaled(kButtonSize - 2)));
  RECT r{};
  GetClientRect(hwnd(), &r);
  ListView_SetColumnWidth(itemList_, 0, r.right - GetSystemMetrics(SM_CXVSCROLL) - Scaled(4));
  if (IsWindowVisible(nameEdit_)) PlaceNameEdit(false);
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ToolsManager::MakeImages() {
  const int side = SmallIconSizeForDpi(PageDpi());
  int now = 0, height = 0;
  if (images_ && ImageList_GetIconSize(images_.get(), &now, &height) && now == side) return;
  // The tool bar holds the list until it is given the next: the old one goes after.
  win32::OwnedImageList old(images_.release());
  images_ = MakePictureList(side, DrawToolsManagerPictures(side).get(), 0);
  GiveToolBarImages(toolbar_, images_.get(), side);
}

void ToolsManager::OnCreate() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  font_.reset(MakeFont("Courier New", Scaled(-11)));
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  auto child = [&](DWORD ex, const char* cls, DWORD style, int id, int y, int height) {
    HWND w = CreateWindowExA(ex, cls, "", WS_CHILD | style, 0, y, rc.right, height, hwnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return w;
  };
  folderTree_ = child(WS_EX_CLIENTEDGE, WC_TREEVIEWA,
                          WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                          folderTree, 0, Scaled(kTreeHeight));
  toolbar_ = child(0, TOOLBARCLASSNAMEA,
                    WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN |
                        CCS_NODIVIDER,
                    toolbar, Scaled(kTreeHeight), Scaled(kToolbarHeight));
  // Hints of more than one line break at "\r\n" and at this width.
  if (auto tips = reinterpret_cast<HWND>(SendMessageA(toolbar_, TB_GETTOOLTIPS, 0, 0)))
    SendMessageA(tips, TTM_SETMAXTIPWIDTH, 0, Scaled(300));
  itemList_ = child(WS_EX_CLIENTEDGE, WC_LISTVIEWA,
                          WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_EDITLABELS |
                              LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                          itemList, Scaled(kTreeHeight + kToolbarHeight),
                          rc.bottom - Scaled(kTreeHeight + kToolbarHeight));
  nameEdit_ = child(WS_EX_CLIENTEDGE, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, nameEdit, Scaled(kTreeHeight + 2),
                    Scaled(kToolbarHeight - 4));
  SendMessageA(nameEdit_, EM_LIMITTEXT, MAX_PATH, 0);
  SetAccessibleName(folderTree_, "Tool folders");
  SetAccessibleName(itemList_, "Tools");
  SetAccessibleName(nameEdit_, "New folder name");

  // The shell's own image list of small icons: shared by every program, never freed here.
  SHFILEINFOA info{};
  auto system = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
  TreeView_SetImageList(folderTree_, system, TVSIL_NORMAL);
  ListView_SetImageList(itemList_, system, LVSIL_SMALL);
  TreeView_SetIndent(folderTree_, Scaled(kTreeIndent));
  Recolour();
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = rc.right - GetSystemMetrics(SM_CXVSCROLL) - Scaled(4);
  SendMessageA(itemList_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

  SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  MakeImages();
  SendMessageA(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(Scaled(kButtonSize), Scaled(kButtonSize - 2)));
  auto button = [](int image, int id, BYTE state = TBSTATE_ENABLED) {
    TBBUTTON b{};
    b.iBitmap = image;
    b.idCommand = id;
    b.fsState = state;
    b.fsStyle = BTNS_BUTTON;
    b.iString = -1;
    return b;
  };
  TBBUTTON separator{};
  separator.iBitmap = 6;
  separator.fsStyle = BTNS_SEP;
  TBBUTTON buttons[] = {button(tools_picture::kUp, upTool),          separator,
                        button(tools_picture::kNewFolder, newFolderTool), button(tools_picture::kNewShortcut, newToolTool),
                        button(tools_picture::kDelete, deleteTool),       button(tools_picture::kRefresh, refreshTool),
                        button(tools_picture::kApply, createTool, TBSTATE_ENABLED | TBSTATE_HIDDEN)};
  SendMessageA(toolbar_, TB_ADDBUTTONSA, std::size(buttons), reinterpret_cast<LPARAM>(buttons));

  listHook_.Attach(itemList_, settingsWindow_, [this](UINT m, WPARAM w, LPARAM l) { return ListMessage(m, w, l); });
  treeHook_.Attach(folderTree_, settingsWindow_, [this](UINT m, WPARAM w, LPARAM l) { return TreeMessage(m, w, l); });
  editHook_.Attach(nameEdit_, settingsWindow_, [this](UINT m, WPARAM w, LPARAM l) { return EditMessage(m, w, l); });

  FillList(ListCatalogFolder(ctx_.fs, currentFolder_), std::string());
  RefreshTree();
}

void ToolsManager::Recolour() {
  const ColorScheme& colors = ctx_.state.colors;
  background_.reset(CreateSolidBrush(colors.main));
  TreeView_SetBkColor(folderTree_, colors.main);
  TreeView_SetTextColor(folderTree_, colors.font);
  ListView_SetBkColor(itemList_, colors.main);
  ListView_SetTextBkColor(itemList_, colors.main);
  ListView_SetTextColor(itemList_, colors.font);
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ToolsManager::OnSize(int width, int height) {
  if (!itemList_) return;
  const int tree = Scaled(kTreeHeight), list = Scaled(kTreeHeight + kToolbarHeight);
  MoveWindow(folderTree_, 0, 0, width, tree, TRUE);
  MoveWindow(toolbar_, 0, tree, width, list - tree, TRUE);
  MoveWindow(itemList_, 0, list, width, height - list, TRUE);
}

LRESULT ToolsManager::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT rc{};
      GetClientRect(hwnd(), &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, background_.get());
      return 1;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd(), &p);
        bool folder = DropFolderAt(p, false).has_value();
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(folder ? IDC_ARROW : IDC_NO)));
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (dragging_) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd(), &p);
        ReleaseCapture();  // ends the drag (WM_CAPTURECHANGED)
        DropAt(p);
        dragSource_.clear();
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return 0;
    case kRefreshTree:
      treeRefreshPosted_ = false;
      RefreshTree();
      return 0;
    case kRefreshAll:
      RefreshViews();
      return 0;
    case kReportBadName:
      ReportBadName(box_, settingsWindow_, static_cast<NameFault>(wParam));
      return 0;
    case kReportRenameFailure:
      ReportRenameFailure(box_, settingsWindow_, refusedRename_, refusedRenameTo_);
      return 0;
    default:
      break;
  }
  return ToolsManagerPage::HandleMessage(message, wParam, lParam);
}

void ToolsManager::OnCommand(int id, int, HWND) {
  switch (id) {
    case upTool: UpClick(); break;
    case newFolderTool:
    case menuNewFolder: NewFolderClick(); break;
    case newToolTool:
    case menuNewTool: NewToolClick(); break;
    case deleteTool:
    case menuDeleteItem:
    case menuDelete: DeleteClick(); break;
    case refreshTool:
    case menuRefresh: RefreshClick(); break;
    case createTool: CreateClick(); break;
    case menuRename: RenameInList(); break;
    default: break;
  }
}

LRESULT ToolsManager::OnNotify(NMHDR& header) {
  const UINT code = header.code;
  if (code == TTN_GETDISPINFOA || code == TTN_GETDISPINFOW) {
    for (std::size_t i = 0; i < std::size(kHints); ++i) {
      const Hint& h = kHints[i];
      if (static_cast<int>(header.idFrom) != h.id) continue;
      if (code == TTN_GETDISPINFOA) {
        reinterpret_cast<NMTTDISPINFOA&>(header).lpszText = const_cast<char*>(h.text);
      } else {
        // Longer than the notification's own buffer: the text stays where the tooltip reads it.
        static std::wstring wide[std::size(kHints)];
        if (wide[i].empty()) wide[i] = win32::AnsiToWide(h.text);
        reinterpret_cast<NMTTDISPINFOW&>(header).lpszText = wide[i].data();
      }
    }
    return 0;
  }

  if (code == static_cast<UINT>(NM_CUSTOMDRAW) &&
      (header.hwndFrom == itemList_ || header.hwndFrom == folderTree_)) {
    auto& draw = reinterpret_cast<NMCUSTOMDRAW&>(header);
    if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.dwDrawStage == CDDS_ITEMPREPAINT && (draw.uItemState & CDIS_SELECTED)) {
      // The selection in the scheme's colours, inverted, focused or not: the system's own
      // selection colours can match the scheme's text colour and hide the name.
      const ColorScheme& colors = ctx_.state.colors;
      if (header.hwndFrom == itemList_) {
        auto& item = reinterpret_cast<NMLVCUSTOMDRAW&>(header);
        item.clrText = colors.main;
        item.clrTextBk = colors.font;
      } else {
        auto& item = reinterpret_cast<NMTVCUSTOMDRAW&>(header);
        item.clrText = colors.main;
        item.clrTextBk = colors.font;
      }
      draw.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    }
    return CDRF_DODEFAULT;
  }

  if (header.hwndFrom == itemList_) return ListNotify(header);
  if (header.hwndFrom == folderTree_) return TreeNotify(header);
  return 0;
}

bool ToolsManager::OnMeasureItem(MEASUREITEMSTRUCT& item) { return MeasurePictureMenuItem(item, images_.get()); }

bool ToolsManager::OnDrawItem(const DRAWITEMSTRUCT& item) { return DrawPictureMenuItem(item, images_.get()); }

}  // namespace tools_manager

std::unique_ptr<ToolsManagerPage> CreateToolsManagerPage(AppContext& ctx, HWND settingsWindow, const RECT& area,
                                                         int dpi) {
  auto page = std::make_unique<tools_manager::ToolsManager>(ctx, settingsWindow, dpi);
  page->Create(area);
  return page;
}

}  // namespace kest
