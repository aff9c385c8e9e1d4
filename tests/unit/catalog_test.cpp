#include "catalog/tool_catalog.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kest {
namespace {

TEST(ClassifyEntry, TheProgramsTable) {
  EXPECT_EQ(ClassifyEntry("Debuggers", 16), EntryClass::Folder);
  EXPECT_EQ(ClassifyEntry("ro", 17), EntryClass::Skipped);      // read-only folder
  EXPECT_EQ(ClassifyEntry("hidden", 18), EntryClass::Skipped);  // hidden folder
  EXPECT_EQ(ClassifyEntry("sys", 19), EntryClass::Skipped);     // system folder
  EXPECT_EQ(ClassifyEntry("odd", 10), EntryClass::Skipped);
  EXPECT_EQ(ClassifyEntry("arch", 48), EntryClass::Tool);       // folder with the archive bit
  EXPECT_EQ(ClassifyEntry("a.lnk", 32), EntryClass::Tool);
  EXPECT_EQ(ClassifyEntry("a.lnk", 9), EntryClass::Tool);
  EXPECT_EQ(ClassifyEntry("a.lnk", 20), EntryClass::Tool);
  EXPECT_EQ(ClassifyEntry("a.lnk", 0), EntryClass::Tool);
  EXPECT_EQ(ClassifyEntry("a.lnk", 128), EntryClass::Tool);
  EXPECT_EQ(ClassifyEntry(".", 16), EntryClass::Skipped);
  EXPECT_EQ(ClassifyEntry("..", 16), EntryClass::Skipped);
  EXPECT_EQ(ClassifyEntry(".old", 16), EntryClass::Skipped);
  EXPECT_EQ(ClassifyEntry(".hidden.lnk", 32), EntryClass::Skipped);
}

TEST(ToolDisplayName, CutsTheLastFourCharacters) {
  EXPECT_EQ(ToolDisplayName("Dbg.lnk"), "Dbg");
  EXPECT_EQ(ToolDisplayName("Dis.asm.lnk"), "Dis.asm");
  EXPECT_EQ(ToolDisplayName("tool.html"), "tool.");  // four characters, whatever the extension
  EXPECT_EQ(ToolDisplayName("readme.txt"), "readme");
  EXPECT_EQ(ToolDisplayName("abcd"), "");
  EXPECT_EQ(ToolDisplayName("ab"), "");
}

// Records the walk as lines: "+name path depth", "tool path file depth", "-".
struct Recorder : CatalogVisitor {
  std::vector<std::string> events;
  void FolderEntered(const std::string& name, const std::string& path, int depth) override {
    events.push_back("+" + name + " " + path + " " + std::to_string(depth));
  }
  void ToolFound(const std::string& path, const std::string& fileName, int depth) override {
    events.push_back("tool " + path + " " + fileName + " " + std::to_string(depth));
  }
  void FolderLeft() override { events.push_back("-"); }
};

TEST(ToolCatalogWalk, DepthFirstPreOrderInListingOrder) {
  fakes::FakeFileSystem fs;
  fs.dir(R"(C:\k\root)");
  fs.file(R"(C:\k\root\Zed.lnk)");          // listing order, not alphabetical
  fs.dir(R"(C:\k\root\Debuggers)");
  fs.file(R"(C:\k\root\Debuggers\Dbg.lnk)");
  fs.dir(R"(C:\k\root\Debuggers\Old)");
  fs.file(R"(C:\k\root\Debuggers\Old\Ice.pif)");
  fs.file(R"(C:\k\root\Debuggers\readme.txt)");
  fs.dir(R"(C:\k\root\.old)");
  fs.file(R"(C:\k\root\.old\Gone.lnk)");
  fs.dir(R"(C:\k\root\Locked)", 17);
  fs.file(R"(C:\k\root\Locked\Hidden.lnk)");
  fs.dir(R"(C:\k\root\Archived)", 48);
  fs.file(R"(C:\k\root\Archived\Inner.lnk)");
  fs.dir(R"(C:\k\root\Empty)");
  fs.file(R"(C:\k\root\Hex.lnk)");

  Recorder r;
  ToolCatalog::Walk(fs, ToolCatalog::RootOf(R"(C:\k\)"), r);
  EXPECT_EQ(r.events, (std::vector<std::string>{
                          R"(tool C:\k\root\Zed.lnk Zed.lnk 0)",
                          R"(+Debuggers C:\k\root\Debuggers 1)",
                          R"(tool C:\k\root\Debuggers\Dbg.lnk Dbg.lnk 1)",
                          R"(+Old C:\k\root\Debuggers\Old 2)",
                          R"(tool C:\k\root\Debuggers\Old\Ice.pif Ice.pif 2)",
                          "-",
                          R"(tool C:\k\root\Debuggers\readme.txt readme.txt 1)",
                          "-",
                          R"(tool C:\k\root\Archived Archived 0)",  // shown as a tool, not entered
                          R"(+Empty C:\k\root\Empty 1)",
                          "-",
                          R"(tool C:\k\root\Hex.lnk Hex.lnk 0)",
                      }));
}

TEST(ToolCatalogWalk, MissingRootAndUnlistableFolders) {
  fakes::FakeFileSystem fs;
  Recorder r;
  ToolCatalog::Walk(fs, R"(C:\k\root)", r);
  EXPECT_TRUE(r.events.empty());

  // A folder whose listing cannot be opened is left at once.
  fs.dir(R"(C:\k\root)");
  fs.dir(R"(C:\k\root\Gone)");
  fs.dirs.erase(R"(C:\k\root\Gone)");
  fs.file(R"(C:\k\root\After.lnk)");
  ToolCatalog::Walk(fs, R"(C:\k\root\)", r);
  EXPECT_EQ(r.events, (std::vector<std::string>{R"(+Gone C:\k\root\Gone 1)", "-",
                                                R"(tool C:\k\root\After.lnk After.lnk 0)"}));
}

TEST(ToolCatalogWalk, NestingLimitLeavesDeeperFoldersOut) {
  fakes::FakeFileSystem fs;
  std::string path = R"(C:\root)";
  fs.dir(path);
  for (int depth = 1; depth <= 60; ++depth) {
    path += "\\d" + std::to_string(depth);
    fs.dir(path);
    fs.file(path + "\\t.lnk");
  }
  Recorder r;
  ToolCatalog::Walk(fs, R"(C:\root)", r);
  int entered = 0, left = 0, tools = 0, deepestTool = -1;
  for (auto& e : r.events) {
    if (e[0] == '+') ++entered;
    if (e == "-") ++left;
    if (e.rfind("tool ", 0) == 0) {
      ++tools;
      deepestTool = std::stoi(e.substr(e.rfind(' ') + 1));
    }
  }
  EXPECT_EQ(entered, 50);
  EXPECT_EQ(left, 50);
  EXPECT_EQ(tools, 50);
  EXPECT_EQ(deepestTool, 50);
  EXPECT_LE(fs.openListings, 51);
}

}  // namespace
}  // namespace kest
