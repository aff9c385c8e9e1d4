// Names in any script, on the routes a sample takes: Kest in such a folder, a Tools.ini from an
// older Kest on a Western system, a second start, a launch from the menu, a backup, a note, a
// restart.
#include <gtest/gtest.h>

#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"
#include "core/window_ids.h"
#include "platform/win32/text_encoding.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

TEST_F(KestTest, NamesInAnyScriptTakeEveryRouteWhole) {
  AppDir app("Инструменты 工具");
  std::string probe = AddProbeTool(app, "root\\Отладчики\\Проба 探针.lnk", "средства");
  const std::string dir = app.file("проба 样本 ☃");
  const std::string name = "образец 标本 🐞.exe";
  app.writeFile("проба 样本 ☃\\" + name, "MZ");
  // Written by an older Kest on a Western system: "café" in code page 1252.
  app.writeFile("Tools.ini", "[Targets]\r\nCount=1\r\n0=C:\\legacy\\caf\xE9.exe\r\n");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(k.targetNames(), std::vector<std::string>{"café.exe"});

  // A second start hands the name over whole.
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, dir + "\\" + name)), 0u);
  ASSERT_TRUE(e2e::WaitUntil([&] { return k.targetNames().size() == 2u; }, 5000));
  EXPECT_EQ(k.targetNames().back(), name);
  EXPECT_EQ(k.targetDirs().back(), dir + "\\");

  // The tool gets the exact name and runs in the exact directory.
  ChooseFromTargetMenu(k, 1, {VK_DOWN, VK_RIGHT, VK_RETURN});
  auto run = WaitForProbe(app, "средства");
  ASSERT_TRUE(run.has_value()) << "the probe did not start";
  EXPECT_EQ(run->cmd, e2e::Quoted(probe) + " \"" + name + "\"");  // its folder holds a blank
  EXPECT_EQ(run->cwd, dir);

  // A backup beside it.
  k.click(ids::backup);
  auto made = e2e::WaitForMessageBox("Kest info", 5000, k.process.pid());
  ASSERT_TRUE(made.has_value());
  e2e::AnswerMessageBox(made->hwnd, IDOK);
  EXPECT_TRUE(e2e::FileExists(dir + "\\" + name + ".KestBackUp"));

  // A note under the target's name, in its own script.
  k.click(ids::notes);
  HWND kfs = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000, true);
  ASSERT_NE(kfs, nullptr);
  const std::string note = "заметка 笔记 🐞";
  Type(Editor(kfs), note);
  CloseKest(k);
  EXPECT_EQ(app.readFile(name + ".txt").rfind("{\\rtf1", 0), 0u) << "plain RTF, not the rich edit's UTF-8 form";
  EXPECT_EQ(app.readIni("Targets", "0"), "C:\\legacy\\café.exe");
  EXPECT_EQ(app.readIni("Targets", "1"), dir + "\\" + name);

  // And all of it again after a restart.
  Kest again = StartKest(app, BareCommandLine(app));
  ASSERT_NE(again.main, nullptr);
  EXPECT_EQ(again.targetNames(), (std::vector<std::string>{"café.exe", name}));
  kfs = e2e::WaitForWindow("TfKFS", again.process.pid(), 5000, true);
  ASSERT_NE(kfs, nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(Editor(kfs)) == note; }, 5000)) << e2e::WindowText(Editor(kfs));

  // A target whose path is longer than MAX_PATH is listed, and a tool either runs on it in its
  // own directory or is refused with a message: never run on another file.
  std::string deep = dir;
  while (deep.size() < 300) {
    deep += "\\" + std::string(40, 'd');
    CreateDirectoryW((L"\\\\?\\" + win32::AnsiToWide(deep)).c_str(), nullptr);
  }
  HANDLE f = CreateFileW((L"\\\\?\\" + win32::AnsiToWide(deep + "\\long.exe")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  CloseHandle(f);
  ASSERT_TRUE(PostDropFiles(again.main, {deep + "\\long.exe"}));
  bool listed = e2e::WaitUntil([&] { return again.targetNames().size() == 3u; }, 5000);
  ASSERT_TRUE(listed);
  EXPECT_EQ(again.targetNames().back(), "long.exe");
  EXPECT_EQ(again.targetDirs().back(), deep + "\\");
  ChooseFromTargetMenu(again, 2, {VK_DOWN, VK_RIGHT, VK_RETURN});
  std::optional<e2e::MessageBoxInfo> refused;
  std::optional<ProbeRun> ran;
  ASSERT_TRUE(e2e::WaitUntil([&] {
    refused = e2e::WaitForMessageBox("Kest error", 1, again.process.pid());
    ran = WaitForProbe(app, "средства", 1);
    return refused || (ran && ran->cmd.find("long.exe") != std::string::npos);
  }, 10000));
  if (refused) {
    EXPECT_EQ(refused->text.find("The target's directory cannot be entered:\r\n" + deep + "\\"), 0u) << refused->text;
    e2e::AnswerMessageBox(refused->hwnd, IDOK);
  } else {
    EXPECT_EQ(ran->cwd, deep);
  }
  std::printf("a path of %zu characters: %s\n", deep.size() + 9, refused ? "refused with a message" : "launched");
  CloseKest(again);
  // The tree's own clean-up reaches no further than MAX_PATH.
  DeleteFileW((L"\\\\?\\" + win32::AnsiToWide(deep + "\\long.exe")).c_str());
  for (; deep.size() > dir.size(); deep.erase(deep.rfind('\\'))) RemoveDirectoryW((L"\\\\?\\" + win32::AnsiToWide(deep)).c_str());
}

}  // namespace
}  // namespace kest::e2etest
