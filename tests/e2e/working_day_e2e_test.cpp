// What a working day brings that a clean run does not: names with "&", "%1" in quotes, files
// forwarded while a menu is open, a list moved by the keyboard.
#include <gtest/gtest.h>

#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"
#include "platform/win32/shell_links.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

// Opens the target list's menu over an entry, and leaves it open.
HWND OpenMenuOver(const Kest& k, int item) {
  HWND lv = k.targetList();
  e2e::ListViewSelect(lv, item);
  RECT r = e2e::ListViewItemRect(lv, item, LVIR_LABEL);
  return OpenPopupMenu(k, [&] { e2e::PostClick(lv, r.left + 5, (r.top + r.bottom) / 2, true); });
}

TEST_F(KestTest, AmpersandsInNamesAndQuotedPercentOneRunTheRightToolOnTheRightName) {
  AppDir app("working-ampersand");
  // Two tools whose names differ only by "&", in a folder with "&" in its name: each item runs
  // its own, and "-f "%1"" gets the name quoted once.
  std::string withAmp = AddProbeTool(app, "root\\Hex & Disasm\\A&B.lnk", "tools");
  std::string without = AddProbeTool(app, "root\\Hex & Disasm\\AB.lnk", "tools2");
  {
    win32::ComApartment com;
    win32::ComShellLinks links;
    ASSERT_TRUE(links.write(app.file("root\\Hex & Disasm\\A&B.lnk"), withAmp, "-f \"%1\"", ""));
  }
  app.writeFile("cases\\my sample.exe", "MZ");
  StoreTargets(app, {app.file("cases\\my sample.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RIGHT, VK_RETURN});
  ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::WaitForPopupMenu(0, k.process.pid()); }, 5000));
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
  auto a = WaitForProbe(app, "tools");
  auto b = WaitForProbe(app, "tools2");
  ASSERT_TRUE(a.has_value()) << "the tool named A&B did not run";
  ASSERT_TRUE(b.has_value()) << "the tool named AB did not run";
  EXPECT_EQ(a->cmd, withAmp + " -f \"my sample.exe\"");
  EXPECT_EQ(b->cmd, without + " \"my sample.exe\"");
  EXPECT_EQ(a->cwd, app.file("cases"));
  CloseKest(k);
}

TEST_F(KestTest, WhatAMenuActsOnIsFixedWhenItOpens) {
  AppDir app("working-pinned");
  std::string probe = AddProbeTool(app, "root\\Probe.lnk");
  for (const char* f : {"a\\a.exe", "f\\f.exe", "g\\g.exe"}) app.writeFile(f, "MZ");
  StoreTargets(app, {app.file("a\\a.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);

  // A file forwarded while the menu is open becomes current; the tool still runs on a.exe.
  HWND menu = OpenMenuOver(k, 0);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("f\\f.exe"))), 0u);
  ASSERT_TRUE(e2e::WaitUntil([&] { return k.targetNames().size() == 2; }, 5000));
  ASSERT_TRUE(IsWindowVisible(menu)) << "the forward closed the menu";
  e2e::MenuKeys(menu, {VK_DOWN, VK_RETURN});
  auto run = WaitForProbe(app);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->cmd, probe + " \"a.exe\"");
  EXPECT_EQ(run->cwd, app.file("a"));

  // "Delete" chosen after another forward takes out the entry the menu was opened over.
  menu = OpenMenuOver(k, 0);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("g\\g.exe"))), 0u);
  ASSERT_TRUE(e2e::WaitUntil([&] { return k.targetNames().size() == 3; }, 5000));
  // Past the tool, "Copy file path" and "Copy hashes".
  e2e::MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_TRUE(e2e::WaitUntil([&] { return k.targetNames() == std::vector<std::string>{"f.exe", "g.exe"}; }, 5000));
  CloseKest(k);
}

TEST_F(KestTest, TheKeyboardMovesTheCurrentTargetAndTheNoteFollows) {
  AppDir app("working-keys");
  app.writeFile("one\\alpha.exe", "MZ");
  app.writeFile("two\\beta.exe", "MZ");
  app.writeFile("beta.exe.txt", "beta's note");
  StoreTargets(app, {app.file("one\\alpha.exe"), app.file("two\\beta.exe")});
  app.writeIni("Options", "KFSOpened", "1");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND kfs = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000, true);
  ASSERT_NE(kfs, nullptr);
  HWND editor = Editor(kfs);
  HWND lv = k.targetList();
  auto shows = [&](const std::string& text) {
    return e2e::WaitUntil([&] { return e2e::WindowText(editor) == text; }, 5000);
  };
  ASSERT_TRUE(shows("beta's note"));
  // Up: alpha is current, with its (empty) note; what is typed there goes to alpha's note.
  e2e::PostKey(lv, VK_UP);
  EXPECT_TRUE(shows(""));
  Type(editor, "alpha by keys");
  e2e::PostKey(lv, VK_END);
  EXPECT_TRUE(shows("beta's note"));
  EXPECT_TRUE(HoldsRtfWith(app, "alpha.exe.txt", "alpha by keys"));
  // A typed letter finds alpha again.
  e2e::PostChar(lv, 'a');
  EXPECT_TRUE(shows("alpha by keys"));
  EXPECT_EQ(e2e::ListViewSelected(lv), 0);
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
