// Kest moved to a screen of another DPI: Wine has one screen, so the test sends the message the
// system sends at such a move, with its suggested rectangle in Kest's own memory.
#include <gtest/gtest.h>

#include "e2e/kest_driver.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

bool SendDpiChanged(HWND window, int dpi, const RECT& suggested) {
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, e2e::WindowPid(window));
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  bool ok = remote && WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr);
  DWORD_PTR result = 0;
  ok = ok && SendMessageTimeoutA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote),
                                 SMTO_NORMAL, 10000, &result) != 0;
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return ok;
}

TEST(KestDpiChangeTest, MovedToA144DpiScreenTheMainWindowTakesItsSuggestedSizeAndScalesItsParts) {
  AppDir app("dpi-change");
  app.writeIni("Options", "NMLeft", "100");
  app.writeIni("Options", "NMTop", "100");
  StoreTargets(app, {app.exe()});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  const int rowAt96 = e2e::ListViewItemRect(lv, 0).bottom - e2e::ListViewItemRect(lv, 0).top;

  ASSERT_TRUE(SendDpiChanged(k.main, 144, RECT{150, 150, 150 + 420, 150 + 501}));
  RECT r = e2e::WindowRectOnScreen(k.main);
  EXPECT_EQ(r.right - r.left, 420);
  EXPECT_EQ(r.bottom - r.top, 501);
  RECT exit = e2e::ClientRect(k.control(ids::exit));
  EXPECT_EQ(exit.right, 38) << "25 x 18 at 96 DPI";
  EXPECT_EQ(exit.bottom, 27);
  RECT row = e2e::ListViewItemRect(lv, 0);
  EXPECT_GT(row.bottom - row.top, rowAt96) << "the list's font follows the DPI";
  EXPECT_EQ(e2e::ListViewColumnWidth(lv, 0), 420 - 4);
  CloseKest(k);
  EXPECT_EQ(app.readIni("Options", "NMWidth"), "280") << "stored in 96-DPI units";
  EXPECT_EQ(app.readIni("Options", "NMHeight"), "334");
}

}  // namespace
}  // namespace kest::e2etest
