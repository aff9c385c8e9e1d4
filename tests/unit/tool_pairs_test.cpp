// "NAME (x86).lnk" beside "NAME.lnk": one entry of the catalog, in every route.
#include "catalog/tool_pairs.h"

#include <gtest/gtest.h>

#include "catalog/mini_folder.h"
#include "catalog/tool_search.h"
#include "fakes/fake_platform.h"

namespace kest {
namespace {

// For each file: "-" shown alone, "=" shown as a twin's part, or the index of its twin.
std::string Describe(const std::vector<std::string>& names) {
  const FolderPairs pairs = PairTools(names);
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i)
    out += pairs.isTwin[i] ? "=" : pairs.twin[i] ? std::to_string(*pairs.twin[i]) : "-";
  return out;
}

TEST(ToolPairs, ATwinPairsWithItsNameInAnyCaseAndOnlyWithAToolOfItsOwn) {
  EXPECT_EQ(Describe({"Dbg (x86).lnk", "Dbg.lnk"}), "=0");
  EXPECT_EQ(Describe({"dbg.lnk", "DBG (X86).lnk"}), "1=");
  EXPECT_EQ(Describe({"Отладчик.lnk", "ОТЛАДЧИК (x86).lnk"}), "1=") << "names match in any case, as files do";
  // Alone, or beside anything but a ".lnk" of its name, the twin is a tool of its own.
  EXPECT_EQ(Describe({"Dbg (x86).lnk"}), "-");
  EXPECT_EQ(Describe({"Dbg.pif", "Dbg (x86).lnk", "Dbg.LNK", "Dbg (x86).pif"}), "----");
  EXPECT_EQ(Describe({"Dbg.lnk", "Dbg(x86).lnk", "Dbg (x64).lnk", "Dbgx (x86).lnk"}), "----");
  // One twin each, the first listed; a twin has none of its own.
  EXPECT_EQ(Describe({"A.lnk", "A (x86).lnk", "a (x86).lnk"}), "1=-");
  EXPECT_EQ(Describe({"A (x86) (x86).lnk", "A (x86).lnk", "A.lnk"}), "-=1");
  EXPECT_EQ(Describe({"A (x86) (x86).lnk", "A (x86).lnk"}), "=0");
  EXPECT_EQ(Describe({" (x86).lnk", ".lnk"}), "--");
}

TEST(ToolPairs, TheWalkJoinsTwinsFolderByFolderForTheMenusAndTheFindBox) {
  fakes::FakeFileSystem fs;
  const std::string root = R"(C:\k\root)";
  fs.dir(root);
  fs.file(root + R"(\Dis.lnk)");
  fs.file(root + R"(\Dbg (x86).lnk)");
  fs.dir(root + R"(\Dbg (x86))");  // a folder never pairs
  fs.file(root + R"(\Dbg (x86)\Dbg.lnk)");
  fs.dir(root + R"(\Other)");
  fs.file(root + R"(\Other\Hex (x86).lnk)");  // its twin's name is in another folder
  fs.file(root + R"(\Dbg.lnk)");
  fs.file(root + R"(\Hex.lnk)");
  std::vector<WalkEvent> events = RecordWalk(fs, root);
  JoinTwins(events);
  std::string shown;
  for (const WalkEvent& e : events)
    shown += e.type == WalkEvent::Type::Tool ? e.name + (e.twin.empty() ? "" : "+" + e.twin) + ";" : "|";
  EXPECT_EQ(shown, R"(Dis.lnk;|Dbg.lnk;||Hex (x86).lnk;|Dbg.lnk+C:\k\root\Dbg (x86).lnk;Hex.lnk;)");
  std::vector<ToolSearchEntry> found = ToolSearchEntries(events);
  ASSERT_EQ(found.size(), 5u);
  EXPECT_EQ(found[3].text, "Dbg");
  EXPECT_EQ(found[3].twin, root + R"(\Dbg (x86).lnk)");
  EXPECT_EQ(found[4].twin, "");

  // The mini window's folder: one button for the pair.
  MiniFolderContent mini = ListMiniFolder(fs, root);
  EXPECT_EQ(mini.shortcuts,
            (std::vector<std::string>{root + R"(\Dis.lnk)", root + R"(\Dbg.lnk)", root + R"(\Hex.lnk)"}));
  EXPECT_EQ(mini.twins, (std::vector<std::string>{"", root + R"(\Dbg (x86).lnk)", ""}));
}

TEST(ToolPairs, TheTwinRunsForAnX86TargetWhileItIsThere) {
  fakes::FakeFileSystem fs;
  fs.file(R"(C:\k\root\Dbg (x86).lnk)");
  const std::string main = R"(C:\k\root\Dbg.lnk)", twin = R"(C:\k\root\Dbg (x86).lnk)";
  EXPECT_EQ(PairFileToRun(fs, main, twin, true), twin);
  EXPECT_EQ(PairFileToRun(fs, main, twin, false), main);
  EXPECT_EQ(PairFileToRun(fs, main, "", true), main);
  fs.files.clear();
  EXPECT_EQ(PairFileToRun(fs, main, twin, true), main) << "the twin was taken away since";
  EXPECT_EQ(PairCaption("Dbg", true), "Dbg  (x86)");
  EXPECT_EQ(PairCaption("Dbg", false), "Dbg");
}

}  // namespace
}  // namespace kest
