// The find box: Ctrl+F in the target list, a few words of a tool's folder and name, and Enter
// runs it on the current target as its item in the tools menu would.
#include <gtest/gtest.h>

#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;


TEST_F(KestTest, FindBoxFindsANestedToolByFolderAndNameAndEnterRunsIt) {
  AppDir app("find-box");
  std::string probe = AddProbeTool(app, "root\\A\\B\\Probe.lnk");
  AddProbeTool(app, "root\\A\\Other.lnk");
  AddProbeTool(app, "root\\Xyz\\Prolog.lnk", "tools2");
  app.writeFile("w\\t.exe", "MZ");
  StoreTargets(app, {app.file("w\\t.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);

  // Escape closes the box and runs nothing.
  HWND box = OpenFindBox(k);
  ASSERT_NE(box, nullptr) << "Ctrl+F opened no find box";
  HWND edit = e2e::FindChildByClass(box, "Edit");
  HWND list = e2e::FindChildByClass(box, "SysListView32");
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(list, nullptr);
  // An empty query lists every tool, across the folders.
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewCount(list) == 3; }, 5000));
  e2e::PostKey(edit, VK_ESCAPE);
  EXPECT_TRUE(e2e::WaitForWindowGone(box, 5000));
  EXPECT_FALSE(WaitForProbe(app, "tools", 300).has_value());

  box = OpenFindBox(k);
  ASSERT_NE(box, nullptr);
  edit = e2e::FindChildByClass(box, "Edit");
  list = e2e::FindChildByClass(box, "SysListView32");
  // Part of the folder and part of the name, in any case.
  for (char c : std::string("b PRO")) e2e::PostChar(edit, c);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(edit) == "b PRO" && e2e::ListViewCount(list) == 1; }, 5000))
      << e2e::ListViewCount(list) << " rows for \"" << e2e::WindowText(edit) << "\"";
  EXPECT_EQ(e2e::ListViewText(list, 0), "A\\B\\Probe");
  EXPECT_EQ(e2e::ListViewSelected(list), 0) << "the first row is the choice";
  e2e::PostKey(edit, VK_RETURN);
  auto run = WaitForProbe(app);
  ASSERT_TRUE(run.has_value()) << "the tool did not start";
  EXPECT_EQ(run->cmd, probe + " \"t.exe\"");
  EXPECT_EQ(run->cwd, app.file("w"));
  EXPECT_TRUE(e2e::WaitForWindowGone(box, 5000)) << "the box closes after the launch";
  EXPECT_FALSE(WaitForProbe(app, "tools2", 200).has_value()) << "only the chosen tool runs";
  EXPECT_TRUE(IsWindowEnabled(k.main));
  CloseKest(k);
}

TEST_F(KestTest, FindBoxFromTheKeyboardAndCtrlEnterEditsTheCommandLine) {
  AppDir app("find-box-ctrl");
  AddProbeTool(app, "root\\Debuggers\\Probe.lnk", "my tools");
  app.writeFile("w\\t.exe", "MZ");
  StoreTargets(app, {app.file("w\\t.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  // A click on the entry gives the list the keys.
  HWND lv = k.targetList();
  RECT r = e2e::ListViewItemRect(lv, 0, LVIR_LABEL);
  POINT p{r.left + 5, (r.top + r.bottom) / 2};
  ClientToScreen(lv, &p);
  e2e::ClickOnScreen(p);
  ASSERT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == k.main; }, 5000));
  e2e::CtrlKey('F');
  HWND box = e2e::WaitForWindow("TfKFind", k.process.pid(), 10000, true);
  ASSERT_NE(box, nullptr) << "Ctrl+F opened no find box";
  HWND edit = e2e::FindChildByClass(box, "Edit");
  HWND list = e2e::FindChildByClass(box, "SysListView32");
  for (char c : std::string("debug")) e2e::PostChar(edit, c);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(edit) == "debug" && e2e::ListViewCount(list) == 1; }, 5000));
  e2e::CtrlKey(VK_RETURN);
  EXPECT_TRUE(e2e::WaitForWindowGone(box, 5000));
  HWND commandLine = k.control(ids::commandLine);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(commandLine) != FALSE; }, 5000))
      << "Ctrl+Enter puts the command line in the box";
  std::string probe = app.file("my tools\\probe.exe");
  EXPECT_EQ(e2e::WindowText(commandLine), "\"" + probe + "\" \"t.exe\"");
  EXPECT_FALSE(WaitForProbe(app, "my tools", 300).has_value()) << "nothing starts yet";
  e2e::PostKey(commandLine, VK_RETURN);
  auto run = WaitForProbe(app, "my tools");
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->cmd, "\"" + probe + "\" \"t.exe\"");
  EXPECT_EQ(run->cwd, app.file("w"));
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
