// Where the main window goes: edge snapping at its placement, the grip, and the tray mode's
// notification-area icon.
#include <gtest/gtest.h>

#include "core/window_ids.h"
#include "e2e/kest_driver.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

TEST_F(KestTest, StoredPlaceNearAnEdgeLandsOnIt) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  AppDir app("snap");
  // 10 pixels from the right edge snaps flush; 11 pixels from the top stays.
  app.writeIni("Options", "NMLeft", std::to_string(work.right - 280 - 10));
  app.writeIni("Options", "NMTop", std::to_string(work.top + 11));
  app.writeIni("Options", "KFSLeft", std::to_string(work.left + 9));
  app.writeIni("Options", "KFSOpened", "1");
  app.writeIni("Options", "StOnTop", "1");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND kfs = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000, true);
  ASSERT_NE(kfs, nullptr);
  EXPECT_EQ(e2e::WindowRectOnScreen(kfs).left, work.left) << "the note window snaps too";
  // Stay on top: both windows are in the topmost band.
  EXPECT_TRUE(GetWindowLongA(k.main, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongA(kfs, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT r = e2e::WindowRectOnScreen(k.main);
  EXPECT_EQ(r.right, work.right);
  EXPECT_EQ(r.top, work.top + 11);
  // A move to within 10 pixels of the top-left corner lands on it.
  SetWindowPos(k.main, nullptr, work.left + 7, work.top + 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  r = e2e::WindowRectOnScreen(k.main);
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
  CloseKest(k);
}

TEST_F(KestTest, GripResizesWithoutSnappingAndKeepsTheMinimum) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  AppDir app("grip");
  app.writeIni("Options", "NMLeft", "300");
  app.writeIni("Options", "NMTop", "200");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  RECT c = e2e::ClientRect(k.main);
  PostMessageA(k.main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.right - 3, c.bottom - 3));
  // The cursor jumps onto the bottom-right corner.
  ASSERT_TRUE(e2e::WaitUntil([&] {
    POINT p;
    GetCursorPos(&p);
    return p.x == 300 + 280 && p.y == 200 + 334;
  }, 3000));
  auto dragTo = [&](int x, int y) {
    SetCursorPos(x, y);
    SendMessageA(k.main, WM_MOUSEMOVE, MK_LBUTTON, 0);
    return e2e::WindowRectOnScreen(k.main);
  };
  // 5 pixels short of the right edge: no jump while the grip is held.
  RECT r = dragTo(work.right - 5, 600);
  EXPECT_EQ(r.right, work.right - 5);
  EXPECT_EQ(r.left, 300);
  r = dragTo(10, 10);
  EXPECT_EQ(r.right - r.left, 220);
  EXPECT_EQ(r.bottom - r.top, 200);
  PostMessageA(k.main, WM_LBUTTONUP, 0, 0);
  CloseKest(k);
  EXPECT_EQ(app.readIni("Options", "NMWidth"), "220");
}

// The icon window Wine shows for Kest's tray icon, when there is exactly one.
HWND TrayIconWindow() {
  HWND icon = nullptr;
  for (HWND tray : e2e::TopWindows("__winex11_standalone_tray")) {
    for (HWND child : e2e::Children(tray))
      if (e2e::ClassName(child) == "__winex11_tray_icon" && IsWindowVisible(child)) {
        if (icon) return nullptr;
        icon = child;
      }
  }
  return icon;
}

TEST_F(KestTest, TrayModeHidesTheWindowAndTheIconBringsItBack) {
  AppDir app("tray");
  StoreTargets(app, {"C:\\t\\sample.exe"});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  k.click(ids::trayInMiniStrip);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(k.main); }, 5000));
  // A left click on the icon restores at once.
  HWND icon = TrayIconWindow();
  ASSERT_NE(icon, nullptr) << "Kest's tray icon";
  e2e::PostClick(icon, 5, 5);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(k.main) && !IsIconic(k.main); }, 5000));

  // Back to the tray, then "Exit" from the icon's menu, whose last entries are there now.
  k.click(ids::toTray);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(k.main); }, 5000));
  HWND menu = OpenPopupMenu(k, [&] { e2e::PostClick(TrayIconWindow(), 5, 5, true); });
  ASSERT_NE(menu, nullptr);
  e2e::MenuKeys(menu, {VK_UP, VK_RETURN});
  DWORD code = 0;
  ASSERT_TRUE(k.process.waitExit(10000, &code));
  k.main = nullptr;
  EXPECT_EQ(app.readIni("Options", "Minimized"), "1");
  EXPECT_EQ(TrayIconWindow(), nullptr) << "the icon goes with the program";
}

}  // namespace
}  // namespace kest::e2etest
