// The single-instance rule with real processes: copies of Kest.exe started with exact command
// lines, as the Explorer commands start them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "e2e/kest_driver.h"
#include "platform/paths.h"
#include "core/window_ids.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

TEST_F(KestTest, FirstStartRunsOnDefaultsAndClosingEndsTheProgram) {
  AppDir app("first-start");
  // Started as Wine's own launcher starts programs: the quoted executable, no blank after it.
  Kest k = StartKest(app, e2e::Quoted(app.exe()));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(e2e::WindowText(k.main), "Kest_main");
  RECT r = e2e::WindowRectOnScreen(k.main);
  EXPECT_EQ(r.left, 250);
  EXPECT_EQ(r.top, 450);
  EXPECT_EQ(r.right - r.left, 280);
  EXPECT_EQ(r.bottom - r.top, 334);
  EXPECT_EQ(e2e::WindowAlpha(k.main), 245);
  EXPECT_EQ(GetWindowLongA(k.main, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0) << "frameless";
  // The note window exists from the start, hidden.
  HWND kfs = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000);
  ASSERT_NE(kfs, nullptr);
  EXPECT_FALSE(IsWindowVisible(kfs));
  EXPECT_EQ(e2e::AtomRefCount("OnlyOneKest"), 1);
  EXPECT_FALSE(app.exists("Tools.ini")) << "nothing is written at start-up";

  HWND lv = k.targetList();
  ASSERT_NE(lv, nullptr);
  EXPECT_EQ(e2e::ListViewCount(lv), 0);
  EXPECT_EQ(e2e::ListViewColumnTitle(lv, 0), "File");
  EXPECT_EQ(e2e::ListViewColumnTitle(lv, 1), "Directory");
  EXPECT_EQ(e2e::ListViewColumnWidth(lv, 0), 280 - 4) << "the file column follows the window";
  EXPECT_EQ(e2e::ListViewColumnWidth(lv, 1), 0);

  CloseKest(k);
  EXPECT_FALSE(e2e::AtomExists("OnlyOneKest")) << "the marker goes with the main window";
  EXPECT_EQ(app.readIni("Options", "NMLeft"), "250");
  EXPECT_EQ(app.readIni("Options", "NMTop"), "450");
  EXPECT_EQ(app.readIni("Options", "NMWidth"), "280");
  EXPECT_EQ(app.readIni("Options", "NMHeight"), "334");
  EXPECT_EQ(app.readIni("Options", "IMOnStart"), "0");
  EXPECT_EQ(app.readIni("Options", "abValue"), "245");
  EXPECT_EQ(app.readIni("Options", "KFSOpened"), "0");
  EXPECT_EQ(app.readIni("Options", "Minimized"), "0");
  EXPECT_EQ(app.readIni("Options", "LastDir"), "") << "the open dialog was never used";
  // No "Drive" stored: the work drive is the executable's.
  EXPECT_EQ(app.readIni("Options", "Drive"), app.path().substr(0, 1));
}

TEST_F(KestTest, StoredPlacementAndOpacityAreTaken) {
  AppDir app("stored-placement");
  app.writeIni("Options", "NMLeft", "40");
  app.writeIni("Options", "NMTop", "0x40");
  app.writeIni("Options", "NMWidth", "300");
  app.writeIni("Options", "NMHeight", "$100");
  app.writeIni("Options", "abValue", "300");  // low 8 bits: 44
  app.writeIni("Options", "Drive", "Q");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  RECT r = e2e::WindowRectOnScreen(k.main);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 64);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 256);
  EXPECT_EQ(e2e::WindowAlpha(k.main), 44);
  // Closed while minimised, it keeps the place it had before.
  k.click(ids::trayInMiniStrip);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsIconic(k.main) != FALSE; }, 5000));
  CloseKest(k);
  EXPECT_EQ(app.readIni("Options", "abValue"), "44");
  EXPECT_EQ(app.readIni("Options", "Minimized"), "1");
  EXPECT_EQ(app.readIni("Options", "Drive"), "Q") << "the work drive letter is kept";
  Kest again = StartKest(app, BareCommandLine(app));
  ASSERT_NE(again.main, nullptr);
  RECT r2 = e2e::WindowRectOnScreen(again.main);
  EXPECT_EQ(r2.left, 40);
  EXPECT_EQ(r2.top, 64);
  EXPECT_EQ(r2.right - r2.left, 300);
  EXPECT_EQ(r2.bottom - r2.top, 256);
  CloseKest(again);
}

TEST_F(KestTest, SecondStartWithoutArgumentOnlyActivatesTheRunningCopy) {
  AppDir app("second-bare");
  Kest first = StartKest(app, BareCommandLine(app));
  ASSERT_NE(first.main, nullptr);
  EXPECT_EQ(RunRefusedStart(app, BareCommandLine(app)), 0u);
  EXPECT_EQ(e2e::TopWindows("TfKest").size(), 1u);
  EXPECT_EQ(e2e::ListViewCount(first.targetList()), 0);
  EXPECT_EQ(e2e::AtomRefCount("OnlyOneKest"), 1);
  EXPECT_EQ(e2e::ClearAtomsWithPrefix("KestComLine="), 0) << "nothing was forwarded";
  CloseKest(first);
}

TEST_F(KestTest, SecondStartForwardsItsFileAndTheAtomIsGone) {
  AppDir app("second-file");
  app.writeFile("work\\app.exe", "MZ");
  app.writeFile("other dir\\b b.exe", "MZ");
  Kest first = StartKest(app, BareCommandLine(app));
  ASSERT_NE(first.main, nullptr);

  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("work\\app.exe"))), 0u);
  // The second start waits in SendMessage until the running copy has handled it.
  EXPECT_EQ(first.targetNames(), std::vector<std::string>{"app.exe"});
  EXPECT_EQ(first.targetDirs(), std::vector<std::string>{app.file("work\\")});
  EXPECT_EQ(e2e::ClearAtomsWithPrefix("KestComLine="), 0) << "the forwarding atom must be gone";

  // The registered commands put the path right after the executable's quote.
  std::string explorerStyle = e2e::Quoted(app.exe()) + app.file("other dir\\b b.exe") + "\"";
  EXPECT_EQ(RunRefusedStart(app, explorerStyle), 0u);
  EXPECT_EQ(first.targetNames(), (std::vector<std::string>{"app.exe", "b b.exe"}));
  EXPECT_EQ(first.targetDirs()[1], app.file("other dir\\"));

  EXPECT_EQ(e2e::TopWindows("TfKest").size(), 1u);
  EXPECT_EQ(e2e::AtomRefCount("OnlyOneKest"), 1);
  CloseKest(first);
}

TEST_F(KestTest, FilesForwardedWhileTheCopyClosesAreNeitherDroppedNorLost) {
  AppDir app("closing-copy");
  for (const char* f : {"w\\a.exe", "w\\older.exe", "w\\newer.exe"}) app.writeFile(f, "MZ");
  StoreTargets(app, {app.file("w\\a.exe")});
  app.writeIni("Options", "KFSOpened", "1");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND kfs = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000, true);
  ASSERT_NE(kfs, nullptr);
  // The close waits on a question: the note was written by another copy since it was read.
  Type(Editor(kfs), "mine");
  Sleep(20);
  app.writeFile("a.exe.txt", "written by another copy");
  e2e::PostClose(k.main);
  auto question = e2e::WaitForMessageBox("Kest confirm", 10000, k.process.pid());
  ASSERT_TRUE(question.has_value());

  // A start that reads the answer is refused meanwhile and keeps its file.
  e2e::Process newer = e2e::Process::Start(app.exe(), ArgumentCommandLine(app, app.file("w\\newer.exe")), app.path());
  EXPECT_FALSE(newer.waitExit(1000)) << "it waits for the closing copy";
  // An older start, which reads no answer, is served, and its file reaches Tools.ini at once.
  ATOM atom = GlobalAddAtomA(("KestComLine=" + app.file("w\\older.exe")).c_str());
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(k.main, WM_USER + 3, 0, atom, SMTO_NORMAL, 5000, &answer));
  EXPECT_EQ(app.readIni("Targets", "1"), app.file("w\\older.exe"));

  // The close goes on; the waiting start becomes the new copy, with its own file after the list.
  e2e::AnswerMessageBox(question->hwnd, IDNO);
  EXPECT_TRUE(k.process.waitExit(10000));
  Kest next;
  next.process = std::move(newer);
  next.main = e2e::WaitForWindow("TfKest", next.process.pid(), 15000, true);
  ASSERT_NE(next.main, nullptr);
  EXPECT_EQ(next.targetNames(), (std::vector<std::string>{"a.exe", "older.exe", "newer.exe"}));
  EXPECT_EQ(e2e::AtomRefCount("OnlyOneKest"), 1);
  CloseKest(next);
  EXPECT_EQ(app.readIni("Targets", "2"), app.file("w\\newer.exe"));
}

TEST_F(KestTest, ForwardedDirectoryIsImportedAsTools) {
  AppDir app("forward-directory");
  app.writeFile("kits\\Pack\\unpack.exe", "MZ");
  app.writeFile("kits\\Pack\\docs\\readme.txt", "text");
  app.writeFile("kits\\Pack\\bin\\dump.exe", "MZ");
  Kest first = StartKest(app, BareCommandLine(app));
  ASSERT_NE(first.main, nullptr);
  e2e::Process second = e2e::Process::Start(app.exe(), ArgumentCommandLine(app, app.file("kits\\Pack")), app.path());
  AnswerImportQuestions(first, "Pack");
  EXPECT_TRUE(second.waitExit(10000));
  // The second start may end before the import does: the running copy heard of the atom on its
  // quick line, and the message finds it taken over.
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return app.exists("root\\Pack\\bin\\dump.lnk") && app.exists("root\\Pack\\unpack.lnk"); }, 5000));
  EXPECT_FALSE(e2e::DirExists(app.file("root\\Pack\\docs"))) << "a branch without programs leaves nothing";
  EXPECT_EQ(e2e::ListViewCount(first.targetList()), 0) << "a directory is no target";
  CloseKest(first);
}

TEST_F(KestTest, FirstStartImportsADirectoryArgument) {
  AppDir app("own-directory");
  app.writeFile("Tools Dir\\t.exe", "MZ");
  Kest k;
  k.process = e2e::Process::Start(app.exe(), ArgumentCommandLine(app, app.file("Tools Dir")), app.path());
  AnswerImportQuestions(k, "Tools Dir");
  k.main = e2e::WaitForWindow("TfKest", k.process.pid(), 10000, true);
  ASSERT_NE(k.main, nullptr);
  EXPECT_TRUE(app.exists("root\\Tools Dir\\t.lnk"));
  CloseKest(k);
}

// The first copy asks about its own argument while its main window is still being made; a
// start that finds the window then hands its file over without waiting for the answer, and
// the file is listed once the window can take it.
TEST_F(KestTest, AFileForwardedWhileTheFirstCopyIsBeingMadeIsListedOnce) {
  AppDir app("forward-in-creation");
  app.writeFile("Tools Dir\\t.exe", "MZ");
  app.writeFile("work\\w.exe", "MZ");
  Kest k;
  k.process = e2e::Process::Start(app.exe(), ArgumentCommandLine(app, app.file("Tools Dir")), app.path());
  ASSERT_TRUE(e2e::WaitForMessageBox("Kest confirm", 10000, k.process.pid()).has_value());
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("work\\w.exe"))), 0u);
  AnswerImportQuestions(k, "Tools Dir");
  k.main = e2e::WaitForWindow("TfKest", k.process.pid(), 10000, true);
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(k.targetNames(), std::vector<std::string>{"w.exe"});
  EXPECT_TRUE(app.exists("root\\Tools Dir\\t.lnk"));
  EXPECT_EQ(e2e::ClearAtomsWithPrefix("KestComLine="), 0);
  CloseKest(k);
}

TEST_F(KestTest, FirstStartTakesItsOwnArgument) {
  AppDir app("own-argument");
  app.writeFile("t\\own.exe", "MZ");
  Kest k = StartKest(app, ArgumentCommandLine(app, app.file("t\\own.exe")));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(k.targetNames(), std::vector<std::string>{"own.exe"});
  CloseKest(k);
}

TEST_F(KestTest, TwoForwardingAtomsAreHandledByOneMessageInAtomOrder) {
  AppDir app("two-atoms");
  Kest first = StartKest(app, BareCommandLine(app));
  ASSERT_NE(first.main, nullptr);
  // Left behind by earlier starts whose message never arrived.
  ATOM a = GlobalAddAtomA("KestComLine=C:\\left\\one.exe");
  ATOM b = GlobalAddAtomA("KestComLine=C:\\left\\two.exe");
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, "C:\\new\\three.exe")), 0u);
  // The named atom is handled at once; the left-behind ones follow the search of the table.
  std::vector<std::string> names;
  ASSERT_TRUE(e2e::WaitUntil([&] { return (names = first.targetNames()).size() == 3u; }, 5000));
  EXPECT_EQ(names.front(), "three.exe");
  std::vector<std::string> leftovers = a < b ? std::vector<std::string>{"one.exe", "two.exe"}
                                             : std::vector<std::string>{"two.exe", "one.exe"};
  // All three arrive, the left-behind ones in ascending atom order.
  std::vector<std::string> leftSeen;
  for (auto& n : names)
    if (n != "three.exe") leftSeen.push_back(n);
  EXPECT_EQ(leftSeen, leftovers);
  // A copy that names no atom in its message is served as before: the search runs at once.
  ASSERT_NE(GlobalAddAtomA("KestComLine=C:\\old\\four.exe"), 0);
  SendMessageA(first.main, msg::kForwardedCommandLine, 0, 0);
  EXPECT_EQ(first.targetNames().back(), "four.exe");
  EXPECT_EQ(e2e::ClearAtomsWithPrefix("KestComLine="), 0);
  CloseKest(first);
}

// The running copy's quick line, written to as a second start (or anyone else) would.
TEST_F(KestTest, QuickLineTakesAnnouncedForwardingAtomsAndNothingElse) {
  AppDir app("quick-line");
  Kest first = StartKest(app, BareCommandLine(app));
  ASSERT_NE(first.main, nullptr);
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  const std::string line = "\\\\.\\mailslot\\KestComLine." + std::to_string(session);
  HANDLE writer = CreateFileA(line.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  auto post = [&](const void* data, DWORD size) {
    DWORD written = 0;
    WriteFile(writer, data, size, &written, nullptr);
  };
  // Hostile writes first: too long, too short, an atom that is no forwarding atom.
  char longMessage[64] = {};
  post(longMessage, sizeof longMessage);
  post("x", 1);
  ATOM marker = GlobalFindAtomA("OnlyOneKest");
  post(&marker, sizeof marker);
  ATOM announced = GlobalAddAtomA("KestComLine=C:\\quick\\one.exe");
  ASSERT_NE(announced, 0);
  post(&announced, sizeof announced);
  // No window message: the line alone brings the file over.
  EXPECT_TRUE(e2e::WaitUntil([&] { return first.targetNames() == std::vector<std::string>{"one.exe"}; }, 5000));
  // A message naming an atom that is no forwarding atom (any more: the line took it over)
  // returns at once; a left-behind atom is picked up by the later search, not inside it.
  ASSERT_NE(GlobalAddAtomA("KestComLine=C:\\left\\two.exe"), 0);
  SendMessageA(first.main, msg::kForwardedCommandLine, 0, marker);
  EXPECT_EQ(first.targetNames(), std::vector<std::string>{"one.exe"});
  EXPECT_TRUE(e2e::WaitUntil([&] { return first.targetNames().size() == 2u; }, 5000));
  EXPECT_EQ(e2e::ClearAtomsWithPrefix("KestComLine="), 0);
  EXPECT_EQ(e2e::AtomRefCount("OnlyOneKest"), 1);
  CloseHandle(writer);
  CloseKest(first);
  // The line goes with the window.
  HANDLE late = CreateFileA(line.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(late, INVALID_HANDLE_VALUE);
  if (late != INVALID_HANDLE_VALUE) CloseHandle(late);
}

TEST_F(KestTest, ArgumentTooLongForAnAtomCrashesNeitherCopy) {
  AppDir app("long-argument");
  Kest first = StartKest(app, BareCommandLine(app));
  ASSERT_NE(first.main, nullptr);
  std::string longPath = "C:\\" + std::string(250, 'L') + ".exe";
  EXPECT_EQ(RunReportingStart(app, ArgumentCommandLine(app, longPath)),
            "The path is too long to be handed to the running Kest (at most 243 characters):\r\n" + longPath);
  EXPECT_TRUE(first.process.running());
  EXPECT_EQ(e2e::ListViewCount(first.targetList()), 0);
  // The longest argument that fits arrives whole.
  std::string fits = "C:\\" + std::string(236, 'F') + ".exe";
  ASSERT_EQ(fits.size(), 243u);
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, fits)), 0u);
  EXPECT_EQ(first.targetNames(), std::vector<std::string>{std::string(236, 'F') + ".exe"});
  EXPECT_EQ(e2e::ClearAtomsWithPrefix("KestComLine="), 0);
  CloseKest(first);
}

TEST_F(KestTest, FurtherCopiesWhenAllowedEachHoldTheirOwnMarkerAndAWindowWithoutOneIsHandedTheFile) {
  AppDir app("more-copies");
  app.writeIni("Options", "NoMoreOneCopy", "0");
  Kest first = StartKest(app, BareCommandLine(app));
  ASSERT_NE(first.main, nullptr);
  Kest second = StartKest(app, ArgumentCommandLine(app, "C:\\x\\second.exe"));
  ASSERT_NE(second.main, nullptr);
  EXPECT_EQ(e2e::TopWindows("TfKest", 0, true).size(), 2u);
  EXPECT_EQ(e2e::AtomRefCount("OnlyOneKest"), 2) << "each copy adds a reference of its own";
  EXPECT_EQ(second.targetNames(), std::vector<std::string>{"second.exe"});
  EXPECT_EQ(first.targetNames(), std::vector<std::string>{});

  // Closing one copy leaves the other's reference.
  CloseKest(second);
  EXPECT_EQ(e2e::AtomRefCount("OnlyOneKest"), 1);
  ASSERT_TRUE(first.process.running());

  // A window without a marker (an older copy that closed took every reference): the next
  // start hands its file to that window, and adds no marker, since it does not run.
  e2e::DeleteAtomCompletely("OnlyOneKest");
  app.writeIni("Options", "NoMoreOneCopy", "1");
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, "C:\\x\\third.exe")), 0u);
  EXPECT_EQ(first.targetNames(), std::vector<std::string>{"third.exe"});
  EXPECT_FALSE(e2e::AtomExists("OnlyOneKest"));
  EXPECT_EQ(e2e::ClearAtomsWithPrefix("KestComLine="), 0);
  EXPECT_EQ(e2e::TopWindows("TfKest").size(), 1u);
  CloseKest(first);
}

// Five starts at once, one file each, as Explorer makes them for five selected files: started
// one after another without waiting. With running given they find that copy; without, one of
// them becomes the copy. Either way one copy lists the five files and every other start ends
// with exit code 0.
void FiveStartsAtOnce(const e2e::AppDir& app, Kest* running) {
  std::vector<std::string> names;
  std::vector<e2e::Process> starts;
  for (int i = 0; i < 5; ++i) {
    names.push_back("file" + std::to_string(i) + ".exe");
    app.writeFile("five\\" + names.back(), "MZ");
  }
  const ULONGLONG began = GetTickCount64();
  for (const std::string& name : names)
    starts.push_back(e2e::Process::Start(app.exe(), ArgumentCommandLine(app, app.file("five\\" + name)), app.path()));
  Kest own;
  if (!running) {
    own.main = e2e::WaitForWindow("TfKest", 0, 15000);
    ASSERT_NE(own.main, nullptr);
    running = &own;
  }
  const DWORD copy = e2e::WindowPid(running->main);
  auto ended = [&] {
    std::size_t n = 0;
    for (auto& p : starts) n += p.pid() != copy && !p.running();
    return n;
  };
  const std::size_t others = running == &own ? 4 : 5;
  ASSERT_TRUE(e2e::WaitUntil([&] { return ended() == others; }, 20000)) << ended() << " starts ended";
  std::string lives;
  for (auto& p : starts) {
    if (p.pid() == copy) {
      own.process = std::move(p);
      continue;
    }
    DWORD code = 0xDEAD;
    EXPECT_TRUE(p.waitExit(0, &code));
    EXPECT_EQ(code, 0u);
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(p.handle(), &created, &exited, &kernel, &user)) {
      auto ticks = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
      lives += " " + std::to_string((ticks(exited) - ticks(created)) / 10000);
    }
  }
  std::printf("five starts: the last ended %llu ms after the first began; each start lived (ms):%s\n",
              GetTickCount64() - began, lives.c_str());
  EXPECT_EQ(e2e::TopWindows("TfKest").size(), 1u);
  // Every start has handed its file over once it has ended.
  std::vector<std::string> listed = running->targetNames();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, names);
  EXPECT_EQ(e2e::AtomRefCount("OnlyOneKest"), 1);
  CloseKest(*running);
  EXPECT_FALSE(e2e::AtomExists("OnlyOneKest"));
  EXPECT_EQ(e2e::ClearAtomsWithPrefix("KestComLine="), 0) << "a forwarding atom was left behind";
  std::vector<std::string> stored;
  ASSERT_EQ(app.readIni("Targets", "Count"), "5");
  for (int i = 0; i < 5; ++i) stored.push_back(paths::FileNameOf(app.readIni("Targets", std::to_string(i))));
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, names);
}

TEST_F(KestTest, FiveStartsAtOnceWithNoCopyRunningMakeOneCopyWithFiveTargets) {
  AppDir app("five-at-once");
  FiveStartsAtOnce(app, nullptr);
}

TEST_F(KestTest, FiveStartsAtOnceBesideARunningCopyHandItFiveTargets) {
  AppDir app("five-beside");
  Kest first = StartKest(app, BareCommandLine(app));
  ASSERT_NE(first.main, nullptr);
  FiveStartsAtOnce(app, &first);
}

TEST_F(KestTest, StaleMarkerDoesNotBlockAStart) {
  AppDir app("stale-marker");
  for (int i = 0; i < 3; ++i) ASSERT_NE(GlobalAddAtomA("OnlyOneKest"), 0);
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(e2e::AtomRefCount("OnlyOneKest"), 1);
  CloseKest(k);
  EXPECT_FALSE(e2e::AtomExists("OnlyOneKest"));
}

// "Kest.exe sample.bin" typed in a console: the name is taken in the start's own current
// directory, by a first copy and by a second start alike.
TEST_F(KestTest, ARelativeNameIsListedWithTheDirectoryItWasGivenIn) {
  AppDir app("relative-name");
  app.writeFile("cases\\sample.bin", "x");
  app.writeFile("more cases\\sample.bin", "x");
  const std::string typed = e2e::Quoted(app.exe()) + " sample.bin";
  Kest first;
  first.process = e2e::Process::Start(app.exe(), typed, app.file("cases"));
  first.main = e2e::WaitForWindow("TfKest", first.process.pid(), 15000, true);
  ASSERT_NE(first.main, nullptr);
  EXPECT_EQ(first.targetNames(), std::vector<std::string>{"sample.bin"});
  EXPECT_EQ(first.targetDirs(), std::vector<std::string>{app.file("cases\\")});

  e2e::Process second = e2e::Process::Start(app.exe(), typed, app.file("more cases"));
  DWORD code = 0xDEAD;
  EXPECT_TRUE(second.waitExit(15000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(first.targetDirs(), (std::vector<std::string>{app.file("cases\\"), app.file("more cases\\")}));
  CloseKest(first);
  EXPECT_EQ(app.readIni("Targets", "1"), app.file("more cases\\sample.bin"));
}

}  // namespace
}  // namespace kest::e2etest
