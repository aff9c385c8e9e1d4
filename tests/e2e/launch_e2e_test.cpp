// Launching a tool from the target list's pop-up menu: a probe program stands in for the tool
// and records the command line and directory it was started with.
#include <gtest/gtest.h>

#include "catalog/shortcuts.h"
#include "catalog/tool_menus.h"
#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"
#include "core/window_ids.h"
#include "platform/win32/shell_links.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

const std::vector<UINT> kFirstToolOfFirstFolder{VK_DOWN, VK_RIGHT, VK_RETURN};

TEST_F(KestTest, MenuLaunchRunsTheToolOnTheTargetInItsDirectory) {
  AppDir app("launch-target");
  std::string probe = AddProbeTool(app, "root\\Debuggers\\Probe.lnk");
  app.writeFile("work dir\\a.exe", "MZ");
  StoreTargets(app, {app.file("work dir\\a.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ChooseFromTargetMenu(k, 0, kFirstToolOfFirstFolder);
  auto run = WaitForProbe(app);
  ASSERT_TRUE(run.has_value()) << "the probe did not start";
  EXPECT_EQ(run->cmd, probe + " \"a.exe\"");
  EXPECT_EQ(run->cwd, app.file("work dir"));
  EXPECT_FALSE(IsIconic(k.main));
  CloseKest(k);
}

TEST_F(KestTest, AShortcutsOwnArgumentsTakeTheTargetWhereItSaysPercentOne) {
  AppDir app("launch-arguments");
  std::string probe = AddProbeTool(app, "root\\Probe.lnk");
  {
    win32::ComApartment com;
    win32::ComShellLinks links;
    ASSERT_TRUE(links.write(app.file("root\\Probe.lnk"), probe, "-f %1 --", ""));
  }
  app.writeFile("w\\a.exe", "MZ");
  StoreTargets(app, {app.file("w\\a.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  auto run = WaitForProbe(app);
  ASSERT_TRUE(run.has_value()) << "the probe did not start";
  EXPECT_EQ(run->cmd, probe + " -f \"a.exe\" --");
  EXPECT_EQ(run->cwd, app.file("w"));
  CloseKest(k);
}

TEST_F(KestTest, WithoutTargetTheToolStartsInItsOwnDirectoryAndMinToolsRunMinimises) {
  AppDir app("launch-no-target");
  std::string probe = AddProbeTool(app, "root\\Debuggers\\Probe.lnk");
  app.writeIni("Options", "MinToolsRun", "1");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ChooseFromTargetMenu(k, -1, kFirstToolOfFirstFolder);
  auto run = WaitForProbe(app);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->cmd.find("\"a.exe\""), std::string::npos);
  EXPECT_NE(run->cmd.find("probe.exe"), std::string::npos);
  EXPECT_EQ(run->cwd, app.file("tools"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsIconic(k.main) != FALSE; }, 3000)) << "MinToolsRun minimises";
  CloseKest(k);
  EXPECT_EQ(app.readIni("Options", "Minimized"), "1");
}

TEST_F(KestTest, CtrlShowsTheCommandLineAndEnterRunsIt) {
  AppDir app("launch-ctrl");
  std::string probe = AddProbeTool(app, "root\\Probe.lnk", "my tools");
  app.writeFile("w\\b.exe", "MZ");
  StoreTargets(app, {app.file("w\\b.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  PostMessageA(lv, WM_KEYDOWN, VK_CONTROL, 1);
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  HWND commandLine = k.control(ids::commandLine);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(commandLine) != FALSE; }, 5000));
  // The program path holds a blank: it is quoted.
  EXPECT_EQ(e2e::WindowText(commandLine), "\"" + probe + "\" \"b.exe\"");
  EXPECT_FALSE(WaitForProbe(app, "my tools", 300).has_value()) << "nothing starts yet";
  e2e::PostKey(commandLine, VK_RETURN);
  auto run = WaitForProbe(app, "my tools");
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->cmd, "\"" + probe + "\" \"b.exe\"");
  EXPECT_EQ(run->cwd, app.file("w"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(commandLine); }, 3000));
  PostMessageA(lv, WM_KEYUP, VK_CONTROL, 0xC0000001);
  CloseKest(k);
}

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

TEST_F(KestTest, MissingToolBringsTheDriveQuestionsAndTheWarning) {
  AppDir app("launch-missing");
  std::string probe = AddProbeTool(app, "root\\Gone.lnk");
  DeleteFileA(probe.c_str());
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  RECT r = e2e::ClientRect(k.targetList());
  e2e::PostClick(k.targetList(), r.right / 2, r.bottom - 5, true);
  auto answer = [&](const char* caption, const std::string& start, int button) {
    auto box = e2e::WaitForMessageBox(caption, 10000, k.process.pid());
    ASSERT_TRUE(box.has_value()) << "no \"" << caption << "\" box";
    EXPECT_EQ(box->text.substr(0, start.size()), start);
    e2e::AnswerMessageBox(box->hwnd, button);
  };
  const std::string warning = "Tool [probe.exe] was not found!!! Run Tools Manager and delete or edit links to it!";
  // The target list's menu: search the drives, no CD, then the warning.
  answer("Kest", "One or more tools was not found! May be work drive was changed!\r\n", IDYES);
  answer("Kest", "Tool not found on HDD and Flesh drives!Check CD?", IDNO);
  answer("Kest warning", warning, IDOK);
  // The tray menu is built in the same go, and checks again.
  answer("Kest", "One or more tools was not found!", IDNO);
  answer("Kest warning", warning, IDOK);
  // The menu opens after the last box; opening it again rebuilds nothing.
  HWND menu = e2e::WaitForPopupMenu(10000, k.process.pid());
  if (!menu || e2e::WaitUntil([&] { return !IsWindowVisible(menu); }, 200))
    menu = OpenPopupMenu(k, [&] { e2e::PostClick(k.targetList(), r.right / 2, r.bottom - 5, true); });
  ASSERT_NE(menu, nullptr);
  e2e::MenuKeys(menu, {VK_DOWN, VK_RETURN});
  answer("Kest", "One or more tools was not found!", IDNO);
  answer("Kest warning", warning, IDOK);
  EXPECT_TRUE(k.process.running());
  // A second opening rebuilds nothing: no questions.
  menu = OpenPopupMenu(k, [&] { e2e::PostClick(k.targetList(), r.right / 2, r.bottom - 5, true); });
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(e2e::NoMessageBox("Kest", 300, k.process.pid()));
  e2e::MenuKeys(menu, {VK_ESCAPE});
  CloseKest(k);
}

TEST_F(KestTest, IconBarIsRebuiltOnlyInARunBegunInMiniModeAndItsButtonsLaunch) {
  AppDir app("icon-bar");
  std::string probe = AddProbeTool(app, "root\\Debuggers\\Probe.lnk");
  app.writeFile("w\\t.exe", "MZ");
  StoreTargets(app, {app.file("w\\t.exe")});
  app.writeIni("Options", "IMOnStart", "1");
  Kest k = StartKest(app, BareCommandLine(app), false);
  ASSERT_NE(k.main, nullptr);
  // Such a run begins in mini mode: the mini window in place of the main window.
  ASSERT_NE(e2e::WaitForWindow("TfSplashForm", k.process.pid(), 5000, true), nullptr);
  EXPECT_FALSE(IsWindowVisible(k.main));
  HWND bar = k.control(ids::iconBar);
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(IsWindowVisible(bar)) << "no mode shows the icon bar";
  EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 0);
  SendMessageA(k.main, msg::kSettingsApplied, 0, 0);
  EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 1);
  e2e::PostCommand(k.main, *ToolCommandId(ToolCommandRange::IconBar, 0));  // the first tool button
  auto run = WaitForProbe(app);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->cmd, probe + " \"t.exe\"");
  EXPECT_EQ(run->cwd, app.file("w"));
  CloseKest(k);
  // Such a run keeps its own geometry keys.
  EXPECT_EQ(app.readIni("Options", "IMOnStart"), "1");
  EXPECT_NE(app.readIni("Options", "IMLeft"), "\x01");

  AppDir normal("icon-bar-normal");
  AddProbeTool(normal, "root\\Probe.lnk");
  Kest n = StartKest(normal, BareCommandLine(normal));
  ASSERT_NE(n.main, nullptr);
  SendMessageA(n.main, msg::kSettingsApplied, 0, 0);
  EXPECT_EQ(SendMessageA(n.control(ids::iconBar), TB_BUTTONCOUNT, 0, 0), 0) << "normal mode leaves the bar alone";
  CloseKest(n);
}

TEST_F(KestTest, EnterInAnEmptiedCommandBoxOnlyHidesIt) {
  AppDir app("empty-command-box");
  AddProbeTool(app, "root\\Probe.lnk");
  app.writeFile("x\\t.exe", "MZ");
  StoreTargets(app, {app.file("x\\t.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  PostMessageA(k.targetList(), WM_KEYDOWN, VK_CONTROL, 1);
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  HWND commandLine = k.control(ids::commandLine);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(commandLine) != FALSE; }, 5000));
  SendMessageA(commandLine, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  e2e::PostKey(commandLine, VK_RETURN);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(commandLine); }, 3000));
  EXPECT_FALSE(WaitForProbe(app, "tools", 500).has_value());
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
