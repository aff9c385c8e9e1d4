// The catalog cache from two threads at once, as Kest uses it: the read-ahead fills it on a
// thread of its own while the user-interface thread rebuilds the menus from it. Built and run
// under ThreadSanitizer by scripts/tsan.sh. The fakes keep counts without locks, so each
// thread has its own, as each of Kest's threads has its own file system, link and icon objects.
#include "catalog/catalog_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <latch>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "catalog/shortcuts.h"
#include "fakes/fake_platform.h"

namespace kest {
namespace {

constexpr int kFolders = 8;
constexpr int kToolsPerFolder = 16;
constexpr int kRounds = 40;
const std::string kRoot = R"(C:\k\root)";

// One thread's view of the same catalog.
struct Services {
  fakes::FakeFileSystem fs;
  fakes::FakeShellLinks links{fs};
  fakes::FakeProgramIcons icons;
};

// Every tool names a program of its own; every fifth program has no icon.
void MakeCatalog(Services& s, std::map<std::string, std::string>& programOf) {
  s.fs.dir(kRoot);
  for (int f = 0; f < kFolders; ++f) {
    std::string folder = kRoot + "\\F" + std::to_string(f);
    s.fs.dir(folder);
    for (int t = 0; t < kToolsPerFolder; ++t) {
      int n = f * kToolsPerFolder + t;
      std::string program = std::string(R"(C:\p\)") + (n % 5 == 0 ? "noicon" : "tool") + std::to_string(n) + ".exe";
      std::string link = folder + "\\T" + std::to_string(t) + ".lnk";
      s.fs.files.insert(program);
      ASSERT_TRUE(s.links.write(link, program, "", ""));
      programOf[link] = program;
    }
  }
}

// The files the two threads see with other stamps (as if rewritten between their looks): each
// look at one of them by the other thread reads it again, so both threads keep writing.
bool Unsettled(int n) { return n % 3 == 0; }

TEST(CatalogCacheThreads, AReadAheadAndRebuildsAtOnceKeepEveryAnswerAndEveryCount) {
  Services ahead, menus;
  std::map<std::string, std::string> programOf;
  MakeCatalog(ahead, programOf);
  MakeCatalog(menus, programOf);
  std::vector<std::string> tools;
  std::vector<std::string> settledPrograms;
  for (const auto& [link, program] : programOf) {
    int n = static_cast<int>(tools.size());
    tools.push_back(link);
    if (Unsettled(n)) {
      menus.fs.touch(link);
      menus.fs.touch(program);
    } else {
      settledPrograms.push_back(program);
    }
  }
  const WorkDrive drive{'C', false};
  CatalogCache cache;
  std::latch start(2);

  ReadAheadThread readAhead;
  int aheadRounds = 0;
  std::atomic<bool> aheadDone{false};
  readAhead.Start([&](const std::atomic<bool>& stop) {
    start.arrive_and_wait();
    for (; aheadRounds < kRounds && !stop; ++aheadRounds)
      ReadCatalogAhead(cache, ahead.fs, ahead.links, ahead.icons, kRoot, drive, 16, stop);
    aheadDone = true;
  });

  // The rebuilds: every shortcut and every icon asked for in each round, as the menus do.
  int wrongPrograms = 0, wrongIcons = 0;
  start.arrive_and_wait();
  for (int round = 0; round < kRounds; ++round) {
    cache.BeginRound();
    for (const std::string& tool : tools) {
      std::string program = OnWorkDrive(menus.fs, drive, cache.ProgramOf(menus.fs, menus.links, tool));
      if (program != programOf[tool]) ++wrongPrograms;
      auto icon = cache.IconOf(menus.fs, menus.icons, program, 16);
      bool none = program.find("noicon") != std::string::npos;
      auto expected = static_cast<std::uint32_t>(std::hash<std::string>{}(program));
      if (none ? icon != nullptr : (icon == nullptr || icon->colour.front() != expected)) ++wrongIcons;
    }
    cache.EndRound();
    (void)cache.counts();
  }
  // The read-ahead finishes its rounds rather than being stopped part-way.
  for (int i = 0; i < 60000 && !aheadDone; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  readAhead.Stop();

  EXPECT_EQ(aheadRounds, kRounds);
  EXPECT_EQ(wrongPrograms, 0);
  EXPECT_EQ(wrongIcons, 0);
  // No read lost between the threads: the cache counted each read either thread made.
  CatalogCache::Counts counts = cache.counts();
  EXPECT_EQ(counts.linkReads, static_cast<std::uint64_t>(ahead.links.reads + menus.links.reads));
  EXPECT_EQ(counts.iconReads, ahead.icons.extracted.size() + menus.icons.extracted.size());
  EXPECT_EQ(counts.links, tools.size());
  EXPECT_EQ(counts.icons, tools.size());
  // What both threads see alike is read once by each at the most, whatever the other does.
  for (const std::string& program : settledPrograms) {
    EXPECT_LE(std::count(ahead.icons.extracted.begin(), ahead.icons.extracted.end(), program), 1) << program;
    EXPECT_LE(std::count(menus.icons.extracted.begin(), menus.icons.extracted.end(), program), 1) << program;
  }
  // The unsettled ones were read again and again: both threads kept writing to the cache.
  EXPECT_GT(counts.iconReads, 2 * tools.size());
}

}  // namespace
}  // namespace kest
