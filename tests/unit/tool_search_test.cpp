#include "catalog/tool_search.h"

#include <gtest/gtest.h>

#include "catalog/launch.h"
#include "fakes/fake_platform.h"

namespace kest {
namespace {

struct ToolSearchTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  const std::string exeDir = R"(C:\k\)";
  const std::string root = R"(C:\k\root)";

  void SetUp() override {
    fs.dir(root);
    fs.dir(root + "\\Debuggers");
    fs.file(root + "\\Debuggers\\x32dbg.lnk");
    fs.file(root + "\\Debuggers\\OllyDbg.lnk");
    fs.dir(root + "\\Debuggers\\Old");
    fs.file(root + "\\Debuggers\\Old\\SoftICE.lnk");
    fs.dir(root + "\\Hex");
    fs.file(root + "\\Hex\\HxD.lnk");
    fs.file(root + "\\PEiD.lnk");
  }
  ToolSearch search() { return ToolSearch(ToolSearchEntries(RecordWalk(fs, root))); }
  // The texts of the matching entries, in order.
  std::vector<std::string> Found(const ToolSearch& s, std::string_view query) {
    std::vector<std::string> texts;
    for (std::size_t i : s.Filter(query)) texts.push_back(s.entries()[i].text);
    return texts;
  }
};

using Texts = std::vector<std::string>;

TEST_F(ToolSearchTest, EntriesFollowTheWalkWithTheMenusCaptions) {
  ToolSearch s = search();
  ASSERT_EQ(s.entries().size(), 5u);
  EXPECT_EQ(Found(s, ""), (Texts{"Debuggers\\x32dbg", "Debuggers\\OllyDbg", "Debuggers\\Old\\SoftICE", "Hex\\HxD", "PEiD"}));
  EXPECT_EQ(s.entries()[2].captions, (Texts{"Debuggers", "Old", "SoftICE"}));
  EXPECT_EQ(s.entries()[4].captions, (Texts{"PEiD"}));
  // The captions name the shortcut as a menu item's do.
  EXPECT_EQ(s.entries()[2].file, root + "\\Debuggers\\Old\\SoftICE.lnk");
  EXPECT_EQ(s.entries()[4].file, root + "\\PEiD.lnk");
}

TEST_F(ToolSearchTest, EveryWordInAnyOrderAndCase) {
  ToolSearch s = search();
  EXPECT_EQ(Found(s, "dbg x32"), (Texts{"Debuggers\\x32dbg"}));
  EXPECT_EQ(Found(s, "x32 dbg"), (Texts{"Debuggers\\x32dbg"}));
  EXPECT_EQ(Found(s, "X32DBG"), (Texts{"Debuggers\\x32dbg"}));
  EXPECT_EQ(Found(s, "olly"), (Texts{"Debuggers\\OllyDbg"}));
  EXPECT_EQ(Found(s, "  hxd\t "), (Texts{"Hex\\HxD"}));
  EXPECT_EQ(Found(s, "PeId"), (Texts{"PEiD"}));
}

TEST_F(ToolSearchTest, FolderWordsFindEveryToolBelowTheFolder) {
  ToolSearch s = search();
  EXPECT_EQ(Found(s, "debuggers"), (Texts{"Debuggers\\x32dbg", "Debuggers\\OllyDbg", "Debuggers\\Old\\SoftICE"}));
  EXPECT_EQ(Found(s, "old ice"), (Texts{"Debuggers\\Old\\SoftICE"}));
  EXPECT_EQ(Found(s, "BUG"), (Texts{"Debuggers\\x32dbg", "Debuggers\\OllyDbg", "Debuggers\\Old\\SoftICE"}));
  // A word may be found in the folder for one tool and in the name for another.
  EXPECT_EQ(Found(s, "d"), (Texts{"Debuggers\\x32dbg", "Debuggers\\OllyDbg", "Debuggers\\Old\\SoftICE", "Hex\\HxD", "PEiD"}));
  EXPECT_EQ(Found(s, "DBG"), (Texts{"Debuggers\\x32dbg", "Debuggers\\OllyDbg"}));
}

TEST_F(ToolSearchTest, NoMatchGivesNothing) {
  ToolSearch s = search();
  EXPECT_TRUE(s.Filter("ida").empty());
  EXPECT_TRUE(s.Filter("x32 olly").empty()) << "every word must occur";
  EXPECT_TRUE(ToolSearch().Filter("").empty()) << "an empty catalog lists nothing";
}

TEST_F(ToolSearchTest, EmptyQueryListsEveryTool) {
  ToolSearch s = search();
  EXPECT_EQ(s.Filter(""), (std::vector<std::size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(s.Filter("   "), (std::vector<std::size_t>{0, 1, 2, 3, 4}));
}

TEST_F(ToolSearchTest, TheCallersVectorIsFilledAfresh) {
  ToolSearch s = search();
  std::vector<std::size_t> matches{7, 8, 9};
  s.Filter("hex", matches);
  EXPECT_EQ(matches, (std::vector<std::size_t>{3}));
  s.Filter("nothing", matches);
  EXPECT_TRUE(matches.empty());
}

TEST(ToolSearchFold, ScriptsBeyondAsciiAndCodePageBytes) {
  EXPECT_EQ(FoldCase("ÀÉÎ Straße"), "àéî straße");
  EXPECT_EQ(FoldCase("ОТЛАДЧИК Ёж"), "отладчик ёж");
  EXPECT_EQ(FoldCase("ΔΕΒΥΓ"), "δεβυγ");
  EXPECT_EQ(FoldCase("ŁÓDŹ"), "łódź");
  EXPECT_EQ(FoldCase("标本 🐞 ×"), "标本 🐞 ×");
  // A byte outside any UTF-8 sequence (a name in a system code page) is kept.
  EXPECT_EQ(FoldCase("A\xC0Z"), "a\xC0z");
  EXPECT_EQ(QueryWords(" Отладчик\tX32  "), (Texts{"отладчик", "x32"}));

  ToolSearch s({ToolSearchEntry{{"Отладчики", "X32DBG"}, "Отладчики\\X32DBG"}});
  EXPECT_EQ(s.Filter("отладчики x32").size(), 1u);
  EXPECT_EQ(s.Filter("ОТЛАД").size(), 1u);
}

}  // namespace
}  // namespace kest
