// A working day's ends: a logoff, a kill, a Tools.ini that cannot be written at exit. None of
// them loses a target or a note.
#include <gtest/gtest.h>

#include "common/name_count.h"
#include "e2e/kest_driver.h"
#include "core/window_ids.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

TEST_F(KestTest, SessionEndKillAndALockedSettingsFileLoseNothing) {
  AppDir app("session");
  app.writeFile("w\\a.exe", "MZ");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);

  // A forwarded target is in Tools.ini as soon as it is listed: a kill right after keeps it.
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("w\\a.exe"))), 0u);
  ASSERT_TRUE(e2e::WaitUntil([&] { return app.readIni("Targets", "0") == app.file("w\\a.exe"); }, 5000));
  EXPECT_EQ(app.readIni("Targets", "Count"), "1");
  k.process.terminate();

  // The session ends: what a close writes is written, with no fade and no question.
  Kest s = StartKest(app, BareCommandLine(app));
  ASSERT_NE(s.main, nullptr);
  EXPECT_EQ(s.targetNames(), std::vector<std::string>{"a.exe"});
  s.click(ids::notes);
  HWND kfs = e2e::WaitForWindow("TfKFS", s.process.pid(), 5000, true);
  ASSERT_NE(kfs, nullptr);
  Type(Editor(kfs), "typed before the logoff");
  SetWindowPos(s.main, nullptr, 321, 222, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(SendMessageA(s.main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageA(s.main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(e2e::TopWindows("#32770", s.process.pid(), true).empty()) << "no question at a logoff";
  EXPECT_EQ(e2e::WindowAlpha(s.main), 245) << "no fade";
  s.process.terminate();
  EXPECT_EQ(app.readIni("Options", "NMLeft"), "321");
  EXPECT_EQ(app.readIni("Options", "KFSOpened"), "1");
  EXPECT_EQ(app.readIni("Targets", "0"), app.file("w\\a.exe"));
  EXPECT_TRUE(HoldsRtfWith(app, "a.exe.txt", "typed before the logoff"));

  // Tools.ini cannot be written at exit: reported once with a question. No keeps Kest
  // running; Yes ends it, after the note is saved.
  Kest t = StartKest(app, BareCommandLine(app));
  ASSERT_NE(t.main, nullptr);
  kfs = e2e::WaitForWindow("TfKFS", t.process.pid(), 5000, true);
  ASSERT_NE(kfs, nullptr);
  Type(Editor(kfs), "typed before a locked exit");
  // As root Wine writes read-only files: hold the file open without sharing instead.
  HANDLE holder = CreateFileA(app.ini().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  for (int answer : {IDNO, IDYES}) {
    e2e::PostClose(t.main);
    auto box = e2e::WaitForMessageBox("Kest", 10000, t.process.pid());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "Unable to write to " + app.ini() + "\r\nQuit without saving the settings?");
    e2e::AnswerMessageBox(box->hwnd, answer);
    if (answer == IDNO) {
      EXPECT_FALSE(t.process.waitExit(300)) << "No keeps Kest running";
      EXPECT_TRUE(IsWindowVisible(t.main));
    }
  }
  EXPECT_TRUE(t.process.waitExit(10000));
  CloseHandle(holder);
  EXPECT_TRUE(HoldsRtfWith(app, "a.exe.txt", "typed before a locked exit"));
  EXPECT_EQ(app.readIni("Options", "NMLeft"), "321");
}

TEST_F(KestTest, SavesKeepAHardLinkWorkInALockedFolderAndClearWhatAKilledSaveLeft) {
  AppDir app("save-identity");
  for (const char* f : {"w\\a.exe", "w\\b.exe", "w\\c.exe", "w\\d.exe"}) app.writeFile(f, "MZ");
  StoreTargets(app, {app.file("w\\a.exe")});
  // Tools.ini as a package manager keeps it: a hard link into its store.
  app.makeDir("store");
  const std::string stored = app.file("store\\Tools.ini");
  ASSERT_TRUE(MoveFileA(app.ini().c_str(), stored.c_str()));
  ASSERT_TRUE(CreateHardLinkA(app.ini().c_str(), stored.c_str(), nullptr));
  // A copy killed in its saves left a temporary file, and a note written in place cut short
  // with its old text beside it.
  app.writeFile("Tools.ini.99999999.saving", "half a save");
  app.writeFile("a.exe.txt", "{\\rtf1 cu");
  app.writeFile("a.exe.txt.99999999.recover", "the whole note");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  EXPECT_FALSE(app.exists("Tools.ini.99999999.saving"));
  EXPECT_FALSE(app.exists("a.exe.txt.99999999.recover"));
  EXPECT_EQ(app.readFile("a.exe.txt"), "the whole note");

  // A forwarded file reaches both names of Tools.ini, which stays one file.
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("w\\b.exe"))), 0u);
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return app.readFile("store\\Tools.ini").find("1=" + app.file("w\\b.exe")) != std::string::npos; }, 5000));
  EXPECT_EQ(testutil::NameCount(app.ini()), 2u);

  // Linked to a synced folder instead: the file it leads to is written, and the link stays.
  ASSERT_TRUE(DeleteFileA(app.ini().c_str()));
  StartUnixShell("ln -s " + UnixPath(stored) + " " + UnixPath(app.ini()));
  ASSERT_TRUE(e2e::WaitUntil([&] { return app.exists("Tools.ini"); }, 5000));
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("w\\c.exe"))), 0u);
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return app.readFile("store\\Tools.ini").find("2=" + app.file("w\\c.exe")) != std::string::npos; }, 5000));
  // Still a link; it goes (Wine's DeleteFile would take the file it leads to).
  StartUnixShell("test -L " + UnixPath(app.ini()) + " && rm " + UnixPath(app.ini()) + " && touch " +
                 UnixPath(app.file("was-a-link")));
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.exists("was-a-link"); }, 5000));

  // A folder that lets Tools.ini be written but takes no new file in it (here, the temporary
  // file's name is taken by a folder): written in place.
  ASSERT_TRUE(e2e::WaitUntil([&] { return MoveFileA(stored.c_str(), app.ini().c_str()) != FALSE; }, 5000));
  const std::string taken = app.ini() + "." + std::to_string(k.process.pid()) + ".saving";
  ASSERT_TRUE(CreateDirectoryA(taken.c_str(), nullptr));
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("w\\d.exe"))), 0u);
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.readIni("Targets", "3") == app.file("w\\d.exe"); }, 5000));
  EXPECT_TRUE(e2e::NoMessageBox("Kest error", 300, k.process.pid()));
  CloseKest(k);
  RemoveDirectoryA(taken.c_str());
}

}  // namespace
}  // namespace kest::e2etest
