// The main window's tools: the menus and the icon bar built from the catalog, and launching.
#include "catalog/tool_catalog.h"
#include "ui/main_window.h"

namespace kest {

void TfKest::pMenu1Popup(POINT screen) {
  // Bring the current target in line with the press that opened the menu.
  auto selected = lbFTC_.SelectedEntry();
  state_.SetCurrentTargetFromSelection(selected);
  if (state_.menusOutOfDate) FillMenuFromRoot();
  // The entry commands are there only while an entry is selected.
  menus_->SetFixedItemsVisible(ToolMenu::Targets, selected.has_value());
  HMENU menu = menus_->Menu(ToolMenu::Targets);
  if (GetMenuItemCount(menu) > 0) {
    SetForegroundWindow(hwnd());
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
    PostMessageA(hwnd(), WM_NULL, 0, 0);
  }
}

void TfKest::FillMenuFromRoot() {
  auto events = RecordWalk(ctx_.fs, ToolCatalog::RootOf(ctx_.exeDir));
  ToolChecker checker(ctx_.fs, ctx_.links, state_.workDrive, DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, hwnd()});
  menus_->RebuildMenus(events, checker);
  state_.menusOutOfDate = false;
  // Launching moves the current directory into the target's.
  ctx_.fs.setCurrentDirectory(ctx_.exeDir);
}

void TfKest::FillIconBarFromRoot() {
  auto events = RecordWalk(ctx_.fs, ToolCatalog::RootOf(ctx_.exeDir));
  ToolChecker checker(ctx_.fs, ctx_.links, state_.workDrive, DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, hwnd()});
  menus_->RebuildIconBar(events, checker, tbIcon_);
  ctx_.fs.setCurrentDirectory(ctx_.exeDir);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  SetWindowPos(tbIcon_, nullptr, 0, 0, rc.right, 24, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LaunchServices TfKest::Launching() {
  return LaunchServices{ctx_.fs, ctx_.links, ctx_.processes, state_.workDrive,
                        DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, hwnd()}};
}

void TfKest::pMenuItemClickEx(const std::vector<std::string>& captions) {
  MenuLaunch launch = LaunchFromMenu(Launching(), ctx_.exeDir, captions, state_.currentTarget(),
                                     state_.commandLineEditing);
  if (launch.commandLine) {
    edCL_.Edit(*launch.commandLine);
    return;
  }
  if (launch.ran && state_.settings().read(opt::MinToolsRun)) MinimizeToTray();
}

void TfKest::pTBIconItemClickEx(const IconBarButton& button) { LaunchToolOnCurrentTarget(button.file); }

void TfKest::LaunchToolOnCurrentTarget(const std::string& shortcutFile) {
  LaunchFromButton(Launching(), shortcutFile, state_.currentTarget());
}

}  // namespace kest
