// Mini mode's window: one catalog folder at a time, its tools run on the current target and on
// files dropped on them, and its "X" brings the main window back.
#include <gtest/gtest.h>

#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

int ButtonCount(HWND toolbar) { return static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0)); }

// A flat button of the title strip.
HWND TitleButton(HWND mini, int id) { return e2e::FindChildById(mini, id); }

void ClickMiddle(HWND w, RECT r) { e2e::PostClick(w, (r.left + r.right) / 2, (r.top + r.bottom) / 2); }

int ProbeRuns(const AppDir& app) {
  std::string log = app.readFile("tools\\probe.log");
  int runs = 0;
  for (std::size_t at = log.find("cwd="); at != std::string::npos; at = log.find("cwd=", at + 1)) ++runs;
  return runs;
}

TEST_F(KestTest, MiniWindowBrowsesTheCatalogRunsToolsAndGivesTheMainWindowBack) {
  AppDir app("mini");
  std::string probe = AddProbeTool(app, "root\\Probe.lnk");
  AddProbeTool(app, "root\\Debuggers\\One.lnk");
  AddProbeTool(app, "root\\Debuggers\\Two.lnk");
  app.writeFile("root\\notes.pif", "not a shortcut");
  app.writeFile("work\\a.exe", "MZ");
  app.writeFile("drop\\b.exe", "MZ");
  app.writeFile("drop\\c.exe", "MZ");
  StoreTargets(app, {app.file("work\\a.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  RECT mainRect = e2e::WindowRectOnScreen(k.main);

  // A double click on the title strip: the mini window takes the main window's place.
  HWND mini = EnterMiniMode(k);
  ASSERT_NE(mini, nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(k.main); }, 3000));
  EXPECT_EQ(e2e::WindowText(mini), "Kest mini");
  RECT miniRect = e2e::WindowRectOnScreen(mini);
  EXPECT_EQ(miniRect.left, mainRect.left);
  EXPECT_EQ(miniRect.top, mainRect.top);
  EXPECT_EQ(e2e::WindowAlpha(mini), e2e::WindowAlpha(k.main));

  // The root: a label for the folder, one button for the one shortcut.
  HWND label = e2e::FindChildByClass(mini, "Static");
  HWND bar = e2e::FindChildByClass(mini, "ToolbarWindow32");
  ASSERT_NE(label, nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(e2e::WindowText(label), "Debuggers");
  EXPECT_EQ(ButtonCount(bar), 1);

  // The label opens its folder; "<" comes back.
  e2e::PostClick(label, 5, 5);
  ASSERT_TRUE(e2e::WaitUntil([&] { return ButtonCount(bar) == 2; }, 5000));
  EXPECT_EQ(e2e::FindChildByClass(mini, "Static"), nullptr);
  ClickMiddle(TitleButton(mini, ids::mini_window::backButton), e2e::ClientRect(TitleButton(mini, ids::mini_window::backButton)));
  ASSERT_TRUE(e2e::WaitUntil([&] { return ButtonCount(bar) == 1; }, 5000));
  label = e2e::FindChildByClass(mini, "Static");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(e2e::WindowText(label), "Debuggers");

  // The button runs its tool on the current target.
  RECT button = e2e::ToolbarItemRect(bar, 0);
  ClickMiddle(bar, button);
  auto run = WaitForProbe(app);
  ASSERT_TRUE(run.has_value()) << "the tool did not run";
  EXPECT_EQ(run->cmd, probe + " \"a.exe\"");
  EXPECT_EQ(run->cwd, app.file("work"));

  // A file dropped on the label does nothing; one dropped on the button becomes the target and
  // the tool runs on it.
  POINT onLabel{5, 5};
  MapWindowPoints(label, mini, &onLabel, 1);
  ASSERT_TRUE(PostDropFiles(mini, {app.file("drop\\c.exe")}, onLabel));
  POINT onButton{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  MapWindowPoints(bar, mini, &onButton, 1);
  ASSERT_TRUE(PostDropFiles(mini, {app.file("drop\\b.exe")}, onButton));
  ASSERT_TRUE(e2e::WaitUntil([&] { return ProbeRuns(app) == 2; }, 10000)) << "the dropped file was not run";
  run = WaitForProbe(app);
  EXPECT_EQ(run->cmd, probe + " \"b.exe\"");
  EXPECT_EQ(run->cwd, app.file("drop"));
  EXPECT_EQ(k.targetNames(), (std::vector<std::string>{"a.exe", "b.exe"}));

  // "X" ends mini mode: the main window is back at its place.
  HWND exit = TitleButton(mini, ids::mini_window::closeButton);
  ClickMiddle(exit, e2e::ClientRect(exit));
  EXPECT_TRUE(e2e::WaitForWindowGone(mini, 5000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(k.main) != FALSE; }, 5000));
  RECT back = e2e::WindowRectOnScreen(k.main);
  EXPECT_EQ(back.left, mainRect.left);
  EXPECT_EQ(back.top, mainRect.top);
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
