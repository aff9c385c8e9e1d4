// Launching for real what only a real start shows: a renamed shortcut, a re-pointed one, and
// targets and tools the system refuses. A probe program stands in for the tool and records the
// command line and directory it was started with.
#include <gtest/gtest.h>

#include "catalog/shortcuts.h"
#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"
#include "core/window_ids.h"
#include "platform/win32/shell_links.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

TEST_F(KestTest, APifToolIsLaunched) {
  AppDir app("launch-pif");
  std::string probe = AddProbeTool(app, "root\\Tool.lnk");
  MoveFileA(app.file("root\\Tool.lnk").c_str(), app.file("root\\Tool.pif").c_str());
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ChooseFromTargetMenu(k, -1, {VK_DOWN, VK_RETURN});
  ASSERT_TRUE(WaitForProbe(app).has_value()) << "Tool.pif is a tool as Tool.lnk would be";
  CloseKest(k);
}

TEST_F(KestTest, ARePointedToolRunsItsNewProgramOnceTheSettingsWindowHasClosed) {
  AppDir app("launch-repointed");
  std::string probe = AddProbeTool(app, "root\\Probe.lnk");
  // A second probe whose path is as long as the first: the rewritten link keeps its size, and
  // only its last-write time tells it from the old one.
  std::string moved = app.file("tool2\\probe.exe");
  e2e::MakeDirs(app.file("tool2"));
  ASSERT_TRUE(CopyFileA(probe.c_str(), moved.c_str(), FALSE));
  app.writeFile("w\\t.exe", "MZ");
  StoreTargets(app, {app.file("w\\t.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  auto run = WaitForProbe(app);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->cmd, probe + " \"t.exe\"");

  k.click(ids::settings);
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr);
  {
    win32::ComApartment com;
    win32::ComShellLinks links;
    links.write(app.file("root\\Probe.lnk"), moved, "", app.file("tool2"));
  }
  // The old program is gone: a menu that still took the link's old path would warn about it.
  ASSERT_TRUE(e2e::WaitUntil([&] { return DeleteFileA(probe.c_str()) != FALSE; }, 5000));
  e2e::PostClose(settings);
  ASSERT_TRUE(e2e::WaitForWindowGone(settings, 5000));

  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  run = WaitForProbe(app, "tool2");
  ASSERT_TRUE(run.has_value()) << "the re-pointed tool did not start";
  EXPECT_EQ(run->cmd, moved + " \"t.exe\"");
  EXPECT_TRUE(e2e::NoMessageBox("Kest", 300, k.process.pid()));
  EXPECT_TRUE(e2e::NoMessageBox("Kest warning", 10, k.process.pid()));
  CloseKest(k);
}

TEST_F(KestTest, LaunchRoutesNeverRunAToolOnTheWrongFile) {
  AppDir app("launch-wrong-file");
  std::string probe = AddProbeTool(app, "root\\Probe.lnk");
  app.writeFile("gone\\b.exe", "MZ");
  app.writeFile("w\\a.exe", "MZ");
  app.writeFile("w\\c.exe", "MZ");
  app.writeIni("Options", "MinToolsRun", "1");
  StoreTargets(app, {app.file("gone\\b.exe"), app.file("w\\a.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);

  // A path dropped on Kest.exe comes without quotes: it keeps its last character.
  EXPECT_EQ(RunRefusedStart(app, e2e::Quoted(app.exe()) + " " + app.file("w\\c.exe")), 0u);
  ASSERT_TRUE(e2e::WaitUntil([&] { return k.targetNames().size() == 3u; }, 5000));
  EXPECT_EQ(k.targetNames().back(), "c.exe");
  // Line breaks in a path would rewrite Tools.ini: the second start refuses it and says so.
  std::string text = RunReportingStart(app, e2e::Quoted(app.exe()) + " C:\\x.exe\r\nCount=0\r\n[Evil]\"");
  EXPECT_EQ(text.find("The path holds control characters"), 0u) << text;
  EXPECT_EQ(k.targetNames().size(), 3u);
  EXPECT_EQ(app.readFile("Tools.ini").find("Evil"), std::string::npos);
  // The add is saved a moment after it is listed.
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.readIni("Targets", "Count") == "3"; }, 5000));

  // The target's directory has gone: nothing starts, and the message names the directory.
  DeleteFileA(app.file("gone\\b.exe").c_str());
  ASSERT_TRUE(RemoveDirectoryA(app.file("gone").c_str()));
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  auto gone = e2e::WaitForMessageBox("Kest error", 10000, k.process.pid());
  ASSERT_TRUE(gone.has_value());
  EXPECT_EQ(gone->text, "The target's directory cannot be entered:\r\n" + app.file("gone") + "\\\r\nThe tool was not started.");
  e2e::AnswerMessageBox(gone->hwnd, IDOK);
  EXPECT_FALSE(WaitForProbe(app, "tools", 500).has_value());

  // A tool that is no program: reported with its path, and Kest is not sent to the tray.
  app.writeFile("tools\\probe.exe", "not a program");
  ChooseFromTargetMenu(k, 1, {VK_DOWN, VK_RETURN});
  auto bad = e2e::WaitForMessageBox("Kest error", 10000, k.process.pid());
  ASSERT_TRUE(bad.has_value());
  EXPECT_EQ(bad->text.find("Cannot start " + probe + "\r\n"), 0u) << bad->text;
  e2e::AnswerMessageBox(bad->hwnd, IDOK);
  EXPECT_FALSE(IsIconic(k.main));
  EXPECT_TRUE(IsWindowVisible(k.main));
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
