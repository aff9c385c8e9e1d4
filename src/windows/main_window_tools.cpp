// The main window's side of the tools: the tools menu over the target list and what is chosen
// in it, and the find box; the menus themselves and launching are the tool shelf's.
#include "core/window_ids.h"
#include "kit/controls.h"
#include "windows/main_window.h"

namespace kest {

void MainWindow::ShowToolsMenu(POINT screen) {
  // Bring the current target in line with the press that opened the menu; what the menu acts on
  // is taken now, before the rebuild's questions give a forwarded file the chance to come in.
  auto selected = targetList_.SelectedEntry();
  state_.SetCurrentTargetFromSelection(selected);
  const std::string target = state_.currentTarget();
  const auto entry = targetList_.FocusedRef();
  shelf_.FillMenusWhenOutOfDate();
  CatalogMenus* menus = shelf_.Menus();
  if (!menus) return;
  // The entry commands are there only while an entry is selected.
  menus->SetFixedItemsVisible(ToolMenu::Targets, selected.has_value());
  shelf_.ShowPairChoice(ToolMenu::Targets, target);
  HMENU menu = menus->Menu(ToolMenu::Targets);
  if (GetMenuItemCount(menu) > 0) RunMenuCommand(PickFromPopupMenu(hwnd(), menu, screen), target, entry);
}

void MainWindow::RunMenuCommand(int id, const std::string& target,
                                const std::optional<TargetListView::EntryRef>& entry) {
  switch (id) {
    case 0:
      return;
    case ids::copyPath:
      targetList_.CopyPath(entry);
      return;
    case ids::copyHashes:
      targetList_.CopyHashes(entry);
      return;
    case ids::deleteTarget:
      targetList_.DeleteEntry(entry);
      return;
    case ids::properties:
      targetList_.ShowProperties(entry);
      return;
    default:
      break;
  }
  if (const std::string* file = shelf_.Menus() ? shelf_.Menus()->ToolFile(id) : nullptr) {
    const std::string copy = *file;  // the launch's questions run a message loop
    shelf_.LaunchAsMenu(copy, shelf_.Menus()->ToolTwin(id), target, state_.commandLineEditing);
    return;
  }
  OnCommand(id, 0, nullptr);
}

void MainWindow::FillIconBarFromRoot() {
  shelf_.FillIconBar(iconBar_);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  SetWindowPos(iconBar_, nullptr, 0, 0, rc.right, Scaled(24), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::EditCommandLine(const std::string& line, const std::string& directory) {
  // The command-line box keeps the flag until its Enter: a line from the find box has it too.
  state_.commandLineEditing = true;
  commandLineBox_.Edit(line, directory, shelf_.Launching());
}

void MainWindow::OnListKey(WORD key) {
  if (key == VK_ESCAPE) {
    targetList_.CancelHashing();
    return;
  }
  // The list notes Ctrl's press itself (commandLineEditing), as the tools menu's launch reads it.
  const bool ctrl = GetKeyState(VK_CONTROL) < 0 || state_.commandLineEditing;
  if (key != 'F' || !ctrl || GetKeyState(VK_MENU) < 0 || !findOpener_) return;
  // As the tools menu: the selected entry is the current target from the opening on, and what
  // the box runs runs on it.
  state_.SetCurrentTargetFromSelection(targetList_.SelectedEntry());
  const std::string target = state_.currentTarget();
  // Ctrl is let go in the box, where the list does not hear it.
  state_.commandLineEditing = false;
  findOpener_(*this, target);
  // The keys go back to the list, unless the launch gave them to the command-line box or sent
  // the window to the tray.
  if (IsWindowVisible(hwnd()) && !IsIconic(hwnd()) && GetFocus() != commandLineBox_.hwnd())
    SetFocus(targetList_.hwnd());
}

}  // namespace kest
