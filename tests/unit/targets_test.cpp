#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "targets/backup.h"
#include "platform/kest_error.h"
#include "targets/target_saves.h"
#include "targets/target_store.h"

namespace kest {
namespace {

constexpr const char* kIni = R"(C:\k\Tools.ini)";

struct TargetStoreTest : ::testing::Test {
  fakes::FakeSettingsStore store;
  SettingsFile settings{store, R"(C:\k\)"};
  fakes::FakeMessageBox box;
  TargetList list;
  std::vector<std::string> added;
  std::vector<std::string> saved;  // the list as this copy last loaded or saved it
  void load() {
    LoadTargets(settings, list, [this](const std::string& p) {
      added.push_back(p);
      list.add(p);
    }, box, nullptr);
    saved = StoredTexts(list);
  }
  void save(WindowHandle owner = nullptr) { SaveTargets(settings, list, saved, box, owner); }
  void set(const std::string& key, const std::string& value) { store.set(kIni, "Targets", key, value); }
  const std::string* get(const std::string& key) { return store.find(kIni, "Targets", key); }
};

TEST_F(TargetStoreTest, LoadsEveryPositionInOrderWithErrorLinkForGaps) {
  set("Count", "3");
  set("0", R"(C:\w\a.exe)");
  set("2", R"(C:\w\c.exe)");
  list.add("stale");
  load();
  EXPECT_EQ(added, (std::vector<std::string>{R"(C:\w\a.exe)", "Error link", R"(C:\w\c.exe)"}));
  ASSERT_EQ(list.size(), 3u);  // cleared first
  EXPECT_EQ(list.at(1).fileName, "Error link");
  EXPECT_EQ(list.at(1).directory, "");
  EXPECT_TRUE(box.asked.empty());
}

TEST_F(TargetStoreTest, AHugeCountVisitsOnlyTheStoredPositions) {
  set("Count", "2147483647");
  set("0", R"(C:\w\a.exe)");
  set("2", R"(C:\w\c.exe)");
  set("02", R"(C:\w\not-a-position.exe)");
  set("x", R"(C:\w\neither.exe)");
  load();
  // The same as reading every position, up to the last one that exists.
  EXPECT_EQ(added, (std::vector<std::string>{R"(C:\w\a.exe)", "Error link", R"(C:\w\c.exe)"}));
  // A far position is taken without making up the entries before it.
  set("100000000", R"(C:\w\far.exe)");
  added.clear();
  load();
  EXPECT_EQ(added.size(), 4u);
  EXPECT_EQ(added.back(), R"(C:\w\far.exe)");
  store.data[kIni]["targets"].erase("100000000");
  load();
  std::size_t reads = store.reads.size();
  EXPECT_LT(reads, 20u);
  list.removeAt(1);
  save();
  EXPECT_EQ(*get("Count"), "2");
  EXPECT_EQ(*get("1"), R"(C:\w\c.exe)");
  EXPECT_EQ(get("2"), nullptr) << "an old position beyond the new list is deleted";
  EXPECT_NE(get("02"), nullptr) << "no position: left as it was";
  EXPECT_LT(store.writes.size(), 10u);
}

TEST_F(TargetStoreTest, MadeUpEntriesAreCappedOverTheWholeSection) {
  // Thousands of gaps, each short: a hostile file once filled the list with millions of them.
  set("Count", "2147483647");
  for (int i = 0; i < 10000; ++i) set(std::to_string(i * 1001), R"(C:\w\a.exe)");
  load();
  EXPECT_EQ(added.size(), 10000u + 1000u);
  EXPECT_EQ(added[1], "Error link");
  EXPECT_EQ(added[1001], R"(C:\w\a.exe)");
  EXPECT_EQ(added[1002], R"(C:\w\a.exe)") << "the allowance is spent: later gaps are passed over";
  EXPECT_TRUE(box.asked.empty());
}

TEST(ErrorText, SaysWhatFailedInWordsNeverTheLibrarysText) {
  EXPECT_EQ(ErrorText(KestError("Unable to write to C:\\k\\Tools.ini")), "Unable to write to C:\\k\\Tools.ini");
  EXPECT_EQ(ErrorText(std::bad_alloc()), "Kest ran out of memory, and what it was doing was left unfinished.");
  EXPECT_EQ(ErrorText(std::length_error("basic_string::_M_create")), "An internal error stopped what Kest was doing.");
}

TEST_F(TargetStoreTest, MissingZeroNegativeAndInvalidCountsLoadNothing) {
  for (const char* count : {"", "0", "-2", "x"}) {
    if (*count) set("Count", count);
    set("0", R"(C:\w\a.exe)");
    added.clear();
    load();
    EXPECT_TRUE(added.empty()) << count;
    EXPECT_TRUE(list.empty()) << count;
  }
}

TEST_F(TargetStoreTest, SaveDeletesOldKeysThroughTheOldCountInclusive) {
  set("Count", "5");
  for (int i = 0; i <= 5; ++i) set(std::to_string(i), "old" + std::to_string(i));
  set("6", "beyond");  // past the old count: not ours to delete
  load();
  list.clear();
  list.add(R"(C:\w\a.exe)");
  list.add(R"(C:\w\b.exe)");
  save();
  EXPECT_EQ(*get("Count"), "2");
  EXPECT_EQ(*get("0"), R"(C:\w\a.exe)");
  EXPECT_EQ(*get("1"), R"(C:\w\b.exe)");
  for (int i = 2; i <= 5; ++i) EXPECT_EQ(get(std::to_string(i)), nullptr) << i;
  EXPECT_EQ(*get("6"), "beyond");
  // Deleting first, then writing in list order, then the count.
  std::vector<std::string> tail(store.writes.end() - 3, store.writes.end());
  EXPECT_EQ(tail, (std::vector<std::string>{R"(0=C:\w\a.exe)", R"(1=C:\w\b.exe)", "Count=2"}));
}

TEST_F(TargetStoreTest, SaveSkipsEmptyNamesWithoutShiftingAndKeepsRepeats) {
  list.add(R"(C:\w\a.exe)");
  list.add(R"(C:\w\dir\)");  // no file name
  list.add(R"(C:\w\a.exe)");
  save();
  EXPECT_EQ(*get("Count"), "3");
  EXPECT_EQ(*get("0"), R"(C:\w\a.exe)");
  EXPECT_EQ(get("1"), nullptr);
  EXPECT_EQ(*get("2"), R"(C:\w\a.exe)");
  // A negative old count deletes nothing.
  set("Count", "-4");
  set("0", "kept");
  store.writes.clear();
  TargetList none;
  SaveTargets(settings, none, saved, box, nullptr);
  EXPECT_EQ(*get("0"), "kept");
  EXPECT_EQ(*get("2"), R"(C:\w\a.exe)");
  EXPECT_EQ(*get("Count"), "0");
}

TEST_F(TargetStoreTest, RefusedWritesAreReportedAsIniErrors) {
  list.add(R"(C:\w\a.exe)");
  store.refuseWrites = true;
  save(reinterpret_cast<WindowHandle>(5));
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Someone error with ini file!");
  EXPECT_EQ(box.asked[0].caption, "Kest error");
  EXPECT_EQ(box.asked[0].icon, MbIcon::Error);
  EXPECT_EQ(box.asked[0].owner, reinterpret_cast<WindowHandle>(5));
}

TEST_F(TargetStoreTest, TwoCopiesKeepEachOthersChangesAndAnUnchangedCopyWritesNothing) {
  set("Count", "2");
  set("0", R"(C:\w\a.exe)");
  set("1", R"(C:\w\b.lnk)");
  TargetStoreTest& first = *this;
  first.load();
  TargetList second;
  for (const std::string& p : StoredTargets(settings)) second.add(p);
  std::vector<std::string> secondSaved = StoredTexts(second);
  std::vector<std::string> thirdSaved = secondSaved;
  // The first copy takes a out and adds c; the second, which never saw that, adds d.
  first.list.removeAt(0);
  first.list.add(R"(C:\w\c.exe)");
  first.save();
  second.add(R"(D:\x\d.exe)");
  SaveTargets(settings, second, secondSaved, box, nullptr);
  EXPECT_EQ(StoredTargets(settings), (std::vector<std::string>{R"(C:\w\b.lnk)", R"(C:\w\c.exe)", R"(D:\x\d.exe)"}));
  // A third copy that changed nothing, and the second closing after its save, write nothing.
  const std::size_t writes = store.writes.size();
  TargetList third;
  for (const std::string& p : thirdSaved) third.add(p);
  SaveTargets(settings, third, thirdSaved, box, nullptr);
  SaveTargets(settings, second, secondSaved, box, nullptr);
  EXPECT_EQ(store.writes.size(), writes);
  EXPECT_TRUE(box.asked.empty());
}

TEST(TargetSaves, OneSavePerActionARefusalRetriedAndReportedOnce) {
  TargetSaves saves;
  EXPECT_EQ(saves.Changed(), 250u);
  EXPECT_EQ(saves.Changed(), std::nullopt) << "the rest of the action goes with the first change";
  auto refused = saves.Saved(false);
  EXPECT_EQ(refused.retryIn, 2000u);
  EXPECT_TRUE(refused.report);
  EXPECT_TRUE(saves.Due());
  EXPECT_EQ(saves.Changed(), std::nullopt) << "a change meanwhile waits for the retry";
  auto again = saves.Saved(false);
  EXPECT_EQ(again.retryIn, 2000u);
  EXPECT_FALSE(again.report) << "told once, not at every try";
  auto written = saves.Saved(true);
  EXPECT_FALSE(written.retryIn);
  EXPECT_FALSE(written.report);
  EXPECT_FALSE(saves.Due());
  // Once a save went through, the next refusal is told again.
  EXPECT_EQ(saves.Changed(), 250u);
  EXPECT_TRUE(saves.Saved(false).report);
  // A refusal the exit told of itself is retried too, and not told again by the retries.
  saves.Saved(true);
  auto atExit = saves.Saved(false, true);
  EXPECT_EQ(atExit.retryIn, 2000u);
  EXPECT_FALSE(atExit.report);
  EXPECT_FALSE(saves.Saved(false).report);
}

TEST(MergeTargets, AppliesOnlyThisCopysChangesAndTakesOutTheSameOccurrence) {
  using L = std::vector<std::string>;
  const L before{"a", "x", "a", "y"};
  // Nobody else wrote: the result is this copy's list, whichever repeat was taken out.
  for (const L& now : {L{"x", "a", "y"}, L{"a", "x", "y", "n"}, L{}, L{"a", "x", "a", "y", "a"}})
    EXPECT_EQ(MergeTargets(before, before, now), now);
  // Another copy added z and took out y meanwhile: both stay done.
  EXPECT_EQ(MergeTargets(L{"a", "x", "a", "z"}, before, L{"a", "x", "y", "n"}), (L{"a", "x", "z", "n"}));
  // What this copy took out and the other took out as well is gone once.
  EXPECT_EQ(MergeTargets(L{"x"}, before, L{"x", "y"}), (L{"x"}));
}

TEST(TargetList, EntriesSplitIntoNameAndDirectory) {
  TargetList list;
  EXPECT_EQ(list.add(R"(D:\work\app.exe)"), 0u);
  EXPECT_EQ(list.at(0).fileName, "app.exe");
  EXPECT_EQ(list.at(0).directory, R"(D:\work\)");
  EXPECT_EQ(list.at(0).fullPath(), R"(D:\work\app.exe)");
  // A row shows the icon of what was added: a dropped shortcut's own, else its own file's.
  EXPECT_EQ(list.at(0).iconFile(), R"(D:\work\app.exe)");
  list.add(R"(C:\bin\dbg.exe)", R"(C:\links\dbg.lnk)");
  EXPECT_EQ(list.at(1).iconFile(), R"(C:\links\dbg.lnk)");
  list.removeAt(1);
  list.add("Error link");
  EXPECT_EQ(list.at(1).directory, "");
  EXPECT_EQ(list.at(1).fullPath(), "Error link");
  list.add(R"(D:\work\tools)");  // a directory is a target whose name is the folder's
  EXPECT_EQ(list.at(2).fileName, "tools");
}

TEST(TargetPathToShow, OnlyExactlyLnkIsResolved) {
  auto resolve = [](const std::string& p) { return "resolved:" + p; };
  EXPECT_EQ(TargetPathToShow(R"(C:\a\tool.lnk)", resolve), R"(resolved:C:\a\tool.lnk)");
  EXPECT_EQ(TargetPathToShow(R"(C:\a\tool.LNK)", resolve), R"(C:\a\tool.LNK)");
  EXPECT_EQ(TargetPathToShow(R"(C:\a\tool.lnk.exe)", resolve), R"(C:\a\tool.lnk.exe)");
  EXPECT_EQ(TargetPathToShow(R"(C:\a.lnk\tool)", resolve), R"(C:\a.lnk\tool)");
}

struct BackupTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  fakes::FakeMessageBox box;
  const std::string target = R"(D:\work\app.exe)";
  const std::string backup = R"(D:\work\app.exe.KestBackUp)";
  void SetUp() override {
    fs.files.insert(target);
    fs.contents[target] = "v1";
  }
  std::string said(std::size_t i) { return box.asked.at(i).caption + ": " + box.asked.at(i).text; }
};

TEST_F(BackupTest, BackupThenRestoreBringsBackTheContent) {
  EXPECT_EQ(BackupPathOf(target), backup);
  BackupTarget(fs, box, nullptr, target);
  EXPECT_EQ(fs.contents[backup], "v1");
  EXPECT_EQ(said(0), "Kest info: Backup created!");
  EXPECT_EQ(box.asked[0].icon, MbIcon::Information);
  fs.contents[target] = "v2";
  BackupTarget(fs, box, nullptr, target);  // a second backup overwrites the first
  EXPECT_EQ(fs.contents[backup], "v2");
  fs.contents[target] = "v3";
  RestoreTarget(fs, box, nullptr, target);
  EXPECT_EQ(fs.contents[target], "v2");
  EXPECT_EQ(said(2), "Kest info: Backup restored!");
  EXPECT_TRUE(fs.files.count(backup));
}

TEST_F(BackupTest, FailedCopiesReportTheSystemError) {
  // Restore without a backup.
  RestoreTarget(fs, box, nullptr, target);
  EXPECT_EQ(said(0), "Kest error: Error: !2");
  EXPECT_EQ(box.asked[0].icon, MbIcon::Error);
  EXPECT_EQ(fs.contents[target], "v1");
  // Restore over a running target.
  fs.files.insert(backup);
  fs.contents[backup] = "old";
  fs.locked.insert(target);
  RestoreTarget(fs, box, nullptr, target);
  EXPECT_EQ(said(1), "Kest error: Error: !32");
  EXPECT_EQ(fs.contents[target], "v1");
  // A backup that fails is not passed off as made because an older one exists.
  fs.locked.clear();
  fs.files.erase(target);
  BackupTarget(fs, box, nullptr, target);
  EXPECT_EQ(said(2), "Kest error: Error: 2");
  EXPECT_EQ(fs.contents[backup], "old");
  EXPECT_EQ(box.asked.size(), 3u);
}

TEST_F(BackupTest, ATargetThatIsNoFullPathIsNeitherCopiedNorCopiedOver) {
  fs.files.insert("sample.bin");
  fs.files.insert("sample.bin.KestBackUp");
  fs.contents["sample.bin.KestBackUp"] = "old";
  BackupTarget(fs, box, nullptr, std::string("sample.bin"));
  RestoreTarget(fs, box, nullptr, std::string("Error link"));
  EXPECT_EQ(said(0), "Kest error: The target is not a full path, so it names no one file:\r\nsample.bin");
  EXPECT_EQ(said(1), "Kest error: The target is not a full path, so it names no one file:\r\nError link");
  EXPECT_EQ(fs.contents["sample.bin.KestBackUp"], "old");
  // A device would be waited on for ever.
  RestoreTarget(fs, box, nullptr, std::string(R"(C:\x\COM1)"));
  EXPECT_EQ(said(2), "Kest error: The target is no file on a disk (a device, a pipe or the like), so it is neither "
                     "copied nor copied over:\r\nC:\\x\\COM1");
  EXPECT_EQ(box.asked.size(), 3u);
}

TEST_F(BackupTest, WithoutATargetBackupReportsAndRestoreIsSilent) {
  fs.error = 1400;
  BackupTarget(fs, box, nullptr, std::nullopt);
  EXPECT_EQ(said(0), "Kest error: Error: 1400");
  RestoreTarget(fs, box, nullptr, std::nullopt);
  EXPECT_EQ(box.asked.size(), 1u);
}

}  // namespace
}  // namespace kest
