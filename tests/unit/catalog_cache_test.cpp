#include "catalog/catalog_cache.h"

#include <gtest/gtest.h>

#include <chrono>

#include "catalog/tool_menus.h"
#include "fakes/fake_platform.h"

namespace kest {
namespace {

struct CatalogCacheTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  fakes::FakeShellLinks links{fs};
  fakes::FakeProgramIcons icons;
  fakes::FakeDrives drives;
  fakes::FakeMessageBox box;
  WorkDrive drive{'C', false};
  CatalogCache cache;
  const std::string root = R"(C:\k\root)";

  void SetUp() override {
    fs.dir(root);
    for (const char* name : {"a", "b"}) {
      links.write(root + "\\" + name + ".lnk", std::string(R"(C:\p\)") + name + ".exe", "", "");
      fs.files.insert(std::string(R"(C:\p\)") + name + ".exe");
    }
  }
  // What the main window does when a menu opens: both menus through the cache, with every
  // tool check. Returns the icon shown for each program.
  std::map<std::string, std::shared_ptr<const IconPixels>> Rebuild() {
    auto events = RecordWalk(fs, root);
    ToolChecker checker(fs, links, drive, DriveSearch{drives, fs, box, nullptr}, &cache);
    std::map<std::string, std::shared_ptr<const IconPixels>> shown;
    cache.BeginRound();
    for (int menu = 0; menu < 2; ++menu)
      BuildToolMenu(events, checker, [&](const std::string& p) { return (shown[p] = cache.IconOf(fs, icons, p, 16)) ? 6 : 5; });
    cache.EndRound();
    return shown;
  }
};

TEST_F(CatalogCacheTest, OnlyWhatChangedIsReadAgainAndWhatWentIsForgotten) {
  Rebuild();
  Rebuild();
  EXPECT_EQ(links.reads, 2) << "unchanged stamps: nothing read again";
  EXPECT_EQ(icons.extracted.size(), 2u);

  fs.stamps[root + "\\a.lnk"].size = 900;  // another size
  fs.touch(root + "\\b.lnk");               // another time
  Rebuild();
  EXPECT_EQ(links.reads, 4);
  EXPECT_EQ(icons.extracted.size(), 2u) << "the programs did not change";

  // Re-pointed: the link is read again and the new program's icon taken; a program replaced
  // in place gives its icon again.
  links.links[root + "\\a.lnk"].path = R"(C:\p\c.exe)";
  fs.touch(root + "\\a.lnk");
  fs.files.insert(R"(C:\p\c.exe)");
  EXPECT_EQ(Rebuild().count(R"(C:\p\a.exe)"), 0u);
  EXPECT_EQ(links.reads, 5);
  fs.touch(R"(C:\p\c.exe)");
  Rebuild();
  EXPECT_EQ(icons.extracted, (std::vector<std::string>{R"(C:\p\a.exe)", R"(C:\p\b.exe)", R"(C:\p\c.exe)", R"(C:\p\c.exe)"}));

  // A removed tool and the icon of a program nothing names any more are forgotten; a renamed
  // tool is a new file.
  ASSERT_TRUE(fs.deleteFile(root + "\\b.lnk"));
  ASSERT_TRUE(fs.moveFile(root + "\\a.lnk", root + "\\z.lnk"));
  links.links[root + "\\z.lnk"] = links.links[root + "\\a.lnk"];
  Rebuild();
  EXPECT_EQ(links.reads, 6);
  EXPECT_EQ(cache.counts().links, 1u);
  EXPECT_EQ(cache.counts().icons, 1u);

  // Existence is never kept: a program gone since the last rebuild is warned about.
  fs.files.erase(R"(C:\p\c.exe)");
  EXPECT_EQ(Rebuild().at(R"(C:\p\c.exe)"), nullptr);
  EXPECT_EQ(box.asked.size(), 2u) << "once per menu, as without the cache";
}

TEST_F(CatalogCacheTest, AnIconIsKeptForEachSideAndTakenAgainForANewOne) {
  const std::string a = R"(C:\p\a.exe)";
  cache.BeginRound();
  auto small = cache.IconOf(fs, icons, a, 16);
  EXPECT_EQ(cache.IconOf(fs, icons, a, 16), small) << "the same side: kept";
  auto large = cache.IconOf(fs, icons, a, 24);  // the window moved to a screen of 144 DPI
  cache.EndRound();
  ASSERT_TRUE(small && large);
  EXPECT_EQ(large->side, 24);
  EXPECT_EQ(cache.IconOf(fs, icons, a, 24), large);
  EXPECT_EQ(icons.sides, (std::vector<int>{16, 24}));
  // Rebuilds at the new side only: the old side's icon is forgotten.
  cache.BeginRound();
  cache.IconOf(fs, icons, a, 24);
  cache.EndRound();
  EXPECT_EQ(cache.counts().icons, 1u);
  EXPECT_EQ(icons.sides.size(), 2u);
}

TEST_F(CatalogCacheTest, ARebuildTakesWhatAStoppedReadAheadReadAndReadsTheRest) {
  links.write(root + "\\c.lnk", R"(C:\p\noicon.exe)", "", "");
  fs.files.insert(R"(C:\p\noicon.exe)");
  std::atomic<bool> stop{false};
  struct StoppingLinks : fakes::FakeShellLinks {
    using FakeShellLinks::FakeShellLinks;
    std::atomic<bool>* stop = nullptr;
    std::string readPath(const std::string& file) override {
      if (reads == 1) *stop = true;  // asked to stop while on the second shortcut
      return FakeShellLinks::readPath(file);
    }
  } stopping{fs};
  stopping.links = links.links;
  stopping.stop = &stop;
  ReadCatalogAhead(cache, fs, stopping, icons, root, drive, 16, stop);
  EXPECT_EQ(stopping.reads, 2);
  EXPECT_TRUE(icons.extracted.empty());
  Rebuild();
  EXPECT_EQ(links.reads, 1) << "only the shortcut the read-ahead did not reach";
  EXPECT_EQ(cache.counts().icons, 3u) << "having no icon is kept too";

  // Asked to stop during the walk of a big catalog: it ends there, not after the whole walk.
  for (int i = 0; i < 50; ++i) fs.dir(root + "\f" + std::to_string(i));
  fs.openListings = 0;
  ReadCatalogAhead(cache, fs, stopping, icons, root, drive, 16, stop);
  EXPECT_EQ(fs.openListings, 1);
  EXPECT_TRUE(RecordWalk(fs, root, &stop).empty());
}

TEST_F(CatalogCacheTest, TheReadAheadThreadWorksWithItsOwnServicesAndStopsWhenAsked) {
  fakes::FakeFileSystem threadFs = fs;
  fakes::FakeShellLinks threadLinks{threadFs};
  threadLinks.links = links.links;
  fakes::FakeProgramIcons threadIcons;
  std::atomic<bool> done{false};
  ReadAheadThread thread;
  thread.Start([&](const std::atomic<bool>& stop) {
    ReadCatalogAhead(cache, threadFs, threadLinks, threadIcons, root, drive, 16, stop);
    done = true;
  });
  thread.Start([](const std::atomic<bool>&) { ADD_FAILURE() << "started twice"; });
  for (int i = 0; i < 5000 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  thread.Stop();
  ASSERT_TRUE(done);
  Rebuild();
  EXPECT_EQ(links.reads, 0);
  EXPECT_TRUE(icons.extracted.empty());

  ReadAheadThread endless;
  endless.Start([](const std::atomic<bool>& stop) {
    while (!stop) std::this_thread::yield();
  });
}  // the destructor stops it

}  // namespace
}  // namespace kest
