// The colour scheme applied from the settings window, and the about panel.
#include <gtest/gtest.h>

#include "e2e/kest_driver.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

TEST_F(KestTest, AColourAndTheOpacityAppliedFromTheColourPage) {
  AppDir app("colours");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(e2e::WindowAlpha(k.main), 245);
  k.click(ids::settings);
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr);
  HWND page = ChildWithText(settings, "Color sheme");
  ASSERT_NE(page, nullptr);
  e2e::PostClick(page, 3, 3);
  // The main colour's swatch opens the colour dialog; pure green comes back as 0x008001.
  HWND swatch = e2e::FindChildById(settings, 200);
  ASSERT_NE(swatch, nullptr);
  PostMessageA(GetParent(swatch), WM_COMMAND, MAKEWPARAM(200, BN_CLICKED), reinterpret_cast<LPARAM>(swatch));
  HWND dialog = nullptr;
  ASSERT_TRUE(e2e::WaitUntil([&] {
    for (HWND w : e2e::TopWindows("#32770", k.process.pid(), true)) dialog = w;
    return dialog != nullptr;
  }, 10000));
  EXPECT_FALSE(IsWindowVisible(settings)) << "hidden while the dialog is up";
  const int rgbEdits[3] = {706, 707, 708};
  const char* rgb[3] = {"0", "128", "0"};
  for (int i = 0; i < 3; ++i) {
    HWND edit = e2e::FindChildById(dialog, rgbEdits[i]);
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(rgb[i]));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(rgbEdits[i], EN_CHANGE), reinterpret_cast<LPARAM>(edit));
  }
  SendMessageA(e2e::FindChildById(dialog, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(settings) != FALSE; }, 5000));
  // 300 typed into the spin box holds at 255; then 200 is taken.
  HWND spin = e2e::FindChildById(settings, 203);
  ASSERT_NE(spin, nullptr);
  SendMessageA(spin, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("300"));
  EXPECT_EQ(e2e::WindowText(spin), "255");
  SendMessageA(spin, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("200"));
  HWND apply = ChildWithText(settings, ".. apply");
  ASSERT_NE(apply, nullptr);
  SendMessageA(apply, BM_CLICK, 0, 0);
  EXPECT_EQ(app.readIni("Options", "Col1"), std::to_string(0x008001));
  EXPECT_EQ(e2e::WindowAlpha(k.main), 200);
  // The tools manager page, made before the apply, takes the new colour too.
  HWND tree = e2e::FindChildByClass(settings, "SysTreeView32");
  HWND list = e2e::FindChildByClass(settings, "SysListView32");
  ASSERT_TRUE(tree && list);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(tree, TVM_GETBKCOLOR, 0, 0)), 0x008001u);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(list, LVM_GETBKCOLOR, 0, 0)), 0x008001u);
  e2e::PostClose(settings);
  ASSERT_TRUE(e2e::WaitForWindowGone(settings, 5000));
  CloseKest(k);
  EXPECT_EQ(app.readIni("Options", "abValue"), "200");
}

TEST_F(KestTest, AboutPanelOpensBesideTheMainWindowAndCloses) {
  AppDir app("about");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  RECT main = e2e::WindowRectOnScreen(k.main);
  k.click(ids::about);
  HWND about = e2e::WaitForWindow("TfAb", k.process.pid(), 10000, true);
  ASSERT_NE(about, nullptr);
  RECT r = e2e::WindowRectOnScreen(about);
  EXPECT_EQ(r.left, main.left + 20);
  EXPECT_EQ(r.top, main.top + 20);
  EXPECT_FALSE(IsWindowEnabled(k.main)) << "modal";
  HWND close = e2e::FindChildById(about, ids::about_panel::closeButton);
  ASSERT_NE(close, nullptr);
  SendMessageA(close, BM_CLICK, 0, 0);
  ASSERT_TRUE(e2e::WaitForWindowGone(about, 5000));
  EXPECT_TRUE(IsWindowEnabled(k.main));
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
