#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "targets/backup.h"
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
  void load() {
    LoadTargets(settings, list, [this](const std::string& p) {
      added.push_back(p);
      list.add(p);
    }, box, nullptr);
  }
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
  SaveTargets(settings, list, box, nullptr);
  EXPECT_EQ(*get("Count"), "2");
  EXPECT_EQ(*get("1"), R"(C:\w\c.exe)");
  EXPECT_EQ(get("2"), nullptr) << "an old position beyond the new list is deleted";
  EXPECT_NE(get("02"), nullptr) << "no position: left as it was";
  EXPECT_LT(store.writes.size(), 10u);
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
  list.add(R"(C:\w\a.exe)");
  list.add(R"(C:\w\b.exe)");
  SaveTargets(settings, list, box, nullptr);
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
  SaveTargets(settings, list, box, nullptr);
  EXPECT_EQ(*get("Count"), "3");
  EXPECT_EQ(*get("0"), R"(C:\w\a.exe)");
  EXPECT_EQ(get("1"), nullptr);
  EXPECT_EQ(*get("2"), R"(C:\w\a.exe)");
  // A negative old count deletes nothing.
  set("Count", "-4");
  set("0", "kept");
  store.writes.clear();
  TargetList none;
  SaveTargets(settings, none, box, nullptr);
  EXPECT_EQ(*get("0"), "kept");
  EXPECT_EQ(*get("2"), R"(C:\w\a.exe)");
  EXPECT_EQ(*get("Count"), "0");
}

TEST_F(TargetStoreTest, RefusedWritesAreReportedAsIniErrors) {
  list.add(R"(C:\w\a.exe)");
  store.refuseWrites = true;
  SaveTargets(settings, list, box, reinterpret_cast<WindowHandle>(5));
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Someone error with ini file!");
  EXPECT_EQ(box.asked[0].caption, "Kest error");
  EXPECT_EQ(box.asked[0].icon, MbIcon::Error);
  EXPECT_EQ(box.asked[0].owner, reinterpret_cast<WindowHandle>(5));
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

TEST_F(BackupTest, WithoutATargetBackupReportsAndRestoreIsSilent) {
  fs.error = 1400;
  BackupTarget(fs, box, nullptr, std::nullopt);
  EXPECT_EQ(said(0), "Kest error: Error: 1400");
  RestoreTarget(fs, box, nullptr, std::nullopt);
  EXPECT_EQ(box.asked.size(), 1u);
}

}  // namespace
}  // namespace kest
