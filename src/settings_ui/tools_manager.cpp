#include "settings_ui/tools_manager.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <map>
#include <optional>
#include <vector>

#include "catalog/tool_catalog.h"
#include "platform/paths.h"
#include "platform/win32/handles.h"
#include "platform/win32/icons.h"
#include "settings_ui/catalog_editing.h"
#include "ui/kit/controls.h"
#include "ui/kit/subclass.h"

namespace kest {

namespace {

constexpr WindowClass kPageClass{"TfKestToolsManager", CS_DBLCLKS, nullptr};

// Controls, buttons and menu commands.
enum : int {
  ShellTreeView1 = 100,
  ToolBar1,
  ShellListView1,
  Edit1,
  tbBack = 200,
  tbNewFolder,
  tbNewShortCut,
  tbDel,
  tbRefresh,
  tbCreate,
  miNewFolder = 300,
  miNewTool,
  miRefresh,
  miDeleteItem,
  miRename,
  miDelete,
};

// ImageList1.
enum : int { imgUp, imgNewFolder, imgNewShortcut, imgRefresh, imgApply, imgDelete, imgRename, kImageCount };

constexpr int kTreeHeight = 145;
constexpr int kToolbarHeight = 25;
constexpr int kButtonSize = 25;
constexpr int kEditWidth = 119;
constexpr int kTreeIndent = 19;
constexpr int kCreateButtonIndex = 6;  // tbCreate's place in ToolBar1, the separator counted

// Work that must not run inside a control's own notification or key handling.
constexpr UINT kRefreshTree = WM_APP + 1;
constexpr UINT kRefreshAll = WM_APP + 2;
constexpr UINT kReportBadName = WM_APP + 3;


struct Hint {
  int id;
  const char* text;
};
constexpr Hint kHints[] = {{tbBack, "Up   (<--)"},
                           {tbNewFolder, "New folder   (Ctrl+F)"},
                           {tbNewShortCut, "New shortcut   (Ctrl+N)"},
                           {tbDel, "Delete item   (Del)"},
                           {tbRefresh, "Refresh   (Ctrl+R)"},
                           {tbCreate, "Apply"}};

// The pictures of ImageList1, drawn side by side into one strip.
win32::OwnedBitmap DrawImageList1() {
  win32::PictureStrip strip(kImageCount, win32::kPictureMask);
  HDC dc = strip.dc();
  auto line = [&](COLORREF c, int width, std::initializer_list<POINT> pts) { strip.Line(c, width, pts); };
  auto shape = [&](COLORREF fill, COLORREF edge, std::initializer_list<POINT> pts) { strip.Shape(fill, edge, pts); };
  auto folder = [&] {
    shape(RGB(250, 210, 80), RGB(150, 110, 20), {{1, 4}, {6, 4}, {7, 6}, {14, 6}, {14, 14}, {1, 14}});
  };
  const COLORREF dark = RGB(20, 40, 120), green = RGB(0, 140, 0), red = RGB(210, 0, 0);

  strip.At(imgUp);  // an arrow up out of a folder's level
  line(dark, 2, {{8, 14}, {8, 3}});
  line(dark, 2, {{3, 8}, {8, 3}, {13, 8}});

  strip.At(imgNewFolder);  // a folder with a spark
  folder();
  line(red, 1, {{12, 0}, {12, 5}});
  line(red, 1, {{10, 2}, {15, 2}});

  strip.At(imgNewShortcut);  // a page with the shortcut arrow
  shape(RGB(255, 255, 255), RGB(80, 80, 80), {{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}});
  shape(RGB(255, 255, 255), dark, {{3, 8}, {9, 8}, {9, 14}, {3, 14}});
  line(dark, 1, {{4, 13}, {8, 9}});
  line(dark, 1, {{5, 9}, {8, 9}, {8, 12}});

  strip.At(imgRefresh);  // two arrows round a circle
  {
    win32::OwnedPen pen(CreatePen(PS_SOLID, 2, green));
    win32::ScopedSelect use(dc, pen.get());
    Arc(dc, strip.Left() + 2, 2, strip.Left() + 14, 14, strip.Left() + 14, 4, strip.Left() + 2, 12);
    Arc(dc, strip.Left() + 2, 2, strip.Left() + 14, 14, strip.Left() + 2, 12, strip.Left() + 14, 4);
  }
  line(green, 1, {{10, 2}, {14, 3}, {13, 7}});

  strip.At(imgApply);  // a tick
  line(green, 2, {{2, 8}, {6, 12}, {14, 3}});

  strip.At(imgDelete);  // a cross
  line(red, 2, {{3, 3}, {13, 13}});
  line(red, 2, {{13, 3}, {3, 13}});

  strip.At(imgRename);  // a pencil over a line of text
  line(RGB(80, 80, 80), 1, {{1, 14}, {15, 14}});
  shape(RGB(240, 200, 60), RGB(120, 80, 0), {{3, 12}, {4, 9}, {12, 1}, {15, 4}, {7, 12}});
  line(RGB(0, 0, 0), 1, {{3, 12}, {4, 11}});
  return strip.Take();
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The text of a label edit's end, whichever character set the control chose.
std::optional<std::string> EditedText(const NMHDR& header, bool fromTree) {
  const bool wide = header.code == TVN_ENDLABELEDITW || header.code == LVN_ENDLABELEDITW;
  const void* text = nullptr;
  if (fromTree) text = reinterpret_cast<const NMTVDISPINFOA&>(header).item.pszText;
  else text = reinterpret_cast<const NMLVDISPINFOA&>(header).item.pszText;
  if (!text) return std::nullopt;
  if (!wide) return std::string(static_cast<const char*>(text));
  const wchar_t* w = static_cast<const wchar_t*>(text);
  int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
  s.resize(std::strlen(s.c_str()));
  return s;
}

// Puts the settings window back above the main window it belongs to. Under Wine the main
// window can end up above it once a message box or dialog owned by it has gone, and it then
// takes the clicks meant for the page.
void BringToTop(HWND window) {
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The page's message boxes, each followed by BringToTop.
class RaisingBox final : public MsgBox {
 public:
  RaisingBox(MsgBox& box, HWND window) : box_(box), window_(window) {}
  MbAnswer ask(WindowHandle owner, const std::string& text, const std::string& caption, MbButtons buttons,
               MbIcon icon, bool utf8 = false) override {
    MbAnswer answer = box_.ask(owner, text, caption, buttons, icon, utf8);
    BringToTop(window_);
    return answer;
  }

 private:
  MsgBox& box_;
  HWND window_;
};

class ToolsManager final : public ToolsManagerPage {
 public:
  ToolsManager(AppContext& ctx, HWND settingsWindow)
      : ctx_(ctx),
        settingsWindow_(settingsWindow),
        box_(ctx.box, settingsWindow),
        root_(ToolCatalog::RootOf(ctx.exeDir)),
        currentFolder_(root_) {}
  ~ToolsManager() override {
    if (hwnd()) DestroyWindow(hwnd());
  }

  bool Create(const RECT& area) {
    return CreateWindowFor(kPageClass, WS_EX_CONTROLPARENT, "", WS_CHILD | WS_CLIPCHILDREN, area.left, area.top,
                           area.right - area.left, area.bottom - area.top, settingsWindow_) != nullptr;
  }

  void RefreshViews() override {
    icons_.clear();
    currentFolder_ = NearestExistingFolder(ctx_.fs, root_, currentFolder_);
    auto selected = ListSelected();
    std::string keep = selected ? items_[*selected].name : std::string();
    FillList(ListCatalogFolder(ctx_.fs, currentFolder_), keep);
    RefreshTree();
  }

  std::string CurrentFolder() const override { return currentFolder_; }

 private:
  struct Node {
    std::string path;
    std::uint32_t attributes = 0;
    bool filled = false;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate() override;
  void OnSize(int width, int height) override;
  void OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR& header) override;
  bool OnMeasureItem(MEASUREITEMSTRUCT& item) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  void OnFinalDestroy() override {
    treeHook_.Detach();
    listHook_.Detach();
    editHook_.Detach();
    nodes_.clear();
    ImageList1_.reset();
    font_.reset();
    background_.reset();
  }

  // The views.
  int IconOf(const std::string& path, std::uint32_t attributes);
  void FillList(std::vector<CatalogItem> items, const std::string& selectName);
  void ShowFolder(const std::string& folder, bool selectInTree);
  void ReadList();
  HTREEITEM AddNode(HTREEITEM parent, const std::string& path, const CatalogItem& item);
  void FillNode(HTREEITEM node);
  void RefreshTree();
  HTREEITEM FindNode(const std::string& path);
  void SelectInTree(const std::string& path);
  std::optional<std::string> TreeSelectedPath() const;
  std::optional<std::size_t> ListSelected() const;
  std::optional<std::size_t> ListFocused() const;
  std::string ItemPath(std::size_t i) const { return currentFolder_ + "\\" + items_[i].name; }
  void Renamed(const std::string& from, const std::string& to);

  // The commands.
  void tbBackClick();
  void tbNewFolderClick();
  void tbCreateClick();
  void CloseNameEntry();
  void tbNewShortCutClick();
  std::optional<std::string> RunOpenDialog1();
  void tbDelClick();
  void tbRefreshClick() {
    icons_.clear();
    RefreshTree();
  }
  void RenameInList();
  void RenameInTree();
  void OpenItem(std::size_t i);
  void ShowProperties();
  void ListContextMenu(POINT screen);
  void DropAt(POINT screen);
  std::optional<std::string> DropFolderAt(POINT screen, bool select);

  // Keys of the two views; true when the key was taken.
  bool CommonKeyDown(WPARAM key);
  bool ListKeyDown(WPARAM key);
  LRESULT ListMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT TreeMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT EditMessage(UINT message, WPARAM wParam, LPARAM lParam);

  AppContext& ctx_;
  HWND settingsWindow_;
  RaisingBox box_;
  const std::string root_;     // the catalog root, without trailing backslash
  std::string currentFolder_;  // the folder the list shows, without trailing backslash
  std::vector<CatalogItem> items_;  // the list's entries, in the list's order
  std::map<HTREEITEM, Node> nodes_;
  HTREEITEM rootNode_ = nullptr;
  std::map<std::string, int> icons_;  // system image of each path, for one reading
  HWND ShellTreeView1_ = nullptr;
  HWND ToolBar1_ = nullptr;
  HWND ShellListView1_ = nullptr;
  HWND Edit1_ = nullptr;
  win32::OwnedImageList ImageList1_;
  win32::OwnedFont font_;
  win32::OwnedBrush background_;
  Subclass treeHook_, listHook_, editHook_;
  bool syncing_ = false;            // the page moves the tree's selection itself
  bool treeRefreshPosted_ = false;
  bool dragging_ = false;
  std::string dragSource_;
};

void ToolsManager::OnCreate() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  font_.reset(MakeFont("Courier New", -11));
  background_.reset(CreateSolidBrush(ctx_.state.colors.main));
  ImageList1_.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, kImageCount, 0));
  {
    win32::OwnedBitmap strip = DrawImageList1();  // the image list keeps its own copy
    ImageList_AddMasked(ImageList1_.get(), strip.get(), win32::kPictureMask);
  }
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  auto child = [&](DWORD ex, const char* cls, DWORD style, int id, int y, int height) {
    HWND w = CreateWindowExA(ex, cls, "", WS_CHILD | style, 0, y, rc.right, height, hwnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return w;
  };
  ShellTreeView1_ = child(WS_EX_CLIENTEDGE, WC_TREEVIEWA,
                          WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                          ShellTreeView1, 0, kTreeHeight);
  ToolBar1_ = child(0, TOOLBARCLASSNAMEA,
                    WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NOPARENTALIGN |
                        CCS_NODIVIDER,
                    ToolBar1, kTreeHeight, kToolbarHeight);
  ShellListView1_ = child(WS_EX_CLIENTEDGE, WC_LISTVIEWA,
                          WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_EDITLABELS |
                              LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                          ShellListView1, kTreeHeight + kToolbarHeight, rc.bottom - kTreeHeight - kToolbarHeight);
  Edit1_ = child(WS_EX_CLIENTEDGE, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, Edit1, kTreeHeight + 2, kToolbarHeight - 4);
  SendMessageA(Edit1_, EM_LIMITTEXT, MAX_PATH, 0);

  // The shell's own image list of small icons: shared by every program, never freed here.
  SHFILEINFOA info{};
  auto system = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
  TreeView_SetImageList(ShellTreeView1_, system, TVSIL_NORMAL);
  ListView_SetImageList(ShellListView1_, system, LVSIL_SMALL);
  TreeView_SetIndent(ShellTreeView1_, kTreeIndent);
  const ColorScheme& colors = ctx_.state.colors;
  TreeView_SetBkColor(ShellTreeView1_, colors.main);
  TreeView_SetTextColor(ShellTreeView1_, colors.font);
  ListView_SetBkColor(ShellListView1_, colors.main);
  ListView_SetTextBkColor(ShellListView1_, colors.main);
  ListView_SetTextColor(ShellListView1_, colors.font);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = rc.right - GetSystemMetrics(SM_CXVSCROLL) - 4;
  SendMessageA(ShellListView1_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

  SendMessageA(ToolBar1_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(ToolBar1_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageList1_.get()));
  SendMessageA(ToolBar1_, TB_SETBUTTONSIZE, 0, MAKELPARAM(kButtonSize, kButtonSize - 2));
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
  TBBUTTON buttons[] = {button(imgUp, tbBack),          separator,
                        button(imgNewFolder, tbNewFolder), button(imgNewShortcut, tbNewShortCut),
                        button(imgDelete, tbDel),       button(imgRefresh, tbRefresh),
                        button(imgApply, tbCreate, TBSTATE_ENABLED | TBSTATE_HIDDEN)};
  SendMessageA(ToolBar1_, TB_ADDBUTTONSA, std::size(buttons), reinterpret_cast<LPARAM>(buttons));

  listHook_.Attach(ShellListView1_, settingsWindow_, [this](UINT m, WPARAM w, LPARAM l) { return ListMessage(m, w, l); });
  treeHook_.Attach(ShellTreeView1_, settingsWindow_, [this](UINT m, WPARAM w, LPARAM l) { return TreeMessage(m, w, l); });
  editHook_.Attach(Edit1_, settingsWindow_, [this](UINT m, WPARAM w, LPARAM l) { return EditMessage(m, w, l); });

  FillList(ListCatalogFolder(ctx_.fs, currentFolder_), std::string());
  RefreshTree();
}

void ToolsManager::OnSize(int width, int height) {
  if (!ShellListView1_) return;
  MoveWindow(ShellTreeView1_, 0, 0, width, kTreeHeight, TRUE);
  MoveWindow(ToolBar1_, 0, kTreeHeight, width, kToolbarHeight, TRUE);
  MoveWindow(ShellListView1_, 0, kTreeHeight + kToolbarHeight, width, height - kTreeHeight - kToolbarHeight, TRUE);
}

// ---- The views -----------------------------------------------------------------------------

int ToolsManager::IconOf(const std::string& path, std::uint32_t attributes) {
  auto [it, fresh] = icons_.emplace(path, 0);
  if (!fresh) return it->second;
  SHFILEINFOA info{};
  if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
    // What the shell cannot read gets the picture of its kind.
    DWORD kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    SHGetFileInfoA(path.c_str(), kind, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
  }
  it->second = info.iIcon;
  return it->second;
}

void ToolsManager::FillList(std::vector<CatalogItem> items, const std::string& selectName) {
  SendMessageA(ShellListView1_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(ShellListView1_);
  items_ = std::move(items);
  int select = -1;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(items_[i].display.c_str());
    item.iImage = IconOf(ItemPath(i), items_[i].attributes);
    item.lParam = static_cast<LPARAM>(i);
    SendMessageA(ShellListView1_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (!selectName.empty() && SamePath(items_[i].name, selectName)) select = static_cast<int>(i);
  }
  if (select >= 0) {
    ListView_SetItemState(ShellListView1_, select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(ShellListView1_, select, FALSE);
  }
  SendMessageA(ShellListView1_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(ShellListView1_, nullptr, TRUE);
}

void ToolsManager::ShowFolder(const std::string& folder, bool selectInTree) {
  currentFolder_ = folder;
  FillList(ListCatalogFolder(ctx_.fs, currentFolder_), std::string());
  if (selectInTree) SelectInTree(currentFolder_);
}

void ToolsManager::ReadList() {
  icons_.clear();
  auto selected = ListSelected();
  FillList(ListCatalogFolder(ctx_.fs, currentFolder_), selected ? items_[*selected].name : std::string());
}

HTREEITEM ToolsManager::AddNode(HTREEITEM parent, const std::string& path, const CatalogItem& item) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  insert.item.pszText = const_cast<char*>(item.display.c_str());
  insert.item.iImage = insert.item.iSelectedImage = IconOf(path, item.attributes);
  // A folder shows a button until it is opened and found empty; its content is read then.
  insert.item.cChildren = item.isFolder() ? 1 : 0;
  auto node = reinterpret_cast<HTREEITEM>(
      SendMessageA(ShellTreeView1_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (node) nodes_[node] = Node{path, item.attributes, false};
  return node;
}

void ToolsManager::FillNode(HTREEITEM node) {
  auto it = nodes_.find(node);
  if (it == nodes_.end() || it->second.filled) return;
  it->second.filled = true;
  const std::string path = it->second.path;
  // The list often shows the very folder: its reading serves both views.
  std::vector<CatalogItem> items = SamePath(path, currentFolder_) ? items_ : ListCatalogFolder(ctx_.fs, path);
  for (const CatalogItem& item : items) AddNode(node, path + "\\" + item.name, item);
  if (items.empty()) {
    TVITEMA none{};
    none.mask = TVIF_CHILDREN;
    none.hItem = node;
    none.cChildren = 0;
    SendMessageA(ShellTreeView1_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&none));
  }
}

void ToolsManager::RefreshTree() {
  // What was open and selected is opened and selected again, as far as it still exists.
  std::vector<std::string> expanded;
  for (const auto& [item, node] : nodes_)
    if (node.filled && (TreeView_GetItemState(ShellTreeView1_, item, TVIS_EXPANDED) & TVIS_EXPANDED))
      expanded.push_back(node.path);
  std::sort(expanded.begin(), expanded.end(),
            [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
  std::string selected = TreeSelectedPath().value_or(currentFolder_);

  syncing_ = true;
  SendMessageA(ShellTreeView1_, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(ShellTreeView1_);
  nodes_.clear();
  rootNode_ = AddNode(TVI_ROOT, root_, CatalogItem{paths::FileNameOf(root_), paths::FileNameOf(root_), kAttrDirectory});
  FillNode(rootNode_);
  TreeView_Expand(ShellTreeView1_, rootNode_, TVE_EXPAND);
  for (const std::string& path : expanded)
    if (HTREEITEM node = FindNode(path)) TreeView_Expand(ShellTreeView1_, node, TVE_EXPAND);
  HTREEITEM select = FindNode(selected);
  if (!select) select = FindNode(currentFolder_);
  TreeView_SelectItem(ShellTreeView1_, select ? select : rootNode_);
  SendMessageA(ShellTreeView1_, WM_SETREDRAW, TRUE, 0);
  TreeView_EnsureVisible(ShellTreeView1_, select ? select : rootNode_);
  syncing_ = false;
}

HTREEITEM ToolsManager::FindNode(const std::string& path) {
  if (!rootNode_) return nullptr;
  if (SamePath(path, root_)) return rootNode_;
  if (!IsInsideRoot(root_, path) || path.size() <= root_.size() + 1) return nullptr;
  HTREEITEM node = rootNode_;
  std::string rest = path.substr(root_.size() + 1);
  while (node && !rest.empty()) {
    std::size_t slash = rest.find('\\');
    std::string name = rest.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    FillNode(node);
    HTREEITEM child = TreeView_GetChild(ShellTreeView1_, node);
    for (; child; child = TreeView_GetNextSibling(ShellTreeView1_, child)) {
      auto it = nodes_.find(child);
      if (it != nodes_.end() && SamePath(paths::FileNameOf(it->second.path), name)) break;
    }
    node = child;
  }
  return node;
}

void ToolsManager::SelectInTree(const std::string& path) {
  syncing_ = true;
  if (HTREEITEM node = FindNode(path)) {
    TreeView_SelectItem(ShellTreeView1_, node);
    TreeView_EnsureVisible(ShellTreeView1_, node);
  }
  syncing_ = false;
}

std::optional<std::string> ToolsManager::TreeSelectedPath() const {
  auto it = nodes_.find(TreeView_GetSelection(ShellTreeView1_));
  if (it == nodes_.end()) return std::nullopt;
  return it->second.path;
}

std::optional<std::size_t> ToolsManager::ListSelected() const {
  int i = ListView_GetNextItem(ShellListView1_, -1, LVNI_SELECTED);
  if (i < 0 || static_cast<std::size_t>(i) >= items_.size()) return std::nullopt;
  return static_cast<std::size_t>(i);
}

std::optional<std::size_t> ToolsManager::ListFocused() const {
  int i = ListView_GetNextItem(ShellListView1_, -1, LVNI_FOCUSED);
  if (i < 0 || static_cast<std::size_t>(i) >= items_.size()) return std::nullopt;
  return static_cast<std::size_t>(i);
}

void ToolsManager::Renamed(const std::string& from, const std::string& to) {
  // What lay under the old name is under the new one now, in both views.
  currentFolder_ = RebasedPath(currentFolder_, from, to);
  for (auto& [item, node] : nodes_) node.path = RebasedPath(node.path, from, to);
}

// ---- The commands --------------------------------------------------------------------------

void ToolsManager::tbBackClick() {
  std::string treeSelected = TreeSelectedPath().value_or(currentFolder_);
  if (auto up = UpFolder(treeSelected, currentFolder_, root_ + "\\")) ShowFolder(*up, true);
}

void ToolsManager::tbNewFolderClick() {
  SendMessageA(ToolBar1_, TB_HIDEBUTTON, tbCreate, FALSE);
  RECT apply{};
  SendMessageA(ToolBar1_, TB_GETITEMRECT, kCreateButtonIndex, reinterpret_cast<LPARAM>(&apply));
  SetWindowPos(Edit1_, HWND_TOP, apply.right + 3, kTreeHeight + 2, kEditWidth, kToolbarHeight - 4, SWP_SHOWWINDOW);
  SetWindowTextA(Edit1_, "");
  SetFocus(Edit1_);
}

void ToolsManager::tbCreateClick() {
  char typed[MAX_PATH + 1] = {};
  GetWindowTextA(Edit1_, typed, MAX_PATH);
  switch (CreateNewFolder(ctx_.fs, box_, settingsWindow_, currentFolder_, typed)) {
    case NewFolderOutcome::Close:
      CloseNameEntry();
      break;
    case NewFolderOutcome::KeepOpen:
      SetFocus(Edit1_);
      SendMessageA(Edit1_, EM_SETSEL, 0, -1);
      break;
    case NewFolderOutcome::Created:
      RefreshViews();
      CloseNameEntry();
      break;
  }
}

void ToolsManager::CloseNameEntry() {
  bool hadFocus = GetFocus() == Edit1_;
  ShowWindow(Edit1_, SW_HIDE);
  SendMessageA(ToolBar1_, TB_HIDEBUTTON, tbCreate, TRUE);
  if (hadFocus) SetFocus(ShellListView1_);
}

std::optional<std::string> ToolsManager::RunOpenDialog1() {
  char file[MAX_PATH + 1] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = settingsWindow_;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = kNewToolDialogTitle;
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(file);
}

void ToolsManager::tbNewShortCutClick() {
  // The settings window comes back however the command ends, an error included.
  struct ShowAgain {
    HWND window;
    ~ShowAgain() {
      ShowWindow(window, SW_SHOW);
      BringToTop(window);
      SetForegroundWindow(window);
    }
  } showAgain{settingsWindow_};
  ShowWindow(settingsWindow_, SW_HIDE);
  std::optional<std::string> chosen = RunOpenDialog1();
  if (chosen && CreateNewTool(ctx_.fs, ctx_.links, box_, settingsWindow_, currentFolder_, *chosen))
    RefreshViews();
}

void ToolsManager::tbDelClick() {
  if (auto i = ListSelected()) {
    if (DeleteCatalogItem(ctx_.fs, box_, settingsWindow_, root_, ItemPath(*i), DeleteFrom::List))
      RefreshViews();
    return;
  }
  HTREEITEM node = TreeView_GetSelection(ShellTreeView1_);
  auto it = nodes_.find(node);
  if (!node || node == rootNode_ || it == nodes_.end()) return;
  const std::string path = it->second.path;
  // The question's own loop may have read the tree again: the node is looked up anew.
  auto removeNode = [&] {
    if (HTREEITEM again = FindNode(path); again && again != rootNode_) TreeView_DeleteItem(ShellTreeView1_, again);
  };
  if (DeleteCatalogItem(ctx_.fs, box_, settingsWindow_, root_, path, DeleteFrom::Tree, removeNode))
    RefreshViews();
}

void ToolsManager::RenameInList() {
  auto i = ListFocused();
  if (!i) return;
  SetFocus(ShellListView1_);
  ListView_EditLabel(ShellListView1_, static_cast<int>(*i));
}

void ToolsManager::RenameInTree() {
  if (HTREEITEM node = TreeView_GetSelection(ShellTreeView1_)) TreeView_EditLabel(ShellTreeView1_, node);
}

void ToolsManager::OpenItem(std::size_t i) {
  if (i >= items_.size()) return;
  const std::string path = ItemPath(i);
  if (items_[i].isFolder()) {
    ShowFolder(path, true);
    return;
  }
  ctx_.processes.shellExecute(settingsWindow_, "", path, "", currentFolder_, SW_SHOWNORMAL);
}

void ToolsManager::ShowProperties() {
  auto i = ListSelected();
  if (!i) i = ListFocused();
  if (i) ctx_.processes.showProperties(ItemPath(*i));
}

void ToolsManager::ListContextMenu(POINT screen) {
  win32::OwnedMenu menu(CreatePopupMenu());
  auto add = [&](int id, const char* caption, int image) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    if (id == 0) {
      mii.fMask = MIIM_FTYPE;
      mii.fType = MFT_SEPARATOR;
    } else {
      mii.fMask = MIIM_STRING | MIIM_ID | MIIM_BITMAP | MIIM_DATA;
      mii.wID = static_cast<UINT>(id);
      mii.dwTypeData = const_cast<char*>(caption);
      mii.hbmpItem = HBMMENU_CALLBACK;
      mii.dwItemData = static_cast<ULONG_PTR>(image);
    }
    InsertMenuItemA(menu.get(), GetMenuItemCount(menu.get()), TRUE, &mii);
  };
  if (ListSelected()) {  // pShrtMenu
    add(miRename, "Rename\tF2", imgRename);
    add(miDelete, "Delete\tDel", imgDelete);
  } else {  // PopupMenu2
    add(miNewFolder, "New folder\tCtrl+F", imgNewFolder);
    add(miNewTool, "New tool\tCtrl+N", imgNewShortcut);
    add(0, nullptr, -1);
    add(miRefresh, "Refresh\tCtrl+R", imgRefresh);
    // "Delete item" shows exactly while the list has a selected item, and a right click with a
    // selection opens pShrtMenu instead: from here it stays hidden.
  }
  int id = static_cast<int>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                                           hwnd(), nullptr));
  if (id != 0) OnCommand(id, 0, nullptr);
}

std::optional<std::string> ToolsManager::DropFolderAt(POINT screen, bool select) {
  HWND under = WindowFromPoint(screen);
  POINT p = screen;
  if (under == ShellListView1_) {
    ScreenToClient(ShellListView1_, &p);
    LVHITTESTINFO hit{};
    hit.pt = p;
    int i = ListView_HitTest(ShellListView1_, &hit);
    if (i < 0 || static_cast<std::size_t>(i) >= items_.size()) return std::nullopt;
    if (select) ListView_SetItemState(ShellListView1_, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (!items_[static_cast<std::size_t>(i)].isFolder()) return std::nullopt;
    return ItemPath(static_cast<std::size_t>(i));
  }
  if (under == ShellTreeView1_) {
    ScreenToClient(ShellTreeView1_, &p);
    TVHITTESTINFO hit{};
    hit.pt = p;
    HTREEITEM node = TreeView_HitTest(ShellTreeView1_, &hit);
    if (!node || !(hit.flags & TVHT_ONITEM)) return std::nullopt;
    auto it = nodes_.find(node);
    if (it == nodes_.end()) return std::nullopt;
    std::string path = it->second.path;
    if (select) TreeView_SelectItem(ShellTreeView1_, node);  // the list follows a folder
    return path;
  }
  return std::nullopt;
}

void ToolsManager::DropAt(POINT screen) {
  const std::string source = dragSource_;
  if (source.empty()) return;
  std::optional<std::string> folder = DropFolderAt(screen, true);
  if (folder && MoveIntoFolder(ctx_.fs, root_, source, *folder)) RefreshViews();
}

// ---- Messages ------------------------------------------------------------------------------

bool ToolsManager::CommonKeyDown(WPARAM key) {
  if (GetKeyState(VK_CONTROL) < 0) {
    switch (key) {
      case 'F': tbNewFolderClick(); return true;
      case 'N': tbNewShortCutClick(); return true;
      case 'R': tbRefreshClick(); return true;
      default: return false;
    }
  }
  if (key == VK_DELETE) {
    tbDelClick();
    return true;
  }
  return false;
}

bool ToolsManager::ListKeyDown(WPARAM key) {
  if (dragging_) {
    if (key == VK_ESCAPE) ReleaseCapture();
    return true;
  }
  if (CommonKeyDown(key)) return true;
  switch (key) {
    case VK_F2: RenameInList(); return true;
    case VK_BACK: tbBackClick(); return true;  // Up keeps to the catalog root
    case VK_F5: ReadList(); return true;
    case VK_RETURN:
      if (auto i = ListFocused()) OpenItem(*i);
      return true;
    default: return false;
  }
}

LRESULT ToolsManager::ListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      // Enter opens the item here rather than pressing a default button of the window.
      auto* msg = reinterpret_cast<MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || (dragging_ && msg->wParam == VK_ESCAPE)))
        return DLGC_WANTMESSAGE | listHook_.Default(message, wParam, lParam);
      break;
    }
    case WM_KEYDOWN:
      if (ListKeyDown(wParam)) return 0;
      break;
    case WM_SYSKEYDOWN:
      if (wParam == VK_RETURN) {
        ShowProperties();
        return 0;
      }
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      // The characters of keys handled above (Enter, Backspace, Ctrl+letters) go no further.
      if (wParam < 0x20 || (message == WM_SYSCHAR && wParam == VK_RETURN)) return 0;
      break;
    default:
      break;
  }
  return listHook_.Default(message, wParam, lParam);
}

LRESULT ToolsManager::TreeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (CommonKeyDown(wParam)) return 0;
      if (wParam == VK_F2) {
        RenameInTree();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam < 0x20 && GetKeyState(VK_CONTROL) < 0) return 0;
      break;
    default:
      break;
  }
  return treeHook_.Default(message, wParam, lParam);
}

LRESULT ToolsManager::EditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      auto* msg = reinterpret_cast<MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        return DLGC_WANTMESSAGE | editHook_.Default(message, wParam, lParam);
      break;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        tbCreateClick();
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        CloseNameEntry();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == 27) return 0;  // no beep for the keys taken above
      break;
    default:
      break;
  }
  return editHook_.Default(message, wParam, lParam);
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
      ReportBadName(box_, settingsWindow_);
      return 0;
    default:
      break;
  }
  return ToolsManagerPage::HandleMessage(message, wParam, lParam);
}

void ToolsManager::OnCommand(int id, int, HWND) {
  switch (id) {
    case tbBack: tbBackClick(); break;
    case tbNewFolder:
    case miNewFolder: tbNewFolderClick(); break;
    case tbNewShortCut:
    case miNewTool: tbNewShortCutClick(); break;
    case tbDel:
    case miDeleteItem:
    case miDelete: tbDelClick(); break;
    case tbRefresh:
    case miRefresh: tbRefreshClick(); break;
    case tbCreate: tbCreateClick(); break;
    case miRename: RenameInList(); break;
    default: break;
  }
}

LRESULT ToolsManager::OnNotify(NMHDR& header) {
  const UINT code = header.code;
  if (code == TTN_GETDISPINFOA || code == TTN_GETDISPINFOW) {
    for (const Hint& h : kHints) {
      if (static_cast<int>(header.idFrom) != h.id) continue;
      if (code == TTN_GETDISPINFOA) {
        reinterpret_cast<NMTTDISPINFOA&>(header).lpszText = const_cast<char*>(h.text);
      } else {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        MultiByteToWideChar(CP_ACP, 0, h.text, -1, info.szText, static_cast<int>(std::size(info.szText)));
        info.lpszText = info.szText;
      }
    }
    return 0;
  }

  if (code == static_cast<UINT>(NM_CUSTOMDRAW) &&
      (header.hwndFrom == ShellListView1_ || header.hwndFrom == ShellTreeView1_)) {
    auto& draw = reinterpret_cast<NMCUSTOMDRAW&>(header);
    if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.dwDrawStage == CDDS_ITEMPREPAINT && (draw.uItemState & CDIS_SELECTED)) {
      // The selection in the scheme's colours, inverted, focused or not: the system's own
      // selection colours can match the scheme's text colour and hide the name.
      const ColorScheme& colors = ctx_.state.colors;
      if (header.hwndFrom == ShellListView1_) {
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

  if (header.hwndFrom == ShellListView1_) {
    switch (code) {
      case NM_DBLCLK: {
        int i = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
        if (i >= 0) OpenItem(static_cast<std::size_t>(i));
        return 0;
      }
      case NM_RCLICK: {
        POINT p{};
        GetCursorPos(&p);
        ListContextMenu(p);
        return 1;
      }
      case NM_KILLFOCUS:
        // The tree is read again once the list has let the focus go, never inside that change.
        if (!treeRefreshPosted_) treeRefreshPosted_ = PostMessageA(hwnd(), kRefreshTree, 0, 0) != FALSE;
        return 0;
      case LVN_BEGINDRAG:
        if (auto i = ListSelected()) {
          dragSource_ = ItemPath(*i);
          dragging_ = true;
          SetCapture(hwnd());
        }
        return 0;
      case LVN_BEGINLABELEDITA:
      case LVN_BEGINLABELEDITW:
        if (HWND edit = ListView_GetEditControl(ShellListView1_)) SendMessageA(edit, EM_LIMITTEXT, MAX_PATH - 5, 0);
        return FALSE;
      case LVN_ENDLABELEDITA:
      case LVN_ENDLABELEDITW: {
        std::optional<std::string> typed = EditedText(header, false);
        std::size_t i = static_cast<std::size_t>(reinterpret_cast<NMLVDISPINFOA&>(header).item.iItem);
        if (!typed || i >= items_.size()) return FALSE;
        const std::string path = ItemPath(i);
        std::string renamedTo;
        switch (RenameCatalogItem(ctx_.fs, root_, path, items_[i].attributes, *typed, &renamedTo)) {
          case RenameOutcome::BadName:
            PostMessageA(hwnd(), kReportBadName, 0, 0);
            return FALSE;
          case RenameOutcome::Renamed:
            items_[i].name = paths::FileNameOf(renamedTo);
            items_[i].display = ItemDisplayName(items_[i].name, items_[i].attributes);
            Renamed(path, renamedTo);
            PostMessageA(hwnd(), kRefreshAll, 0, 0);
            return TRUE;
          default:
            return FALSE;
        }
      }
      default:
        return 0;
    }
  }

  if (header.hwndFrom == ShellTreeView1_) {
    auto& tv = reinterpret_cast<NMTREEVIEWA&>(header);
    switch (code) {
      case TVN_ITEMEXPANDINGA:
      case TVN_ITEMEXPANDINGW:
        if (tv.action & TVE_EXPAND) FillNode(tv.itemNew.hItem);
        return FALSE;
      case TVN_SELCHANGEDA:
      case TVN_SELCHANGEDW: {
        if (syncing_) return 0;
        auto it = nodes_.find(tv.itemNew.hItem);
        if (it == nodes_.end()) return 0;
        if (IsPlainFolder(it->second.attributes) && !SamePath(it->second.path, currentFolder_))
          ShowFolder(it->second.path, false);
        return 0;
      }
      case TVN_DELETEITEMA:
      case TVN_DELETEITEMW:
        nodes_.erase(tv.itemOld.hItem);
        return 0;
      case NM_RCLICK: {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(ShellTreeView1_, &p);
        TVHITTESTINFO hit{};
        hit.pt = p;
        if (HTREEITEM node = TreeView_HitTest(ShellTreeView1_, &hit)) TreeView_SelectItem(ShellTreeView1_, node);
        return 1;
      }
      case TVN_BEGINLABELEDITA:
      case TVN_BEGINLABELEDITW: {
        // The catalog root keeps its name.
        HTREEITEM node = reinterpret_cast<NMTVDISPINFOA&>(header).item.hItem;
        if (node == rootNode_) return TRUE;
        if (HWND edit = TreeView_GetEditControl(ShellTreeView1_)) SendMessageA(edit, EM_LIMITTEXT, MAX_PATH - 5, 0);
        return FALSE;
      }
      case TVN_ENDLABELEDITA:
      case TVN_ENDLABELEDITW: {
        std::optional<std::string> typed = EditedText(header, true);
        auto it = nodes_.find(reinterpret_cast<NMTVDISPINFOA&>(header).item.hItem);
        if (!typed || it == nodes_.end() || it->first == rootNode_) return FALSE;
        const std::string path = it->second.path;
        std::string renamedTo;
        switch (RenameCatalogItem(ctx_.fs, root_, path, it->second.attributes, *typed, &renamedTo)) {
          case RenameOutcome::BadName:
            PostMessageA(hwnd(), kReportBadName, 0, 0);
            return FALSE;
          case RenameOutcome::Renamed:
            Renamed(path, renamedTo);
            PostMessageA(hwnd(), kRefreshAll, 0, 0);
            return TRUE;
          default:
            return FALSE;
        }
      }
      default:
        return 0;
    }
  }
  return 0;
}

bool ToolsManager::OnMeasureItem(MEASUREITEMSTRUCT& item) {
  if (item.CtlType != ODT_MENU) return false;
  item.itemWidth = 19;  // a little room between the picture and the caption
  item.itemHeight = 16;
  return true;
}

bool ToolsManager::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_MENU) return false;
  int image = static_cast<int>(item.itemData);
  if (image < 0) return true;
  int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - 16) / 2;
  ImageList_Draw(ImageList1_.get(), image, item.hDC, item.rcItem.left, y, ILD_TRANSPARENT);
  return true;
}

}  // namespace

std::unique_ptr<ToolsManagerPage> CreateToolsManagerPage(AppContext& ctx, HWND settingsWindow, const RECT& area) {
  auto page = std::make_unique<ToolsManager>(ctx, settingsWindow);
  page->Create(area);
  return page;
}

}  // namespace kest
