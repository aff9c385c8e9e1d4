// The main window's display modes (normal, mini, tray), its place on the screen and the
// notification-area icon.
#include "core/texts.h"
#include "windows/main_window.h"
#include "core/window_ids.h"

namespace kest {

void MainWindow::OnPositionChanging(WINDOWPOS& pos) {
  // The main window owns the others, so its band is theirs too. A change of the option takes
  // effect here, at the next position or z-order change.
  bool topmost = (GetWindowLongA(hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  if (state_.stayOnTop != topmost) {
    pos.hwndInsertAfter = state_.stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST;
    pos.flags &= ~SWP_NOZORDER;
  }
}

void MainWindow::StayOnTopChanged() {
  const bool topmost = state_.stayOnTop;
  SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (notes_) notes_->StayOnTopChanged();
}

void MainWindow::EnterMiniMode() {
  if (!miniFactory_) return;
  // Hidden without handing the activation on (ShowWindow would give it to some other program's
  // window first): the mini window takes it straight from here.
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r{};
  GetWindowRect(hwnd(), &r);
  // Every switch makes a new mini window; the one closed before goes now.
  mini_.reset();
  mini_ = miniFactory_(*this, hwnd(), r.left, r.top, Opacity());
}

void MainWindow::EndMiniMode() {
  if (mini_ && mini_->IsShown()) mini_->Close();
}

void MainWindow::MinimizeToTray() {
  OnMinimised();
  ShowWindow(hwnd(), SW_MINIMIZE);
}

void MainWindow::OnMinimised() {
  if (notes_ && notes_->IsShown()) notes_->Hide();
  // In the tray the program has no taskbar button: the minimised window is hidden as well.
  if (IsIconic(hwnd()) && IsWindowVisible(hwnd())) ShowWindow(hwnd(), SW_HIDE);
}

void MainWindow::RestoreFromTray() {
  // The tray's way back ends mini mode too: the user asked for the main window.
  EndMiniMode();
  if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
  ShowMain();
}

void MainWindow::ComeBack() {
  RestoreFromTray();
  // A question or a modal window of Kest's is open: it is what the user is to answer first.
  HWND popup = GetLastActivePopup(hwnd());
  if (!IsWindowEnabled(hwnd()) && popup && popup != hwnd()) {
    SetForegroundWindow(popup);
    return;
  }
  // The keys go to the list now, or as the window is activated.
  lastFocus_ = targetList_.hwnd();
  if (GetActiveWindow() == hwnd()) SetFocus(targetList_.hwnd());
}

void MainWindow::OnTrayClick() {
  noteChecked_ = false;
  RestoreFromTray();
}

void MainWindow::OnTrayMouseMove() { tray_.SetTip(TrayTip(state_.currentTarget())); }

void MainWindow::ToggleNotesFromTray() {
  noteChecked_ = !noteChecked_;
  if (notes_) notes_->Toggle();
}

void MainWindow::OnTrayMessage(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_MOUSEMOVE:
      OnTrayMouseMove();
      break;
    case WM_LBUTTONDOWN:
      trayClick_.Pressed();
      break;
    case WM_LBUTTONUP:
      if (trayClick_.Released()) OnTrayClick();
      break;
    case WM_RBUTTONDOWN: {
      POINT p;
      GetCursorPos(&p);
      ShowTrayMenu(p);
      break;
    }
    default:
      break;
  }
}

void MainWindow::ShowTrayMenu(POINT screen) {
  // A tool chosen runs on the target of the moment the menu opened.
  const std::string target = state_.currentTarget();
  shelf_.FillMenusWhenOutOfDate();
  CatalogMenus* menus = shelf_.Menus();
  if (!menus) return;
  // The fixed entries are the way back: they are there only while the main window is not.
  bool mainOnScreen = IsWindowVisible(hwnd()) && !IsIconic(hwnd());
  menus->SetFixedItemsVisible(ToolMenu::Tray, !mainOnScreen);
  shelf_.ShowPairChoice(ToolMenu::Tray, target);
  HMENU menu = menus->Menu(ToolMenu::Tray);
  CheckMenuItem(menu, ids::trayNotes, MF_BYCOMMAND | (noteChecked_ ? MF_CHECKED : MF_UNCHECKED));
  if (GetMenuItemCount(menu) == 0) return;
  RunMenuCommand(PickFromPopupMenu(hwnd(), menu, screen), target, std::nullopt);
}

}  // namespace kest
