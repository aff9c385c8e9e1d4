#include "windows/tools_manager_page.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/paths.h"
#include "platform/win32/text_encoding.h"

namespace kest::tools_manager {

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

namespace {

// The text of a label edit's end, whichever character set the control chose.
std::optional<std::string> EditedText(const NMHDR& header, bool fromTree) {
  const bool wide = header.code == TVN_ENDLABELEDITW || header.code == LVN_ENDLABELEDITW;
  const void* text = nullptr;
  if (fromTree) text = reinterpret_cast<const NMTVDISPINFOA&>(header).item.pszText;
  else text = reinterpret_cast<const NMLVDISPINFOA&>(header).item.pszText;
  if (!text) return std::nullopt;
  if (!wide) return std::string(static_cast<const char*>(text));
  return win32::WideToAnsi(static_cast<const wchar_t*>(text));
}

}  // namespace

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
  SendMessageA(itemList_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(itemList_);
  items_ = std::move(items);
  int select = -1;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(items_[i].display.c_str());
    item.iImage = IconOf(ItemPath(i), items_[i].attributes);
    item.lParam = static_cast<LPARAM>(i);
    SendMessageA(itemList_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (!selectName.empty() && SamePath(items_[i].name, selectName)) select = static_cast<int>(i);
  }
  if (select >= 0) {
    ListView_SetItemState(itemList_, select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(itemList_, select, FALSE);
  }
  SendMessageA(itemList_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(itemList_, nullptr, TRUE);
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
      SendMessageA(folderTree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
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
    SendMessageA(folderTree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&none));
  }
}

void ToolsManager::RefreshTree() {
  // What was open and selected is opened and selected again, as far as it still exists.
  std::vector<std::string> expanded;
  for (const auto& [item, node] : nodes_)
    if (node.filled && (TreeView_GetItemState(folderTree_, item, TVIS_EXPANDED) & TVIS_EXPANDED))
      expanded.push_back(node.path);
  std::sort(expanded.begin(), expanded.end(),
            [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
  std::string selected = TreeSelectedPath().value_or(currentFolder_);

  syncing_ = true;
  SendMessageA(folderTree_, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(folderTree_);
  nodes_.clear();
  rootNode_ = AddNode(TVI_ROOT, root_, CatalogItem{paths::FileNameOf(root_), paths::FileNameOf(root_), kAttrDirectory});
  FillNode(rootNode_);
  TreeView_Expand(folderTree_, rootNode_, TVE_EXPAND);
  for (const std::string& path : expanded)
    if (HTREEITEM node = FindNode(path)) TreeView_Expand(folderTree_, node, TVE_EXPAND);
  HTREEITEM select = FindNode(selected);
  if (!select) select = FindNode(currentFolder_);
  TreeView_SelectItem(folderTree_, select ? select : rootNode_);
  SendMessageA(folderTree_, WM_SETREDRAW, TRUE, 0);
  TreeView_EnsureVisible(folderTree_, select ? select : rootNode_);
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
    HTREEITEM child = TreeView_GetChild(folderTree_, node);
    for (; child; child = TreeView_GetNextSibling(folderTree_, child)) {
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
    TreeView_SelectItem(folderTree_, node);
    TreeView_EnsureVisible(folderTree_, node);
  }
  syncing_ = false;
}

std::optional<std::string> ToolsManager::TreeSelectedPath() const {
  auto it = nodes_.find(TreeView_GetSelection(folderTree_));
  if (it == nodes_.end()) return std::nullopt;
  return it->second.path;
}

std::optional<std::size_t> ToolsManager::ListSelected() const {
  int i = ListView_GetNextItem(itemList_, -1, LVNI_SELECTED);
  if (i < 0 || static_cast<std::size_t>(i) >= items_.size()) return std::nullopt;
  return static_cast<std::size_t>(i);
}

std::optional<std::size_t> ToolsManager::ListFocused() const {
  int i = ListView_GetNextItem(itemList_, -1, LVNI_FOCUSED);
  if (i < 0 || static_cast<std::size_t>(i) >= items_.size()) return std::nullopt;
  return static_cast<std::size_t>(i);
}

void ToolsManager::Renamed(const std::string& from, const std::string& to) {
  // What lay under the old name is under the new one now, in both views.
  currentFolder_ = RebasedPath(currentFolder_, from, to);
  for (auto& [item, node] : nodes_) node.path = RebasedPath(node.path, from, to);
}

bool ToolsManager::RenameFromLabel(const std::string& path, std::uint32_t attributes, const std::string& typed,
                                   std::string* renamedTo) {
  const RenameOutcome outcome = RenameCatalogItem(ctx_.fs, root_, path, attributes, typed, renamedTo);
  switch (outcome) {
    case RenameOutcome::BadName:
    case RenameOutcome::ReservedName: {
      // Reported once the label edit has ended, never inside its notification.
      NameFault fault = outcome == RenameOutcome::BadName ? NameFault::Characters : NameFault::Reserved;
      PostMessageA(hwnd(), kReportBadName, static_cast<WPARAM>(fault), 0);
      return false;
    }
    case RenameOutcome::Renamed:
      Renamed(path, *renamedTo);
      PostMessageA(hwnd(), kRefreshAll, 0, 0);
      return true;
    case RenameOutcome::Failed:
      refusedRename_ = path;
      refusedRenameTo_ = typed;
      PostMessageA(hwnd(), kReportRenameFailure, 0, 0);
      return false;
    default:
      return false;
  }
}

LRESULT ToolsManager::ListNotify(NMHDR& header) {
  const UINT code = header.code;
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
      if (HWND edit = ListView_GetEditControl(itemList_)) SendMessageA(edit, EM_LIMITTEXT, MAX_PATH - 5, 0);
      return FALSE;
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW: {
      std::optional<std::string> typed = EditedText(header, false);
      std::size_t i = static_cast<std::size_t>(reinterpret_cast<NMLVDISPINFOA&>(header).item.iItem);
      if (!typed || i >= items_.size()) return FALSE;
      const std::string path = ItemPath(i);
      std::string renamedTo;
      if (!RenameFromLabel(path, items_[i].attributes, *typed, &renamedTo)) return FALSE;
      items_[i].name = paths::FileNameOf(renamedTo);
      items_[i].display = ItemDisplayName(items_[i].name, items_[i].attributes);
      return TRUE;
    }
    default:
      return 0;
  }
}

LRESULT ToolsManager::TreeNotify(NMHDR& header) {
  const UINT code = header.code;
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
      ScreenToClient(folderTree_, &p);
      TVHITTESTINFO hit{};
      hit.pt = p;
      if (HTREEITEM node = TreeView_HitTest(folderTree_, &hit)) TreeView_SelectItem(folderTree_, node);
      return 1;
    }
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      // The catalog root keeps its name.
      HTREEITEM node = reinterpret_cast<NMTVDISPINFOA&>(header).item.hItem;
      if (node == rootNode_) return TRUE;
      if (HWND edit = TreeView_GetEditControl(folderTree_)) SendMessageA(edit, EM_LIMITTEXT, MAX_PATH - 5, 0);
      return FALSE;
    }
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW: {
      std::optional<std::string> typed = EditedText(header, true);
      auto it = nodes_.find(reinterpret_cast<NMTVDISPINFOA&>(header).item.hItem);
      if (!typed || it == nodes_.end() || it->first == rootNode_) return FALSE;
      const std::string path = it->second.path;
      std::string renamedTo;
      return RenameFromLabel(path, it->second.attributes, *typed, &renamedTo) ? TRUE : FALSE;
    }
    default:
      return 0;
  }
}

}  // namespace kest::tools_manager
