#include "catalog/tool_menus.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kest {
namespace {

// "caption:image" per item, "[...]" around a folder's children.
std::string Describe(const MenuNode& node) {
  std::string out;
  for (const MenuNode& c : node.children) {
    if (!out.empty()) out += " ";
    out += c.caption + ":" + std::to_string(c.image);
    if (c.kind == MenuNode::Kind::Folder && !c.children.empty()) out += "[" + Describe(c) + "]";
  }
  return out;
}

struct ToolMenuTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  fakes::FakeShellLinks links{fs};
  fakes::FakeDrives drives;
  fakes::FakeMessageBox box;
  WorkDrive drive{'C', true};
  const std::string root = R"(C:\k\root)";

  void SetUp() override {
    fs.dir(root);
    drives.types = {{'C', DriveType::Fixed}, {'E', DriveType::Removable}};
  }
  // A shortcut in the catalog to a program that exists.
  void tool(const std::string& rel, const std::string& program, bool programExists = true) {
    fs.file(root + "\\" + rel);
    links.links[root + "\\" + rel] = {program, "", ""};
    if (programExists) fs.files.insert(program);
  }
  ToolChecker checker() { return ToolChecker(fs, links, drive, DriveSearch{drives, fs, box, nullptr}); }
  std::vector<std::string> iconsAsked;
  std::function<int(const std::string&)> icons = [this](const std::string& p) {
    iconsAsked.push_back(p);
    return p.find("noicon") != std::string::npos ? menu_image::kDefaultTool : 10;
  };
};

TEST_F(ToolMenuTest, FoldersFirstInListingOrderThenToolsReversed) {
  fs.dir(root + "\\A");
  tool("x.lnk", R"(C:\p\x.exe)");
  fs.dir(root + "\\B");
  tool("y.lnk", R"(C:\p\y.exe)");
  tool("B\\b1.lnk", R"(C:\p\b1.exe)");
  fs.dir(root + "\\B\\Sub");
  tool("B\\b2.lnk", R"(C:\p\noicon.exe)");
  ToolChecker c = checker();
  MenuNode menu = BuildToolMenu(RecordWalk(fs, root), c, icons);
  // A is empty (image 3), B has entries (image 4): its subfolder first, then its tools reversed.
  EXPECT_EQ(Describe(menu), "A:3 B:4[Sub:3 b2:5 b1:10] y:10 x:10");
  EXPECT_TRUE(box.asked.empty());
}

TEST_F(ToolMenuTest, ToolCheckSearchesThenWarnsOncePerMenu) {
  tool("dbg.lnk", R"(D:\Tools\dbg.exe)", false);
  drive.confirm = false;
  auto events = RecordWalk(fs, root);
  ToolChecker c = checker();
  BuildToolMenu(events, c, icons);
  BuildToolMenu(events, c, icons);  // the second menu checks again
  ASSERT_EQ(box.asked.size(), 2u);
  EXPECT_EQ(box.asked[0].text,
            "Tool [dbg.exe] was not found!!! Run Tools Manager and delete or edit links to it!");
  EXPECT_EQ(box.asked[0].caption, "Kest warning");
  EXPECT_EQ(box.asked[0].buttons, MbButtons::Ok);
  EXPECT_EQ(box.asked[0].icon, MbIcon::Error);
  // The shortcut was read once for the whole rebuild.
  EXPECT_EQ(links.reads, 1);
}

TEST_F(ToolMenuTest, ARelocationDuringTheFirstMenuHoldsForTheSecond) {
  tool("dbg.lnk", R"(D:\Tools\dbg.exe)", false);
  fs.files.insert(R"(E:\Tools\dbg.exe)");
  box.answers = {MbAnswer::Yes};
  auto events = RecordWalk(fs, root);
  ToolChecker c = checker();
  BuildToolMenu(events, c, icons);
  EXPECT_EQ(drive.letter, 'E');
  BuildToolMenu(events, c, icons);
  EXPECT_EQ(box.asked.size(), 1u) << "found: no warning, and no second question";
  EXPECT_EQ(iconsAsked, (std::vector<std::string>{R"(E:\Tools\dbg.exe)", R"(E:\Tools\dbg.exe)"}));
}

TEST_F(ToolMenuTest, ProgramOnTheWorkDriveCountsAsFound) {
  drive.letter = 'E';
  tool("dbg.lnk", R"(D:\Tools\dbg.exe)", false);
  fs.files.insert(R"(E:\Tools\dbg.exe)");
  ToolChecker c = checker();
  BuildToolMenu(RecordWalk(fs, root), c, icons);
  EXPECT_TRUE(box.asked.empty());
}

TEST_F(ToolMenuTest, UnreadableShortcutIsWarnedAboutWithoutADriveSearch) {
  fs.file(root + "\\readme.txt");  // not a link: nothing can be read from it
  ToolChecker c = checker();
  MenuNode menu = BuildToolMenu(RecordWalk(fs, root), c, icons);
  EXPECT_EQ(Describe(menu), "readme:10");
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text,
            "Tool [readme.txt] was not found!!! Run Tools Manager and delete or edit links to it!");
  EXPECT_TRUE(drives.asked.empty());
}

TEST_F(ToolMenuTest, IconBarHintsNameTheGroup) {
  tool("top1.lnk", R"(C:\p\t1.exe)");
  fs.dir(root + "\\Debuggers");
  tool("Debuggers\\dbg.lnk", R"(C:\p\dbg.exe)");
  fs.dir(root + "\\Debuggers\\Old");
  tool("Debuggers\\Old\\ice.lnk", R"(C:\p\ice.exe)");
  tool("Debuggers\\after.lnk", R"(C:\p\after.exe)");
  tool("top2.lnk", R"(C:\p\t2.exe)");
  ToolChecker c = checker();
  auto buttons = BuildIconBar(RecordWalk(fs, root), c, icons);
  std::vector<std::string> hints;
  for (auto& b : buttons) hints.push_back(b.hint);
  EXPECT_EQ(hints, (std::vector<std::string>{"top1 [not allowed]", "dbg [Debuggers]", "ice [Old]",
                                             "after [Debuggers]", "top2 [not allowed]"}));
  EXPECT_EQ(buttons[1].file, root + "\\Debuggers\\dbg.lnk");
}

TEST_F(ToolMenuTest, ExistenceIsAskedOncePerRebuildUntilABoxHasBeenShown) {
  tool("x.lnk", R"(C:\p\x.exe)");
  tool("gone.lnk", R"(C:\p\gone.exe)", false);
  drive.confirm = false;
  auto events = RecordWalk(fs, root);
  auto asked = [&](const std::string& path) { return std::count(fs.existsCalls.begin(), fs.existsCalls.end(), path); };
  {
    ToolChecker c = checker();
    BuildToolMenu(events, c, icons);
    BuildToolMenu(events, c, icons);
    // The missing tool is searched for and warned about in each menu; the program that is
    // there is asked about once, then again after each warning.
    EXPECT_EQ(box.asked.size(), 2u);
    EXPECT_EQ(asked(R"(C:\p\x.exe)"), 2);
  }
  fs.files.insert(R"(C:\p\gone.exe)");
  fs.existsCalls.clear();
  ToolChecker next = checker();
  BuildToolMenu(events, next, icons);
  BuildToolMenu(events, next, icons);
  EXPECT_EQ(box.asked.size(), 2u) << "the next rebuild asks afresh, and finds it";
  EXPECT_EQ(asked(R"(C:\p\x.exe)"), 1) << "no box: once for both menus";
}

TEST_F(ToolMenuTest, DeepCatalogStaysWithinTheCounters) {
  std::string rel;
  for (int d = 1; d <= 55; ++d) {
    rel += (rel.empty() ? "" : "\\") + std::string("f") + std::to_string(d);
    fs.dir(root + "\\" + rel);
    tool(rel + "\\t.lnk", R"(C:\p\t.exe)");
  }
  ToolChecker c = checker();
  MenuNode menu = BuildToolMenu(RecordWalk(fs, root), c, icons);
  int depth = 0;
  const MenuNode* n = &menu;
  while (!n->children.empty() && n->children.front().kind == MenuNode::Kind::Folder) {
    n = &n->children.front();
    ++depth;
  }
  EXPECT_EQ(depth, 50);
}

TEST(ToolCommandIds, EachRangeRoundTripsBelow0x10000WithoutOverlap) {
  const ToolCommandRange ranges[] = {ToolCommandRange::TargetMenu, ToolCommandRange::TrayMenu,
                                     ToolCommandRange::IconBar};
  const std::size_t span = kToolCommandSpan;
  std::optional<int> lastOfPrevious;
  for (ToolCommandRange r : ranges) {
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, span - 1}) {
      std::optional<int> id = ToolCommandId(r, i);
      ASSERT_TRUE(id);
      EXPECT_LT(*id, 0x10000);
      std::optional<ToolCommand> tool = ToolOfCommand(*id);
      ASSERT_TRUE(tool) << *id;
      EXPECT_EQ(tool->range, r);
      EXPECT_EQ(tool->index, i);
    }
    EXPECT_EQ(ToolCommandId(r, span), std::nullopt);
    if (lastOfPrevious) {
      EXPECT_LT(*lastOfPrevious, *ToolCommandId(r, 0));
    }
    lastOfPrevious = ToolCommandId(r, span - 1);
  }
  // The fixed commands and anything past the last range are no tools.
  for (int id : {0, 100, 222, kFirstToolCommand - 1, *lastOfPrevious + 1})
    EXPECT_FALSE(ToolOfCommand(id)) << id;
}

TEST_F(ToolMenuTest, AddToolsIsOfferedOnlyWhileTheCatalogHoldsNoTool) {
  EXPECT_FALSE(CatalogHasTool(fs, root)) << "an empty root";
  EXPECT_FALSE(CatalogHasTool(fs, R"(C:\k\missing)")) << "no root at all";
  fs.dir(root + "\\Empty");
  fs.dir(root + "\\Empty\\Deeper");
  EXPECT_FALSE(CatalogHasTool(fs, root)) << "folders are no tools";
  EXPECT_FALSE(HasTool(RecordWalk(fs, root)));
  tool("Empty\\Deeper\\t.lnk", R"(C:\t\t.exe)");
  EXPECT_TRUE(CatalogHasTool(fs, root));
  EXPECT_TRUE(HasTool(RecordWalk(fs, root)));
}

}  // namespace
}  // namespace kest
