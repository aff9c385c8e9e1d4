#include "ui/main_window.h"

#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <vector>

#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "catalog/tool_menus.h"
#include "catalog/work_drive.h"
#include "platform/paths.h"
#include "settings_ui/directory_import.h"
#include "platform/win32/icons.h"
#include "targets/backup.h"
#include "targets/target_store.h"
#include "ui/controls.h"
#include "ui/fast_string_window.h"
#include "ui/main_window_ids.h"

namespace kest {

namespace {

constexpr int kDesignWidth = 277;
constexpr int kDesignHeight = 302;
constexpr int kTitleStripHeight = 11;
constexpr int kCaptionStripHeight = 17;
constexpr int kBottomBarHeight = 20;
// The window's own background, and the colour drawing leaves out.
constexpr COLORREF kTransparencyKey = RGB(0, 128, 0);
constexpr UINT kHintTitleStrip = 1;
constexpr UINT kCatalogChangedMessage = WM_USER + 2;
// Help file question; shown through the wide API so that it reads right on any system.
constexpr const char* kHelpQuestion =
    "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB \xD1\x81\xD0\xBF\xD1\x80\xD0\xB0\xD0\xB2\xD0\xBA\xD0\xB8 "
    "\xD0\xBD\xD0\xB5 \xD0\xBD\xD0\xB0\xD0\xB9\xD0\xB4\xD0\xB5\xD0\xBD. "
    "\xD0\xA5\xD0\xBE\xD1\x82\xD0\xB8\xD1\x82\xD0\xB5 \xD1\x83\xD0\xBA\xD0\xB0\xD0\xB7\xD0\xB0\xD1\x82\xD1\x8C "
    "\xD0\xBF\xD1\x83\xD1\x82\xD1\x8C \xD0\xB2\xD1\x80\xD1\x83\xD1\x87\xD0\xBD\xD1\x83\xD1\x8E?";

HFONT MakeFont(const char* face, int height, bool underline = false, int weight = FW_NORMAL) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, underline, FALSE, RUSSIAN_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

bool Inside(const RECT& r, POINT p) { return PtInRect(&r, p) != FALSE; }

}  // namespace

TfKest::TfKest(AppContext& ctx) : ctx_(ctx) {}

TfKest::~TfKest() {
  for (HFONT f : {font_, listFont_, barFont_, edFont_})
    if (f) DeleteObject(f);
  if (imageList1_) ImageList_Destroy(imageList1_);
}

bool TfKest::Create() {
  static bool registered = false;
  if (!registered) {
    RegisterWindowClass(kMainWindowClass, CS_DBLCLKS, nullptr);
    registered = true;
  }
  return CreateWindowFor(WS_EX_LAYERED | WS_EX_APPWINDOW, kMainWindowClass, kMainWindowText,
                         WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, CW_USEDEFAULT,
                         CW_USEDEFAULT, kDesignWidth, kDesignHeight, nullptr) != nullptr;
}

void TfKest::Show() {
  ShowWindow(hwnd(), SW_SHOW);
  UpdateWindow(hwnd());
}

LRESULT TfKest::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_MEASUREITEM:
      if (menus_ && menus_->MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      return Default(message, wParam, lParam);
    case WM_DRAWITEM: {
      auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType == ODT_MENU) {
        if (menus_) menus_->DrawItem(item);
      } else {
        OnDrawItem(item);
      }
      return TRUE;
    }
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      return Default(message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      OnMouseDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, message == WM_RBUTTONDOWN);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnDoubleClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == lbFTC_) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (p.x == -1 && p.y == -1) GetCursorPos(&p);
        pMenu1Popup(p);
      }
      return 0;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr->hwndFrom == lbFTC_ && hdr->code == NM_DBLCLK) lbFTCDblClick();
      if (hdr->code == TTN_GETDISPINFOA && menus_) {
        // The icon bar's hints: "name [group]".
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        if (const IconBarButton* b = menus_->IconBarTool(static_cast<int>(hdr->idFrom)))
          info->lpszText = const_cast<char*>(b->hint.c_str());
      }
      return 0;
    }
    case WM_DROPFILES:
      DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == edCL_) {
        // The command-line box writes in blue.
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      return Default(message, wParam, lParam);
    case WM_CLOSE:
      // A refused settings write throws out of here: the close is then abandoned and the
      // program keeps running.
      FormCloseQuery();
      FormClose();
      if (kfs_ && kfs_->hwnd()) DestroyWindow(kfs_->hwnd());
      DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      FormDestroy();
      return 0;
    case kForwardMessage:
      WMForwardedCommandLine();
      return 0;
    case kCatalogChangedMessage:
      // The icon bar serves only a run that began in mini mode.
      if (!normalMode_) FillIconBarFromRoot();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

// ---- Creation, close, destruction -------------------------------------------------------

void TfKest::FormCreate() {
  settings_ = std::make_unique<SettingsFile>(ctx_.store, ctx_.exeDir);
  SettingsFile& s = *settings_;
  stayOnTop_ = s.read(opt::StOnTop);
  TheWorkDrive().confirm = s.read(opt::CheckDrive);
  openDialogDir_ = s.readLastDir();
  SetOpacity(s.read(opt::abValue) & 0xFF);
  TheWorkDrive().letter = s.readDriveLetter();
  DragAcceptFiles(hwnd(), TRUE);
  CreateControls();
  SetColors();
  menusOutOfDate_ = true;
  LoadDefaultIcon();
  LoadTargets();
  HandleOwnArgument();
  if (!targets_.empty()) {
    SelectOnly(static_cast<int>(targets_.size()) - 1);
    currentTarget_ = targets_.at(targets_.size() - 1).fullPath();
  } else {
    currentTarget_.clear();
  }
  helpFile_ = s.read(opt::hlp);
  int left = s.read(opt::NMLeft);
  int top = s.read(opt::NMTop);
  int height = s.read(opt::NMHeight);
  int width = s.read(opt::NMWidth);
  normalMode_ = !s.read(opt::IMOnStart);
  SetWindowPos(hwnd(), stayOnTop_ ? HWND_TOPMOST : nullptr, left, top, width, height,
               SWP_NOACTIVATE | (stayOnTop_ ? 0 : SWP_NOZORDER));
  Layout();
}

void TfKest::CreateControls() {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  font_ = MakeFont("Courier New", -11);
  listFont_ = MakeFont("Courier New", -11, true);
  barFont_ = MakeFont("Courier New", -13, false, FW_BOLD);
  edFont_ = MakeFont("MS Serif", -11);

  lbFTC_ = CreateWindowExA(0, WC_LISTVIEWA, "",
                           WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                               LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS,
                           0, 0, 10, 10, hwnd(), reinterpret_cast<HMENU>(ids::lbFTC), inst, nullptr);
  SendMessageA(lbFTC_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<char*>("File");
  column.cx = 150;
  SendMessageA(lbFTC_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.pszText = const_cast<char*>("Directory");
  column.cx = 0;
  SendMessageA(lbFTC_, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
  SetWindowLongPtrA(lbFTC_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  listDefaultProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(lbFTC_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TfKest::ControlProc)));
  imageList1_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
  ListView_SetImageList(lbFTC_, imageList1_, LVSIL_SMALL);

  edCL_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL, 1, kDesignHeight - 42, 272, 19,
                          hwnd(), reinterpret_cast<HMENU>(ids::edCL), inst, nullptr);
  SendMessageA(edCL_, WM_SETFONT, reinterpret_cast<WPARAM>(edFont_), FALSE);
  SetWindowLongPtrA(edCL_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  editDefaultProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edCL_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TfKest::ControlProc)));
  tbIcon_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE,
                            0, 0, kDesignWidth, 24, hwnd(), reinterpret_cast<HMENU>(ids::tbIcon), inst, nullptr);
  SendMessageA(tbIcon_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

  struct Def { int id; const char* caption; int x; const char* hint; };
  const Def caption[] = {{ids::sbClose3, "x", 4, nullptr}, {ids::sbMin3, "-", 19, nullptr},
                         {ids::sbToIcon3, ">", 35, nullptr}, {ids::sbToIcon2, "<", 0, nullptr},
                         {ids::sbMin2, "-", 0, nullptr},    {ids::sbClose2, "x", 0, nullptr}};
  const Def bottom[] = {{ids::sbAddFile, "", 2, "Open file"},       {ids::sbBACKUP, "B", 32, "Backup file"},
                        {ids::sbRESTORE, "R", 57, "Restore file"},  {ids::sbToolsEdit, "", 87, "Kest settings"},
                        {ids::sbRich, "S", 112, "String edit"},     {ids::sbAbout, "A", 0, "Show about panel"},
                        {ids::sbClose, "E", 0, "Bye Bye"}};
  hints_ = CreateHintWindow(hwnd());
  int captionButtonsTop = 1 + kTitleStripHeight + kCaptionStripHeight - 10;
  for (const Def& d : caption) CreateFlatButton(hwnd(), d.id, d.caption, d.x, captionButtonsTop, 16, 10);
  for (const Def& d : bottom) {
    HWND b = CreateFlatButton(hwnd(), d.id, d.caption, d.x, kDesignHeight - kBottomBarHeight, 25, 18);
    AddHint(hints_, hwnd(), b, d.hint);
  }
  AddHintRect(hints_, hwnd(), kHintTitleStrip, TitleStrip(), "Db click to mini mode");
}

void TfKest::SetColors() {
  colors_ = ReadColorScheme(*settings_);
  ListView_SetBkColor(lbFTC_, colors_.main);
  ListView_SetTextBkColor(lbFTC_, colors_.main);
  ListView_SetTextColor(lbFTC_, colors_.font);
  SetLayeredWindowAttributes(hwnd(), kTransparencyKey, static_cast<BYTE>(opacity_), LWA_ALPHA | LWA_COLORKEY);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void TfKest::LoadDefaultIcon() {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  std::string shell32 = std::string(system) + "\\Shell32.dll";
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), shell32.c_str(), 2);
  bool own = icon == nullptr || icon == reinterpret_cast<HICON>(1);
  if (own) icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  menus_ = std::make_unique<CatalogMenus>(
      icon,
      std::vector<FixedItem>{{0, nullptr, -1},
                             {ids::N11, "Copy file path", menu_image::kCopy},
                             {ids::N21, "Delete", menu_image::kDelete},
                             {ids::N31, "Properties", menu_image::kProperties}},
      std::vector<FixedItem>{{0, nullptr, -1},
                             {ids::miKFS, "Kest fast string", -1},
                             {ids::Restore1, "Restore", -1},
                             {ids::Exit3, "Exit", -1}});
  SendMessageA(tbIcon_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(menus_->IconBarImages()));
  ImageList_AddIcon(imageList1_, icon);
  if (!own) DestroyIcon(icon);
}

void TfKest::HandleOwnArgument() {
  DispatchOwnArgument(ctx_.commandLine, ctx_.fs, Dispatch(), ctx_.box, hwnd());
}

PathDispatch TfKest::Dispatch() {
  return PathDispatch{[this](const std::string& p) { AddTarget(p); },
                      [this](const std::string& p) { ImportToolsFromDir(p); }};
}

void TfKest::DispatchPath(const std::string& path) { kest::DispatchPath(ctx_.fs, path, Dispatch()); }

void TfKest::ImportToolsFromDir(const std::string& sourceDir) {
  kest::ImportToolsFromDir(ImportServices{ctx_.fs, ctx_.links, ctx_.box, hwnd(), ctx_.exeDir,
                                          [this] { menusOutOfDate_ = true; }},
                           sourceDir, ToolCatalog::RootOf(ctx_.exeDir) + "\\");
}

void TfKest::WMForwardedCommandLine() {
  ReceiveForwardedArguments(ctx_.atoms, [this](const std::string& path) { DispatchPath(path); });
}

void TfKest::FormCloseQuery() {
  SettingsFile& s = *settings_;
  s.write(opt::KFSOpened, kfs_ && kfs_->IsShown());
  s.write(opt::Drive, std::string(1, TheWorkDrive().letter));
  s.write(opt::LastDir, lastChosenFile_.empty()
                            ? std::string()
                            : paths::WithoutTrailingBackslash(paths::DirectoryOf(lastChosenFile_)));
}

void TfKest::FormClose() {
  kest::SaveTargets(*settings_, targets_, ctx_.box, hwnd());
  SettingsFile& s = *settings_;
  RECT r{};
  GetWindowRect(hwnd(), &r);
  if (normalMode_) {
    s.write(opt::NMLeft, r.left);
    s.write(opt::NMTop, r.top);
    s.write(opt::NMHeight, r.bottom - r.top);
    s.write(opt::NMWidth, r.right - r.left);
    s.write(opt::IMOnStart, false);
  } else {
    s.write(opt::IMLeft, r.left);
    s.write(opt::IMTop, r.top);
    s.write(opt::IMWidth, r.right - r.left);
    s.write(opt::IMHeight, r.bottom - r.top);
    s.write(opt::IMOnStart, true);
  }
  s.write(opt::Minimized, IsIconic(hwnd()) != FALSE);
  s.write(opt::abValue, opacity_);
  // Fade out before the window goes.
  for (int alpha = opacity_; alpha > 170; --alpha)
    SetLayeredWindowAttributes(hwnd(), kTransparencyKey, static_cast<BYTE>(alpha - 1), LWA_ALPHA | LWA_COLORKEY);
}

void TfKest::FormDestroy() {
  ReleaseInstanceMarker(ctx_.atoms);
  PostQuitMessage(0);
}

// ---- Target list ---------------------------------------------------------------------------

void TfKest::LoadTargets() {
  ListView_DeleteAllItems(lbFTC_);
  kest::LoadTargets(*settings_, targets_, [this](const std::string& p) { AddTarget(p); }, ctx_.box, hwnd());
}

std::string TfKest::ShownTargetPath(const std::string& path) {
  return TargetPathToShow(path, [this](const std::string& link) {
    return ResolveShortcut(ctx_.links, ctx_.fs, TheWorkDrive(), link);
  });
}

void TfKest::AddTarget(const std::string& path) {
  std::string shown = ShownTargetPath(path);
  int image = 0;
  // The icon of what was passed in: for a shortcut, the shortcut's own.
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), 0);
  if (icon != nullptr && icon != reinterpret_cast<HICON>(1)) {
    int added = win32::AddIconToImageList(imageList1_, icon);
    if (added >= 0) image = added;
    DestroyIcon(icon);
  }
  std::size_t index = targets_.add(shown, image);
  const Target& t = targets_.at(index);
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = static_cast<int>(index);
  item.pszText = const_cast<char*>(t.fileName.c_str());
  item.iImage = image;
  int at = static_cast<int>(SendMessageA(lbFTC_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  LVITEMA sub{};
  sub.iSubItem = 1;
  sub.pszText = const_cast<char*>(t.directory.c_str());
  SendMessageA(lbFTC_, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
  SelectOnly(at);
  auto selected = SelectedEntry();
  currentTarget_ = selected ? targets_.at(*selected).fullPath() : std::string();
}

void TfKest::SelectOnly(int index) {
  ListView_SetItemState(lbFTC_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(lbFTC_, index, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(lbFTC_, index, LVIS_FOCUSED, LVIS_FOCUSED);
  ListView_EnsureVisible(lbFTC_, index, FALSE);
}

std::optional<std::size_t> TfKest::SelectedEntry() const {
  int i = ListView_GetNextItem(lbFTC_, -1, LVNI_SELECTED);
  if (i < 0 || static_cast<std::size_t>(i) >= targets_.size()) return std::nullopt;
  return static_cast<std::size_t>(i);
}

std::optional<std::size_t> TfKest::FocusedEntry() const {
  int i = ListView_GetNextItem(lbFTC_, -1, LVNI_FOCUSED);
  if (i < 0 || static_cast<std::size_t>(i) >= targets_.size()) return std::nullopt;
  return static_cast<std::size_t>(i);
}

std::optional<std::string> TfKest::FocusedPath() const {
  auto i = FocusedEntry();
  if (!i) return std::nullopt;
  return targets_.at(*i).fullPath();
}

// The subclassed target list and command-line box, with the window's general error handler.
LRESULT CALLBACK TfKest::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TfKest*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  try {
    return hwnd == self->lbFTC_ ? self->HandleListMessage(message, wParam, lParam)
                                : self->HandleEditMessage(message, wParam, lParam);
  } catch (const std::exception& e) {
    ReportUncaught(self->hwnd(), e.what());
    return 0;
  }
}

LRESULT TfKest::HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      LVHITTESTINFO hit{};
      hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      bool onEmptySpace = ListView_HitTest(lbFTC_, &hit) < 0;
      bool left = message == WM_LBUTTONDOWN;
      if (onEmptySpace && left) {
        // The list keeps the focused entry but loses its selection, and the window moves.
        SetFocus(lbFTC_);
        ListView_SetItemState(lbFTC_, -1, 0, LVIS_SELECTED);
        lbFTCMouseDown(true, true);
        return 0;
      }
      LRESULT r = CallWindowProcA(listDefaultProc_, lbFTC_, message, wParam, lParam);
      lbFTCMouseDown(left, onEmptySpace);
      return r;
    }
    case WM_KEYDOWN:
      lbFTCKeyDown(wParam);
      break;
    case WM_KEYUP:
      lbFTCKeyUp(wParam);
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(lbFTC_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listDefaultProc_));
      break;
    default:
      break;
  }
  return CallWindowProcA(listDefaultProc_, lbFTC_, message, wParam, lParam);
}

void TfKest::lbFTCMouseDown(bool leftButton, bool onEmptySpace) {
  auto selected = SelectedEntry();
  if (selected) {
    currentTarget_ = targets_.at(*selected).fullPath();
  } else {
    currentTarget_.clear();
    if (leftButton && onEmptySpace) BeginWindowDrag();
  }
}

void TfKest::lbFTCDblClick() {
  if (currentTarget_.empty()) return;
  ctx_.processes.shellExecute(hwnd(), "", paths::FileNameOf(currentTarget_), "",
                              paths::DirectoryOf(currentTarget_), SW_SHOW);
}

void TfKest::lbFTCKeyDown(WPARAM key) {
  try {
    if (key == VK_CONTROL) {
      commandLineEditing_ = true;
    } else if (key == VK_DELETE) {
      N21Click();
    } else if (key == VK_F1) {
      if (!helpFile_.empty()) WinHelpA(hwnd(), helpFile_.c_str(), HELP_FINDER, 0);
      else OpenHLP();
    }
  } catch (const std::exception&) {
    // Failures of these keys are ignored.
  }
}

void TfKest::lbFTCKeyUp(WPARAM key) {
  if (key == VK_CONTROL) commandLineEditing_ = false;
}

void TfKest::pMenu1Popup(POINT screen) {
  // Bring the current target in line with the press that opened the menu.
  auto selected = SelectedEntry();
  currentTarget_ = selected ? targets_.at(*selected).fullPath() : std::string();
  if (menusOutOfDate_) FillMenuFromRoot();
  // The entry commands are there only while an entry is selected.
  menus_->SetFixedItemsVisible(ToolMenu::Targets, selected.has_value());
  HMENU menu = menus_->Menu(ToolMenu::Targets);
  if (GetMenuItemCount(menu) > 0) {
    SetForegroundWindow(hwnd());
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
    PostMessageA(hwnd(), WM_NULL, 0, 0);
  }
}

// ---- Tools -----------------------------------------------------------------------------------

void TfKest::FillMenuFromRoot() {
  auto events = RecordWalk(ctx_.fs, ToolCatalog::RootOf(ctx_.exeDir));
  ToolChecker checker(ctx_.fs, ctx_.links, TheWorkDrive(), DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, hwnd()});
  menus_->RebuildMenus(events, checker);
  menusOutOfDate_ = false;
  // Launching moves the current directory into the target's.
  ctx_.fs.setCurrentDirectory(ctx_.exeDir);
}

void TfKest::FillIconBarFromRoot() {
  auto events = RecordWalk(ctx_.fs, ToolCatalog::RootOf(ctx_.exeDir));
  ToolChecker checker(ctx_.fs, ctx_.links, TheWorkDrive(), DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, hwnd()});
  menus_->RebuildIconBar(events, checker, tbIcon_);
  ctx_.fs.setCurrentDirectory(ctx_.exeDir);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  SetWindowPos(tbIcon_, nullptr, 0, 0, rc.right, 24, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LaunchServices TfKest::Launching() {
  return LaunchServices{ctx_.fs, ctx_.links, ctx_.processes, TheWorkDrive(),
                        DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, hwnd()}};
}

void TfKest::pMenuItemClickEx(const std::vector<std::string>& captions) {
  MenuLaunch launch = LaunchFromMenu(Launching(), ctx_.exeDir, captions, currentTarget_, commandLineEditing_);
  if (launch.commandLine) {
    SetWindowTextA(edCL_, launch.commandLine->c_str());
    ShowWindow(edCL_, SW_SHOW);
    SetFocus(edCL_);
    return;
  }
  if (launch.ran && settings_->read(opt::MinToolsRun)) ShowWindow(hwnd(), SW_MINIMIZE);
}

void TfKest::pTBIconItemClickEx(const IconBarButton& button) {
  LaunchFromButton(Launching(), button.file, currentTarget_);
}

LRESULT TfKest::HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && edCLKeyDown(wParam)) return 0;
  if (message == WM_CHAR && wParam == '\r') return 0;  // no beep for the Enter just handled
  if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
  if (message == WM_NCDESTROY)
    SetWindowLongPtrA(edCL_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editDefaultProc_));
  return CallWindowProcA(editDefaultProc_, edCL_, message, wParam, lParam);
}

bool TfKest::edCLKeyDown(WPARAM key) {
  if (key != VK_RETURN) return false;
  char text[1024] = {};
  GetWindowTextA(edCL_, text, sizeof text);
  if (text[0] != '\0') {
    ctx_.processes.winExec(text, kSwShowNormal);
    SetWindowTextA(edCL_, "");
    InvalidateRect(lbFTC_, nullptr, TRUE);
  }
  ShowWindow(edCL_, SW_HIDE);
  commandLineEditing_ = false;
  return true;
}

void TfKest::N11Click() {
  if (auto path = FocusedPath()) ctx_.clipboard.setText(hwnd(), *path);
}

void TfKest::N21Click() {
  auto i = FocusedEntry();
  if (!i) return;
  targets_.removeAt(*i);
  ListView_DeleteItem(lbFTC_, static_cast<int>(*i));
}

void TfKest::N31Click() {
  if (auto path = FocusedPath()) ctx_.processes.showProperties(*path);
}

void TfKest::OpenHLP() {
  if (ctx_.box.ask(hwnd(), kHelpQuestion, "Kest confirm", MbButtons::YesNoCancel, MbIcon::Question, true) !=
      MbAnswer::Yes)
    return;
  auto chosen = RunOpenDialog();
  if (!chosen) return;
  std::string ext = paths::ExtensionOf(*chosen);
  if (ext != ".HLP" && ext != ".hlp") return;
  settings_->write(opt::hlp, *chosen);
  helpFile_ = *chosen;
  WinHelpA(hwnd(), helpFile_.c_str(), HELP_FINDER, 0);
}

std::optional<std::string> TfKest::RunOpenDialog() {
  char file[MAX_PATH + 1] = {};
  if (!lastChosenFile_.empty()) lstrcpynA(file, lastChosenFile_.c_str(), MAX_PATH);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = hwnd();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = "Open file to reverse";
  ofn.lpstrInitialDir = openDialogDir_.empty() ? nullptr : openDialogDir_.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return std::nullopt;
  lastChosenFile_ = file;
  // Later openings of the dialog start where this one ended.
  openDialogDir_ = paths::WithoutTrailingBackslash(paths::DirectoryOf(lastChosenFile_));
  return lastChosenFile_;
}

void TfKest::sbAddFileClick() {
  ShowWindow(hwnd(), SW_HIDE);
  auto chosen = RunOpenDialog();
  if (chosen) AddTarget(*chosen);
  ShowWindow(hwnd(), SW_SHOW);
}

void TfKest::DropFiles(HDROP drop) {
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::vector<char> name(length + 1, '\0');
    DragQueryFileA(drop, i, name.data(), length + 1);
    std::string path(name.data());
    AddTarget(ShownTargetPath(path));
  }
  DragFinish(drop);
}

// ---- Frame ---------------------------------------------------------------------------------

void TfKest::OnCommand(int id) {
  switch (id) {
    case ids::sbClose:
    case ids::sbClose2:
    case ids::sbClose3:
    case ids::miExit:
    case ids::Exit3:
      PostMessageA(hwnd(), WM_CLOSE, 0, 0);
      break;
    case ids::sbMin2:
    case ids::sbMin3:
    case ids::miMinimizeToTray:
      ShowWindow(hwnd(), SW_MINIMIZE);
      break;
    case ids::Restore1:
      ShowWindow(hwnd(), SW_RESTORE);
      SetForegroundWindow(hwnd());
      break;
    case ids::sbAddFile:
      sbAddFileClick();
      break;
    case ids::sbBACKUP:
      BackupTarget(ctx_.fs, ctx_.box, hwnd(), FocusedPath());
      break;
    case ids::sbRESTORE:
      RestoreTarget(ctx_.fs, ctx_.box, hwnd(), FocusedPath());
      break;
    case ids::N11:
      N11Click();
      break;
    case ids::N21:
      N21Click();
      break;
    case ids::N31:
      N31Click();
      break;
    default:
      if (menus_) {
        if (auto* captions = menus_->ToolCaptions(id)) {
          std::vector<std::string> copy = *captions;  // the launch's questions run a message loop
          pMenuItemClickEx(copy);
        } else if (auto* button = menus_->IconBarTool(id)) {
          IconBarButton copy = *button;
          pTBIconItemClickEx(copy);
        }
      }
      // Mini mode, the settings window, the fast string window and the about panel come
      // with their own windows.
      break;
  }
}

void TfKest::OnDrawItem(const DRAWITEMSTRUCT& item) {
  Glyph glyph = item.CtlID == ids::sbAddFile     ? Glyph::OpenFile
                : item.CtlID == ids::sbToolsEdit ? Glyph::Settings
                                                 : Glyph::None;
  bool bottom = item.CtlID >= ids::sbAddFile && item.CtlID <= ids::sbClose;
  DrawFlatButton(item, colors_.caption, colors_.font, bottom ? barFont_ : font_, glyph);
}

bool TfKest::OnSetCursor(HWND under, int hit) {
  if (hit != HTCLIENT) return false;
  if (under != hwnd()) {
    char cls[16] = {};
    GetClassNameA(under, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") == 0) {
      SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
      return true;
    }
    return false;
  }
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(hwnd(), &p);
  LPCSTR cursor = Inside(TitleStrip(), p) ? IDC_SIZEALL : Inside(Grip(), p) ? IDC_SIZENWSE : IDC_ARROW;
  SetCursor(LoadCursorA(nullptr, cursor));
  return true;
}

void TfKest::OnMouseDown(POINT p, bool right) {
  if (Inside(Grip(), p)) {
    ReleaseCapture();
    SendMessageA(hwnd(), WM_SYSCOMMAND, SC_SIZE | WMSZ_BOTTOMRIGHT, 0);
    return;
  }
  bool title = Inside(TitleStrip(), p);
  if (title || Inside(CaptionStrip(), p) || Inside(BottomBar(), p)) BeginWindowDrag();
  if (title && right) {
    POINT screen = p;
    ClientToScreen(hwnd(), &screen);
    ShowMainMenu(screen);
  }
}

void TfKest::OnDoubleClick(POINT p) {
  if (Inside(TitleStrip(), p) || Inside(CaptionStrip(), p)) {
    // Mini mode comes with the folder pop-up window.
  }
}

void TfKest::BeginWindowDrag() {
  ReleaseCapture();
  SendMessageA(hwnd(), WM_SYSCOMMAND, 0xF012, 0);
}

void TfKest::ShowMainMenu(POINT screen) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, ids::miToMini, "To mini mide");
  AppendMenuA(menu, MF_STRING, ids::miMinimizeToTray, "Minimize to tray");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, ids::miExit, "Exit");
  SetMenuDefaultItem(menu, ids::miToMini, FALSE);
  SetForegroundWindow(hwnd());
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
  PostMessageA(hwnd(), WM_NULL, 0, 0);
  DestroyMenu(menu);
}

RECT TfKest::TitleStrip() const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  return RECT{1, 1, rc.right - 1, 1 + kTitleStripHeight};
}

RECT TfKest::CaptionStrip() const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  return RECT{1, 1 + kTitleStripHeight, rc.right - 1, 1 + kTitleStripHeight + kCaptionStripHeight};
}

RECT TfKest::BottomBar() const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  return RECT{1, rc.bottom - 1 - kBottomBarHeight, rc.right - 1, rc.bottom - 1};
}

RECT TfKest::Grip() const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  return RECT{rc.right - 10, rc.bottom - 11, rc.right, rc.bottom};
}

void TfKest::Layout() {
  if (!lbFTC_) return;
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  const int W = rc.right, H = rc.bottom;
  int top = 1 + kTitleStripHeight + kCaptionStripHeight;
  int height = H - 1 - kBottomBarHeight - top;
  MoveWindow(lbFTC_, 1, top, W - 2, height > 0 ? height : 0, TRUE);
  ListView_SetColumnWidth(lbFTC_, 0, W - 4);
  MoveWindow(edCL_, 1, H - 42, W - 3, 19, TRUE);
  auto place = [&](int id, int x, int y) {
    HWND b = GetDlgItem(hwnd(), id);
    RECT br{};
    GetWindowRect(b, &br);
    MoveWindow(b, x, y, br.right - br.left, br.bottom - br.top, TRUE);
  };
  int captionTop = 1 + kTitleStripHeight + kCaptionStripHeight - 10;
  place(ids::sbToIcon2, W - 51, captionTop);
  place(ids::sbMin2, W - 35, captionTop);
  place(ids::sbClose2, W - 20, captionTop);
  int barTop = H - kBottomBarHeight;
  for (int id : {ids::sbAddFile, ids::sbBACKUP, ids::sbRESTORE, ids::sbToolsEdit, ids::sbRich}) {
    HWND b = GetDlgItem(hwnd(), id);
    RECT br{};
    GetWindowRect(b, &br);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&br), 2);
    place(id, br.left, barTop);
  }
  place(ids::sbAbout, W - 55, barTop);
  place(ids::sbClose, W - 30, barTop);
  if (hints_) MoveHintRect(hints_, hwnd(), kHintTitleStrip, TitleStrip());
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void TfKest::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  HBRUSH frame = CreateSolidBrush(colors_.caption);
  FillRect(dc, &rc, frame);
  DeleteObject(frame);
  HBRUSH border = CreateSolidBrush(RGB(128, 128, 128));
  FrameRect(dc, &rc, border);
  DeleteObject(border);

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colors_.font);
  HGDIOBJ old = SelectObject(dc, font_);
  RECT title = TitleStrip();
  DrawTextA(dc, "TORVANDE", -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

  // The bottom bar's separating lines and the resize grip.
  HPEN pen = CreatePen(PS_SOLID, 1, colors_.font);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  RECT bar = BottomBar();
  for (int x : {29, 84, 139}) {
    MoveToEx(dc, x, bar.top + 3, nullptr);
    LineTo(dc, x, bar.bottom - 2);
  }
  RECT grip = Grip();
  for (int i = 2; i <= 8; i += 3) {
    MoveToEx(dc, grip.right - 1 - i, grip.bottom - 1, nullptr);
    LineTo(dc, grip.right, grip.bottom - 2 - i);
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  SelectObject(dc, old);
  EndPaint(hwnd(), &ps);
}

void TfKest::SetOpacity(int alpha) {
  opacity_ = alpha;
  SetLayeredWindowAttributes(hwnd(), kTransparencyKey, static_cast<BYTE>(alpha), LWA_ALPHA | LWA_COLORKEY);
}

}  // namespace kest
