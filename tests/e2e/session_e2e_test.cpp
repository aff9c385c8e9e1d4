// A working day's ends: a logoff, a kill, a Tools.ini that cannot be written at exit. None of
// them loses a target or a note.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kest::e2etest
