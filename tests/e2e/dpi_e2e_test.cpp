// Kest on a screen of 144 DPI: run only by scripts/e2e-dpi.sh, in a prefix of its own set to
// that DPI (the other end-to-end tests expect 96).
#include <gtest/gtest.h>

#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

class KestDpiTest : public KestTest {};

TEST_F(KestDpiTest, At144DpiTheMainWindowIsOneAndAHalfTimesItsSizeAndStoresIt96DpiUnits) {
  AppDir app("dpi-144");
  app.writeIni("Options", "NMLeft", "100");
  app.writeIni("Options", "NMTop", "100");
  StoreTargets(app, {app.exe()});
  AddProbeTool(app, "root\\Probe.lnk");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  RECT r = e2e::WindowRectOnScreen(k.main);
  EXPECT_EQ(r.left, 150) << "stored positions are in 96-DPI units too";
  EXPECT_EQ(r.top, 150);
  EXPECT_NEAR(r.right - r.left, 420, 1) << "280 at 96 DPI";
  EXPECT_NEAR(r.bottom - r.top, 501, 1) << "334 at 96 DPI";
  RECT exit = e2e::ClientRect(k.control(ids::exit));
  EXPECT_EQ(exit.right, 38) << "25 x 18 at 96 DPI";
  EXPECT_EQ(exit.bottom, 27);
  HWND lv = k.targetList();
  ASSERT_EQ(e2e::ListViewCount(lv), 1);
  RECT row = e2e::ListViewItemRect(lv, 0);
  EXPECT_GE(row.bottom - row.top, 24) << "a row is 17 pixels at 96 DPI";
  EXPECT_EQ(e2e::ListViewColumnWidth(lv, 0), (r.right - r.left) - 4);
  // The find box too: 300 x 240 at 96 DPI.
  HWND find = OpenFindBox(k);
  ASSERT_NE(find, nullptr);
  RECT f = e2e::WindowRectOnScreen(find);
  EXPECT_EQ(f.right - f.left, 450);
  EXPECT_EQ(f.bottom - f.top, 360);
  e2e::PostKey(e2e::FindChildByClass(find, "Edit"), VK_ESCAPE);
  EXPECT_TRUE(e2e::WaitForWindowGone(find, 5000));
  // The settings window grows alike: 313 x 375 at 96 DPI.
  k.click(ids::settings);
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr);
  RECT s = e2e::WindowRectOnScreen(settings);
  EXPECT_NEAR(s.right - s.left, 470, 1);
  EXPECT_NEAR(s.bottom - s.top, 563, 1);
  CloseSettings(settings);
  // In mini mode the tool's button holds its icon at 24 pixels: 16 at 96 DPI.
  HWND mini = EnterMiniMode(k);
  ASSERT_NE(mini, nullptr);
  HWND bar = e2e::FindChildByClass(mini, "ToolbarWindow32");
  ASSERT_NE(bar, nullptr);
  RECT button = e2e::ToolbarItemRect(bar, 0);
  LRESULT padding = SendMessageA(bar, TB_GETPADDING, 0, 0);
  EXPECT_EQ(button.bottom - button.top - HIWORD(padding), 24) << "the button's height less its padding";
  e2e::PostClose(mini);
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(k.main) != FALSE; }, 5000));
  CloseKest(k);
  EXPECT_EQ(app.readIni("Options", "NMWidth"), "280");
  EXPECT_EQ(app.readIni("Options", "NMHeight"), "334");
  EXPECT_EQ(app.readIni("Options", "NMLeft"), "100");
  EXPECT_EQ(app.readIni("Options", "NMTop"), "100");
}

}  // namespace
}  // namespace kest::e2etest
