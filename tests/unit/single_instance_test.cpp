#include "core/single_instance.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_platform.h"
#include "core/texts.h"
#include "platform/kest_error.h"

namespace kest {
namespace {

WindowHandle const kRunning = reinterpret_cast<WindowHandle>(0x1234);

TEST(DecideStart, TableAndWhenTheOptionIsRead) {
  int reads = 0;
  auto option = [&](bool value) {
    return [&reads, value] {
      ++reads;
      return value;
    };
  };
  // Another copy lives where its window or its sign of life is found, with or without marker.
  EXPECT_EQ(DecideStart(true, true, true, option(true)), StartAction::ForwardAndQuit);
  EXPECT_EQ(DecideStart(false, true, false, option(true)), StartAction::ForwardAndQuit);
  EXPECT_EQ(DecideStart(true, false, true, option(true)), StartAction::WaitForWindow);
  EXPECT_EQ(DecideStart(false, false, true, option(true)), StartAction::WaitForWindow);
  EXPECT_EQ(DecideStart(true, true, false, option(false)), StartAction::StartBeside);
  EXPECT_EQ(DecideStart(false, false, true, option(false)), StartAction::StartBeside);
  EXPECT_EQ(reads, 6);
  // Where none lives "NoMoreOneCopy" is not read, whatever it says.
  EXPECT_EQ(DecideStart(true, false, false, option(false)), StartAction::ReplaceStaleMarker);
  EXPECT_EQ(DecideStart(false, false, false, option(false)), StartAction::MarkAndStart);
  EXPECT_EQ(reads, 6);
}

struct StartupTest : ::testing::Test {
  fakes::FakeAtomTable atoms;
  fakes::FakeWindowSystem windows;
  fakes::FakeForwardNotice notice;
  fakes::FakeInstanceObjects instances;
  fakes::FakeFileSystem fs;
  fakes::FakeMessageBox box;
  bool oneCopy = true;
  StartOutcome outcome;
  bool run(const std::string& commandLine) {
    outcome = RunStartupDecision(StartServices{atoms, windows, notice, instances, fs, box}, commandLine,
                                 [this] { return oneCopy; },
                                 [this] { instances.log.push_back(instances.locked ? "prepared, locked" : "prepared"); });
    return outcome.run;
  }
};

TEST_F(StartupTest, SecondStartForwardsItsArgumentThenActivatesAndEnds) {
  atoms.add(kInstanceMarker);
  windows.running = kRunning;
  std::vector<std::string> atomsAtSend;
  windows.onSend = [&] {
    for (auto& [v, e] : atoms.atoms) atomsAtSend.push_back(e.name);
  };
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\work\app.exe")"));
  ASSERT_EQ(windows.sent.size(), 1u);
  EXPECT_EQ(windows.sent[0].window, kRunning);
  EXPECT_EQ(windows.sent[0].message, 0x0403u);
  EXPECT_EQ(windows.sent[0].wParam, kForwardReadsAnswer);
  // The message names the atom, which is there when the message is sent.
  EXPECT_EQ(windows.sent[0].lParam, atoms.find(R"(KestComLine=D:\work\app.exe)"));
  EXPECT_EQ(atomsAtSend, (std::vector<std::string>{"OnlyOneKest", R"(KestComLine=D:\work\app.exe)"}));
  EXPECT_EQ(windows.foreground, std::vector<WindowHandle>{kRunning});
  EXPECT_EQ(windows.searched, std::vector<std::string>{"TfKest"});
  EXPECT_EQ(atoms.refs(kInstanceMarker), 1);  // the second start adds no reference
}

TEST_F(StartupTest, SecondStartWithoutArgumentAsksTheCopyBackThenActivates) {
  atoms.add(kInstanceMarker);
  windows.running = kRunning;
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" )"));
  EXPECT_TRUE(windows.sent.empty());
  EXPECT_EQ(atoms.atoms.size(), 1u);
  ASSERT_EQ(windows.named.size(), 1u);
  EXPECT_EQ(windows.named[0].window, kRunning);
  EXPECT_EQ(windows.named[0].name, "KestComeBack");
  EXPECT_EQ(windows.named[0].foregroundBefore, 0u) << "back on the screen first, then to the front";
  EXPECT_EQ(windows.foreground, std::vector<WindowHandle>{kRunning});
  // A start with a file only hands it over: the copy stays in the tray.
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\a.exe")"));
  EXPECT_EQ(windows.named.size(), 1u);
}

TEST_F(StartupTest, ArgumentsThatCannotBeHandedOverAreReportedByTheSecondStart) {
  atoms.add(kInstanceMarker);
  windows.running = kRunning;
  notice.listens = true;
  std::string longPath = "D:\\" + std::string(250, 'a') + ".exe";
  EXPECT_FALSE(run("\"C:\\k\\Kest.exe\" " + longPath + "\""));
  // Line breaks would rewrite Tools.ini in the running copy.
  EXPECT_FALSE(run("\"C:\\k\\Kest.exe\" D:\\x.exe\r\nCount=0\r\n[Evil]\""));
  EXPECT_TRUE(windows.sent.empty());
  EXPECT_EQ(notice.posted.size(), 0u);
  EXPECT_EQ(atoms.atoms.size(), 1u);  // only the marker
  ASSERT_EQ(box.asked.size(), 2u);
  EXPECT_EQ(box.asked[0].text.find("The path is too long to be handed to the running Kest"), 0u);
  EXPECT_EQ(box.asked[1].text, "The path holds control characters (a line break, a tab, ...) and was not taken:\r\n"
                               "D:\\x.exe??Count=0??[Evil]");
  EXPECT_EQ(box.asked[1].caption, "Kest error");
  EXPECT_EQ(windows.foreground.size(), 2u);
  // 243 characters still fit, counted in the path as it is handed over.
  std::string fits = "D:\\" + std::string(240, 'b');
  EXPECT_FALSE(run("\"C:\\k\\Kest.exe\" " + fits + "\""));
  EXPECT_EQ(atoms.refs(kForwardPrefix + fits), 1);
  EXPECT_EQ(box.asked.size(), 2u);
}

TEST_F(StartupTest, ListeningCopyHearsOfTheAtomBeforeTheWindowSearchAndTheMessageStillFollows) {
  atoms.add(kInstanceMarker);
  windows.running = kRunning;
  notice.listens = true;
  std::size_t searchesAtPost = 99;
  notice.onPost = [&] { searchesAtPost = windows.searched.size(); };
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\work\app.exe")"));
  AtomValue atom = atoms.find(R"(KestComLine=D:\work\app.exe)");
  ASSERT_NE(atom, 0);
  EXPECT_EQ(notice.posted, std::vector<AtomValue>{atom});
  EXPECT_EQ(searchesAtPost, 0u);
  // One atom, named by the message as well, for a copy that does not read its line.
  EXPECT_EQ(atoms.refs(R"(KestComLine=D:\work\app.exe)"), 1);
  ASSERT_EQ(windows.sent.size(), 1u);
  EXPECT_EQ(windows.sent[0].lParam, atom);
  EXPECT_EQ(windows.foreground, std::vector<WindowHandle>{kRunning});

  // Nothing goes on the line without an argument, or where further copies may start.
  notice.posted.clear();
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" )"));
  oneCopy = false;
  EXPECT_TRUE(run(R"("C:\k\Kest.exe" D:\b.exe")"));
  EXPECT_TRUE(notice.posted.empty());
}

TEST_F(StartupTest, AnAnnouncementTheClosedCopyLeftIsTakenBackAndThisStartRuns) {
  atoms.add(kInstanceMarker);
  notice.listens = true;  // the line was there, the window was gone by the search
  EXPECT_TRUE(run(R"("C:\k\Kest.exe" D:\a.exe")"));
  EXPECT_EQ(notice.posted.size(), 1u);
  EXPECT_EQ(atoms.find(R"(KestComLine=D:\a.exe)"), 0);
  EXPECT_EQ(atoms.refs(kInstanceMarker), 1);
  EXPECT_TRUE(windows.sent.empty());
}

TEST_F(StartupTest, StaleMarkerIsReplacedByOneReference) {
  atoms.add(kInstanceMarker);
  atoms.add(kInstanceMarker);
  atoms.add(kInstanceMarker);
  EXPECT_TRUE(run(R"("C:\k\Kest.exe" D:\a.exe")"));
  EXPECT_EQ(atoms.refs(kInstanceMarker), 1);
  EXPECT_TRUE(outcome.holdsMarker);
  EXPECT_TRUE(instances.holding);
  EXPECT_TRUE(windows.sent.empty());
  EXPECT_TRUE(windows.foreground.empty());
}

TEST_F(StartupTest, FurtherCopiesWhenAllowedEachAddTheirOwnReference) {
  oneCopy = false;
  atoms.add(kInstanceMarker);
  windows.running = kRunning;
  EXPECT_TRUE(run(R"("C:\k\Kest.exe" D:\a.exe")"));
  EXPECT_EQ(atoms.refs(kInstanceMarker), 2);
  EXPECT_TRUE(outcome.holdsMarker);
  EXPECT_TRUE(windows.sent.empty());
  // Beside a copy that is still starting too.
  windows.running = nullptr;
  instances.othersAlive = true;
  EXPECT_TRUE(run(R"("C:\k\Kest.exe" )"));
  EXPECT_EQ(atoms.refs(kInstanceMarker), 3);
}

TEST_F(StartupTest, AWindowWithoutMarkerIsHandedTheArgument) {
  windows.running = kRunning;
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\a.exe")"));
  ASSERT_EQ(windows.sent.size(), 1u);
  EXPECT_EQ(windows.sent[0].lParam, atoms.find(R"(KestComLine=D:\a.exe)"));
  EXPECT_EQ(atoms.find(kInstanceMarker), 0) << "a start that does not run adds no marker";
  EXPECT_FALSE(outcome.holdsMarker);
  EXPECT_EQ(windows.foreground, std::vector<WindowHandle>{kRunning});
}

TEST_F(StartupTest, FirstStartMarksAndShowsItIsAliveBeforeTheLockGoes) {
  EXPECT_TRUE(run(R"("C:\k\Kest.exe" )"));
  EXPECT_EQ(atoms.refs(kInstanceMarker), 1);
  EXPECT_TRUE(outcome.holdsMarker);
  // What a start that runs prepares (its data folder) is done before the next start decides.
  EXPECT_EQ(instances.log, (std::vector<std::string>{"lock", "alive, locked", "prepared, locked", "unlock"}));
  // A lock that cannot be had does not keep a start from deciding.
  fakes::FakeAtomTable fresh;
  fakes::FakeInstanceObjects busy;
  busy.lockFree = false;
  EXPECT_TRUE(RunStartupDecision(StartServices{fresh, windows, notice, busy, fs, box}, R"("C:\k\Kest.exe" )",
                                 [] { return true; }).run);
  EXPECT_EQ(fresh.refs(kInstanceMarker), 1);
}

TEST_F(StartupTest, AStartFindingACopyStillStartingWaitsForItsWindowThenForwards) {
  atoms.add(kInstanceMarker);
  instances.othersAlive = true;
  instances.onPause = [&] {
    if (instances.now >= 1300) windows.running = kRunning;
  };
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\a.exe")"));
  ASSERT_EQ(windows.sent.size(), 1u);
  EXPECT_EQ(windows.sent[0].window, kRunning);
  EXPECT_EQ(windows.sent[0].lParam, atoms.find(R"(KestComLine=D:\a.exe)"));
  EXPECT_EQ(windows.foreground, std::vector<WindowHandle>{kRunning});
  EXPECT_EQ(instances.now, 1300u) << "it looks every " << kStartingWindowPollMs << " ms";
  // The lock went before the wait, so that other starts decide meanwhile.
  EXPECT_EQ(instances.log, (std::vector<std::string>{"lock", "unlock"}));
  EXPECT_EQ(atoms.refs(kInstanceMarker), 1);
  EXPECT_FALSE(instances.holding);
  EXPECT_TRUE(box.asked.empty());
}

TEST_F(StartupTest, AStartingCopyThatDiesLeavesTheStartToDecideAgainAndRun) {
  atoms.add(kInstanceMarker);  // the dead copy's
  instances.othersAlive = true;
  instances.onPause = [&] {
    if (instances.now >= 1200) instances.othersAlive = false;
  };
  EXPECT_TRUE(run(R"("C:\k\Kest.exe" D:\a.exe")"));
  EXPECT_EQ(instances.log,
            (std::vector<std::string>{"lock", "unlock", "lock", "alive, locked", "prepared, locked", "unlock"}));
  EXPECT_EQ(atoms.refs(kInstanceMarker), 1);
  EXPECT_TRUE(outcome.holdsMarker);
  EXPECT_EQ(atoms.find(R"(KestComLine=D:\a.exe)"), 0);
  EXPECT_TRUE(windows.sent.empty());
}

TEST_F(StartupTest, NoWindowInTimeIsReportedAndNothingIsHandedOver) {
  atoms.add(kInstanceMarker);
  instances.othersAlive = true;
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\a.exe")"));
  EXPECT_GE(instances.now, 1000u + kStartingWindowWaitMs);
  EXPECT_LT(instances.now, 1000u + kStartingWindowWaitMs + 100);
  EXPECT_TRUE(windows.sent.empty());
  EXPECT_EQ(atoms.atoms.size(), 1u) << "only the marker";
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text,
            "The Kest that is starting opened no window within 15 seconds, and the path was not handed to it:\r\n"
            "D:\\a.exe");
  EXPECT_EQ(box.asked[0].caption, "Kest error");
  // A start without argument says so too.
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" )"));
  ASSERT_EQ(box.asked.size(), 2u);
  EXPECT_EQ(box.asked[1].text, "The Kest that is starting opened no window within 15 seconds.");
  EXPECT_FALSE(instances.holding);
}

TEST_F(StartupTest, ACopyThatIsClosingRefusesAndTheStartBecomesTheNewCopyWithItsFile) {
  const std::string name = R"(KestComLine=D:\work\app.exe)";
  atoms.add(kInstanceMarker);
  windows.running = kRunning;
  instances.othersAlive = true;
  // Refused twice (the user kept the copy running a moment), then taken: sent again.
  windows.answers = {kForwardRefused, kForwardRefused, kForwardTaken};
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\work\app.exe")"));
  EXPECT_EQ(windows.sent.size(), 3u);
  EXPECT_TRUE(box.asked.empty());
  EXPECT_EQ(atoms.refs(name), 1) << "left to the copy that took it";
  atoms.remove(atoms.find(name));
  // Refused, and the copy goes: its atom taken back, the start runs and lists the file itself.
  windows.sent.clear();
  windows.answers = {kForwardRefused};
  instances.onPause = [&] {
    windows.running = nullptr;
    instances.othersAlive = false;
    if (AtomValue marker = atoms.find(kInstanceMarker)) atoms.remove(marker);
  };
  EXPECT_TRUE(run(R"("C:\k\Kest.exe" D:\work\app.exe")"));
  EXPECT_EQ(atoms.find(name), 0);
  EXPECT_EQ(windows.sent.size(), 1u);
  EXPECT_TRUE(box.asked.empty());
  // One that never goes is reported once the wait is over.
  instances.onPause = nullptr;
  windows.running = kRunning;
  instances.othersAlive = true;
  windows.answers.assign(200, kForwardRefused);
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\work\app.exe")"));
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, FileMessage(text::kStillClosingText, R"(D:\work\app.exe)"));
  EXPECT_EQ(atoms.find(name), 0);
}

TEST_F(StartupTest, NoAnswerIsReportedAndTheAtomTakenBackUnlessTheCopyTookIt) {
  atoms.add(kInstanceMarker);
  windows.running = kRunning;
  windows.answers = {std::nullopt};
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\work\app.exe")"));
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, FileMessage(text::kNoAnswerText, R"(D:\work\app.exe)"));
  EXPECT_EQ(atoms.find(R"(KestComLine=D:\work\app.exe)"), 0);
  // Its quick line took the atom before the copy stopped answering: handed over.
  notice.listens = true;
  notice.onPost = [&] { atoms.remove(notice.posted.back()); };
  windows.answers = {std::nullopt};
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" D:\work\b.exe")"));
  EXPECT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(windows.foreground.size(), 1u);
}

TEST_F(StartupTest, ARelativeNameIsForwardedAsThisStartMeansIt) {
  atoms.add(kInstanceMarker);
  windows.running = kRunning;
  fs.cwd = R"(C:\cases\)";
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" sample.bin)"));
  ASSERT_EQ(windows.sent.size(), 1u);
  EXPECT_EQ(windows.sent[0].lParam, atoms.find(R"(KestComLine=C:\cases\sample.bin)"));
  // The limit counts the whole path: the current directory's three characters and 241 more
  // do not fit.
  fs.cwd = R"(C:\)";
  EXPECT_FALSE(run("\"C:\\k\\Kest.exe\" " + std::string(241, 'n')));
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text.find("The path is too long to be handed to the running Kest"), 0u);
  EXPECT_EQ(windows.sent.size(), 1u);
  // A path given through Sysnative (a 32-bit console) goes as the user names it.
  fs.namedAs[R"(C:\Windows\Sysnative\x.bin)"] = R"(C:\Windows\System32\x.bin)";
  EXPECT_FALSE(run(R"("C:\k\Kest.exe" C:\Windows\Sysnative\x.bin)"));
  ASSERT_EQ(windows.sent.size(), 2u);
  EXPECT_EQ(windows.sent[1].lParam, atoms.find(R"(KestComLine=C:\Windows\System32\x.bin)"));
}

TEST(ReleaseInstanceMarker, RemovesOnlyThisCopysReference) {
  fakes::FakeAtomTable atoms;
  for (int i = 0; i < 3; ++i) atoms.add(kInstanceMarker);
  atoms.add("Other");
  ReleaseInstanceMarker(atoms);
  EXPECT_EQ(atoms.refs(kInstanceMarker), 2) << "the other copies keep theirs";
  EXPECT_EQ(atoms.refs("Other"), 1);
  fakes::FakeAtomTable none;
  ReleaseInstanceMarker(none);  // nothing there: no harm
  EXPECT_TRUE(none.log.empty());
}

TEST(ReceiveForwardedArguments, HandlesEveryForwardingAtomInAscendingOrder) {
  fakes::FakeAtomTable atoms;
  atoms.place(0xC105, R"(KestComLine=D:\second.exe)");
  atoms.place(0xC010, R"(KestComLine=D:\first dir)", 2);  // two starts forwarded the same path
  atoms.place(0xC020, "OnlyOneKest");
  atoms.place(0xC030, "kestComLine=lower case is not ours");
  atoms.place(0xFFFF, R"(KestComLine=E:\last.exe)");
  std::vector<std::string> got;
  ReceiveForwardedArguments(atoms, [&](const std::string& p) { got.push_back(p); });
  EXPECT_EQ(got, (std::vector<std::string>{R"(D:\first dir)", R"(D:\second.exe)", R"(E:\last.exe)"}));
  // One reference of each is removed.
  EXPECT_EQ(atoms.refs(R"(KestComLine=D:\first dir)"), 1);
  EXPECT_EQ(atoms.find(R"(KestComLine=D:\second.exe)"), 0);
  EXPECT_EQ(atoms.find(R"(KestComLine=E:\last.exe)"), 0);
  EXPECT_EQ(atoms.refs("OnlyOneKest"), 1);
  EXPECT_EQ(atoms.refs("kestComLine=lower case is not ours"), 1);
  // Integer atoms are never asked for; every string atom value is.
  EXPECT_EQ(atoms.minNameValue, 0xC000);
  EXPECT_EQ(atoms.nameCalls, 0x4000);
}

TEST(ReceiveForwardedArguments, AForwardArrivingWhileAPathIsHandledHandlesNothingTwice) {
  fakes::FakeAtomTable atoms;
  atoms.place(0xC010, R"(KestComLine=D:\pack)");
  atoms.place(0xC020, R"(KestComLine=D:.exe)");
  std::vector<std::string> got;
  bool nested = false;
  ReceiveForwardedArguments(atoms, [&](const std::string& p) {
    got.push_back(p);
    // The import's question runs a message loop, and a second start's message arrives there.
    if (!nested) {
      nested = true;
      ReceiveForwardedArguments(atoms, [&](const std::string& q) { got.push_back("nested " + q); });
    }
  });
  EXPECT_EQ(got, (std::vector<std::string>{R"(D:\pack)", R"(nested D:.exe)"}));
  EXPECT_TRUE(atoms.atoms.empty());
  EXPECT_EQ(std::count(atoms.log.begin(), atoms.log.end(), "remove " + std::to_string(0xC020)), 1);
}

TEST(ReceiveForwardedAtom, TheNamedAtomAtOnceAndNothingElse) {
  fakes::FakeAtomTable atoms;
  atoms.place(0xC010, R"(KestComLine=D:\left.exe)");  // left behind by an earlier start
  atoms.place(0xC020, R"(KestComLine=D:\new.exe)", 2);
  atoms.place(0xC030, "OnlyOneKest");
  std::vector<std::string> got;
  auto dispatch = [&](const std::string& p) { got.push_back(p); };
  EXPECT_TRUE(ReceiveForwardedAtom(atoms, 0xC020, dispatch));
  EXPECT_EQ(got, std::vector<std::string>{R"(D:\new.exe)"});
  EXPECT_EQ(atoms.refs(R"(KestComLine=D:\new.exe)"), 1) << "one reference for one forward";
  EXPECT_EQ(atoms.nameCalls, 1) << "no scan of the table";
  // What is not a forwarding atom is left alone: an older copy's 0, another atom, a value in no use.
  for (AtomValue v : {AtomValue{0}, AtomValue{0xC030}, AtomValue{0xC040}, AtomValue{5}})
    EXPECT_FALSE(ReceiveForwardedAtom(atoms, v, dispatch));
  EXPECT_EQ(atoms.refs("OnlyOneKest"), 1);
  // The left-behind atoms come from a listing made earlier; one handled meanwhile is not handled again.
  auto listing = atoms.names(0xC000, 0xFFFF, 256);
  atoms.remove(0xC020);
  HandleForwardingAtoms(atoms, listing, dispatch);
  EXPECT_EQ(got, (std::vector<std::string>{R"(D:\new.exe)", R"(D:\left.exe)"}));
  EXPECT_TRUE(atoms.atoms.count(0xC030));
}

TEST(ReceiveForwardedArguments, LongestForwardableArgumentArrivesWhole) {
  fakes::FakeAtomTable atoms;
  std::string path = "D:\\" + std::string(236, 'p') + ".exe";
  ASSERT_EQ(path.size(), kMaxForwardedArgument);
  ASSERT_NE(atoms.add(kForwardPrefix + path), 0);
  std::vector<std::string> got;
  ReceiveForwardedArguments(atoms, [&](const std::string& p) { got.push_back(p); });
  EXPECT_EQ(got, std::vector<std::string>{path});
  EXPECT_TRUE(atoms.atoms.empty());
}

TEST(ReceiveForwardedArguments, OnlyTheFirstFiveCharactersAreCompared) {
  fakes::FakeAtomTable atoms;
  atoms.place(0xC001, "KestCxxxxxxxY:\\odd.exe");
  atoms.place(0xC002, "KestCom");  // shorter than the prefix: nothing to dispatch
  std::vector<std::string> got;
  ReceiveForwardedArguments(atoms, [&](const std::string& p) { got.push_back(p); });
  EXPECT_EQ(got, std::vector<std::string>{"Y:\\odd.exe"});
  EXPECT_TRUE(atoms.atoms.empty());
}

TEST(DispatchPath, PlainFoldersAreImportedEverythingElseIsATarget) {
  fakes::FakeFileSystem fs;
  fs.attrs[R"(D:\tools)"] = 16;
  fs.attrs[R"(D:\ro)"] = 17;       // read-only folder
  fs.attrs[R"(D:\archive)"] = 48;  // folder with the archive bit
  fs.attrs[R"(D:\a.exe)"] = 32;
  fs.attrs["D:\\tools\nx"] = 16;
  std::vector<std::string> targets, imports, refused;
  PathDispatch to{[&](const std::string& p) { targets.push_back(p); },
                  [&](const std::string& p) { imports.push_back(p); },
                  [&](const std::string& p) { refused.push_back(p); }};
  for (const char* p : {R"(D:\tools)", R"(D:\ro)", R"(D:\archive)", R"(D:\a.exe)", R"(D:\missing.exe)",
                        "D:\\x.exe\r\nCount=0\r\n[Evil]", "D:\\tools\nx", "D:\\a\tb.exe"})
    DispatchPath(fs, p, to);
  EXPECT_EQ(imports, std::vector<std::string>{R"(D:\tools)"});
  EXPECT_EQ(targets, (std::vector<std::string>{R"(D:\ro)", R"(D:\archive)", R"(D:\a.exe)", R"(D:\missing.exe)"}));
  // Control characters go to neither route: a line break would rewrite Tools.ini.
  EXPECT_EQ(refused.size(), 3u);
}

TEST(DispatchOwnArgument, FailureIsReportedAndCreationGoesOn) {
  fakes::FakeFileSystem fs;
  fakes::FakeMessageBox box;
  WindowHandle owner = reinterpret_cast<WindowHandle>(0x77);
  std::vector<std::string> targets;
  PathDispatch failing{[&](const std::string& p) {
                         targets.push_back(p);
                         throw KestError("Unable to write to x");
                       },
                       [](const std::string&) {}};
  DispatchOwnArgument(R"("C:\k\Kest.exe" D:\a.exe")", fs, failing, box, owner);
  EXPECT_EQ(targets, std::vector<std::string>{R"(D:\a.exe)"});
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Someone error with command line!");
  EXPECT_EQ(box.asked[0].caption, "Kest");
  EXPECT_EQ(box.asked[0].icon, MbIcon::Error);
  EXPECT_EQ(box.asked[0].owner, owner);

  // Without an argument nothing is dispatched and nothing is said.
  DispatchOwnArgument(R"("C:\k\Kest.exe" )", fs, failing, box, owner);
  EXPECT_EQ(targets.size(), 1u);
  EXPECT_EQ(box.asked.size(), 1u);
}

TEST(DispatchOwnArgument, ARelativeNameIsTakenInTheCurrentDirectory) {
  fakes::FakeFileSystem fs;
  fakes::FakeMessageBox box;
  fs.cwd = R"(C:\cases\)";
  std::vector<std::string> targets;
  PathDispatch to{[&](const std::string& p) { targets.push_back(p); }, [](const std::string&) {},
                  [](const std::string&) {}};
  DispatchOwnArgument(R"("C:\k\Kest.exe" sample.bin)", fs, to, box, nullptr);
  EXPECT_EQ(targets, std::vector<std::string>{R"(C:\cases\sample.bin)"});
  fs.namedAs[R"(C:\Windows\Sysnative\x.bin)"] = R"(C:\Windows\System32\x.bin)";
  DispatchPath(fs, R"(C:\Windows\Sysnative\x.bin)", to);
  EXPECT_EQ(targets.back(), R"(C:\Windows\System32\x.bin)");
}

}  // namespace
}  // namespace kest
