#include "windows/tools_manager_page.h"

#include "kit/controls.h"

#include <commdlg.h>
#include <windowsx.h>

namespace kest::tools_manager {

void ToolsManager::UpClick() {
  std::string treeSelected = TreeSelectedPath().value_or(currentFolder_);
  if (auto up = UpFolder(treeSelected, currentFolder_, root_ + "\\")) ShowFolder(*up, true);
}

void ToolsManager::NewFolderClick() {
  SendMessageA(toolbar_, TB_HIDEBUTTON, createTool, FALSE);
  PlaceNameEdit(true);
  SetWindowTextA(nameEdit_, "");
  SetFocus(nameEdit_);
}

void ToolsManager::PlaceNameEdit(bool show) {
  RECT apply{};
  SendMessageA(toolbar_, TB_GETITEMRECT, kCreateButtonIndex, reinterpret_cast<LPARAM>(&apply));
  SetWindowPos(nameEdit_, HWND_TOP, apply.right + Scaled(3), Scaled(kTreeHeight + 2), Scaled(kEditWidth),
               Scaled(kToolbarHeight - 4), show ? SWP_SHOWWINDOW : SWP_NOACTIVATE);
}

void ToolsManager::CreateClick() {
  switch (CreateNewFolder(ctx_.fs, box_, settingsWindow_, currentFolder_, WindowTextOf(nameEdit_))) {
    case NewFolderOutcome::Close:
      CloseNameEntry();
      break;
    case NewFolderOutcome::KeepOpen:
      SetFocus(nameEdit_);
      SendMessageA(nameEdit_, EM_SETSEL, 0, -1);
      break;
    case NewFolderOutcome::Created:
      RefreshViews();
      CloseNameEntry();
      break;
  }
}

void ToolsManager::CloseNameEntry() {
  bool hadFocus = GetFocus() == nameEdit_;
  ShowWindow(nameEdit_, SW_HIDE);
  SendMessageA(toolbar_, TB_HIDEBUTTON, createTool, TRUE);
  if (hadFocus) SetFocus(itemList_);
}

std::optional<std::string> ToolsManager::ChooseProgram() {
  std::string file(kOpenDialogBytes, '\0');
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = settingsWindow_;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = kOpenDialogBytes;
  ofn.lpstrTitle = kNewToolDialogTitle;
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(file.c_str());
}

void ToolsManager::NewToolClick() {
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
  std::optional<std::string> chosen = ChooseProgram();
  if (chosen && CreateNewTool(ctx_.fs, ctx_.links, box_, settingsWindow_, currentFolder_, *chosen))
    RefreshViews();
}

void ToolsManager::DeleteClick() {
  if (auto i = ListSelected()) {
    if (DeleteCatalogItem(ctx_.fs, box_, settingsWindow_, root_, ItemPath(*i), DeleteFrom::List))
      RefreshViews();
    return;
  }
  HTREEITEM node = TreeView_GetSelection(folderTree_);
  auto it = nodes_.find(node);
  if (!node || node == rootNode_ || it == nodes_.end()) return;
  const std::string path = it->second.path;
  // The question's own loop may have read the tree again: the node is looked up anew.
  auto removeNode = [&] {
    if (HTREEITEM again = FindNode(path); again && again != rootNode_) TreeView_DeleteItem(folderTree_, again);
  };
  if (DeleteCatalogItem(ctx_.fs, box_, settingsWindow_, root_, path, DeleteFrom::Tree, removeNode))
    RefreshViews();
}

void ToolsManager::RenameInList() {
  auto i = ListFocused();
  if (!i) return;
  SetFocus(itemList_);
  ListView_EditLabel(itemList_, static_cast<int>(*i));
}

void ToolsManager::RenameInTree() {
  if (HTREEITEM node = TreeView_GetSelection(folderTree_)) TreeView_EditLabel(folderTree_, node);
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
  auto add = [&](int id, const char* caption, int image) { AppendPictureMenuItem(menu.get(), id, caption, image); };
  if (ListSelected()) {  // item menu
    add(menuRename, "Rename\tF2", tools_picture::kRename);
    add(menuDelete, "Delete\tDel", tools_picture::kDelete);
  } else {  // the pop-up menu
    add(menuNewFolder, "New folder\tCtrl+F", tools_picture::kNewFolder);
    add(menuNewTool, "New tool\tCtrl+N", tools_picture::kNewShortcut);
    add(0, nullptr, -1);
    add(menuRefresh, "Refresh\tCtrl+R", tools_picture::kRefresh);
    // "Delete item" shows exactly while the list has a selected item, and a right click with a
    // selection opens item menu instead: from here it stays hidden.
  }
  int id = PickFromPopupMenu(hwnd(), menu.get(), screen);
  if (id != 0) OnCommand(id, 0, nullptr);
}

std::optional<std::string> ToolsManager::DropFolderAt(POINT screen, bool select) {
  HWND under = WindowFromPoint(screen);
  POINT p = screen;
  if (under == itemList_) {
    ScreenToClient(itemList_, &p);
    LVHITTESTINFO hit{};
    hit.pt = p;
    int i = ListView_HitTest(itemList_, &hit);
    if (i < 0 || static_cast<std::size_t>(i) >= items_.size()) return std::nullopt;
    if (select) ListView_SetItemState(itemList_, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (!items_[static_cast<std::size_t>(i)].isFolder()) return std::nullopt;
    return ItemPath(static_cast<std::size_t>(i));
  }
  if (under == folderTree_) {
    ScreenToClient(folderTree_, &p);
    TVHITTESTINFO hit{};
    hit.pt = p;
    HTREEITEM node = TreeView_HitTest(folderTree_, &hit);
    if (!node || !(hit.flags & TVHT_ONITEM)) return std::nullopt;
    auto it = nodes_.find(node);
    if (it == nodes_.end()) return std::nullopt;
    std::string path = it->second.path;
    if (select) TreeView_SelectItem(folderTree_, node);  // the list follows a folder
    return path;
  }
  return std::nullopt;
}

void ToolsManager::DropAt(POINT screen) {
  const std::string source = dragSource_;
  if (source.empty()) return;
  std::optional<std::string> folder = DropFolderAt(screen, true);
  if (!folder) return;
  switch (MoveIntoFolder(ctx_.fs, root_, source, *folder)) {
    case MoveOutcome::Moved: RefreshViews(); break;
    case MoveOutcome::Failed: ReportMoveFailure(box_, settingsWindow_, source, *folder); break;
    case MoveOutcome::Refused: break;
  }
}

bool ToolsManager::CommonKeyDown(WPARAM key) {
  if (GetKeyState(VK_CONTROL) < 0) {
    switch (key) {
      case 'F': NewFolderClick(); return true;
      case 'N': NewToolClick(); return true;
      case 'R': RefreshClick(); return true;
      default: return false;
    }
  }
  if (key == VK_DELETE) {
    DeleteClick();
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
    case VK_BACK: UpClick(); return true;  // Up keeps to the catalog root
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
        CreateClick();
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

}  // namespace kest::tools_manager
