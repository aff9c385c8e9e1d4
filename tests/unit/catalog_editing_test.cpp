#include "settings/catalog_editing.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "platform/paths.h"

namespace kest {
namespace {

struct CatalogEditingTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  fakes::FakeShellLinks links{fs};
  fakes::FakeMessageBox box;
  const std::string root = R"(C:\k\root)";
  WindowHandle owner = reinterpret_cast<WindowHandle>(0x10);

  void SetUp() override {
    fs.dir(R"(C:\k)");
    fs.dir(root);
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (auto& a : box.asked) out.push_back(a.caption + ": " + a.text);
    return out;
  }
};

TEST_F(CatalogEditingTest, NewToolNamesFollowTheChosenFile) {
  EXPECT_TRUE(CreateNewTool(fs, links, box, owner, root, R"(D:\t\my.tool.exe)"));
  EXPECT_EQ(links.links.count(root + R"(\my.lnk)"), 1u) << "the extension change acts on the last dot";
  EXPECT_EQ(links.links[root + R"(\my.lnk)"].path, R"(D:\t\my.tool.exe)");

  fs.file(root + R"(\tool.lnk)");
  EXPECT_FALSE(CreateNewTool(fs, links, box, owner, root, R"(D:\t\tool.EXE)"));
  EXPECT_EQ(messages(), std::vector<std::string>{"Kest warning: Cannot create shortcut! It is allready exists!"});
  EXPECT_EQ(box.asked[0].icon, MbIcon::Error);
  EXPECT_EQ(box.asked[0].owner, owner);
  EXPECT_EQ(fs.attributes(root + R"(\tool(1).lnk)"), kInvalidAttributes);

  fs.existsCalls.clear();
  EXPECT_TRUE(CreateNewTool(fs, links, box, owner, root, R"(D:\docs\readme.txt)"));
  EXPECT_EQ(fs.existsCalls, (std::vector<std::string>{root + R"(\readme.txt)", root + R"(\readme.lnk)",
                                                      root + R"(\readme.pif)", root + R"(\readme.lnk)"}));
  EXPECT_EQ(links.links.count(root + R"(\readme.lnk)"), 1u);

  fs.file(root + R"(\old.pif)");
  EXPECT_FALSE(CreateNewTool(fs, links, box, owner, root, R"(D:\old.exe)")) << "a .pif of the name counts too";

  // A shortcut that could not be saved is said so, and is no new tool.
  box.asked.clear();
  links.failSaves.insert(root + R"(\dbg.lnk)");
  EXPECT_FALSE(CreateNewTool(fs, links, box, owner, root, R"(D:\t\dbg.exe)"));
  EXPECT_EQ(messages(), std::vector<std::string>{"Kest error: Could not create the shortcut " + root + R"(\dbg.lnk!)"});
  EXPECT_EQ(box.asked[0].icon, MbIcon::Error);
  EXPECT_FALSE(fs.fileExists(root + R"(\dbg.lnk)"));
}

TEST_F(CatalogEditingTest, NewFolderRefusesDuplicatesAndBadNames) {
  fs.dir(root + R"(\Debug)");
  EXPECT_EQ(CreateNewFolder(fs, box, owner, root, ""), NewFolderOutcome::Close);
  EXPECT_EQ(CreateNewFolder(fs, box, owner, root, "Debug"), NewFolderOutcome::KeepOpen);
  for (const char* bad : {"..", "a\\b", "x/y", "c:", "q?", " . ", "a|b", "<>"})
    EXPECT_EQ(CreateNewFolder(fs, box, owner, root, bad), NewFolderOutcome::KeepOpen) << bad;
  ASSERT_EQ(box.asked.size(), 9u);
  EXPECT_EQ(messages()[0], "Kest warning: Cannot create this folder! Enter unique name for it!");
  EXPECT_EQ(messages()[1], std::string("Kest warning: ") + kBadNameText);
  EXPECT_EQ(fs.log, std::vector<std::string>{}) << "nothing was created";

  EXPECT_EQ(CreateNewFolder(fs, box, owner, root, "Unpackers"), NewFolderOutcome::Created);
  EXPECT_EQ(fs.attributes(root + R"(\Unpackers)"), 16u);

  // A folder that cannot be made (a file holds the name) is said so, and the entry stays open.
  box.asked.clear();
  fs.file(root + R"(\Taken)");
  EXPECT_EQ(CreateNewFolder(fs, box, owner, root, "Taken"), NewFolderOutcome::KeepOpen);
  EXPECT_EQ(messages(), std::vector<std::string>{"Kest error: Could not create the folder " + root + R"(\Taken!)"});
  EXPECT_EQ(box.asked[0].owner, owner);
}

TEST_F(CatalogEditingTest, DeviceNamesAndTrailingDotsOrBlanksAreRefused) {
  for (const char* reserved : {"CON", "nul", "Prn.txt", "aux .lnk", "COM1", "com9.tar.gz", "LPT5", "a.", "b ", "c. "})
    EXPECT_TRUE(paths::IsReservedName(reserved)) << reserved;
  for (const char* fine : {"COM10", "COM0", "LPT", "console", "CONx.txt", "a.b", " lead", "x.CON", "nul_"})
    EXPECT_FALSE(paths::IsReservedName(fine)) << fine;

  for (const char* typed : {"CON", "nul.txt", "Com1", "lpt9.x", "tools.", "tools "})
    EXPECT_EQ(CreateNewFolder(fs, box, owner, root, typed), NewFolderOutcome::KeepOpen) << typed;
  ASSERT_EQ(box.asked.size(), 6u);
  for (const auto& a : box.asked)
    EXPECT_EQ(a.caption + ": " + a.text, std::string("Kest warning: ") + kReservedNameText);
  EXPECT_EQ(NameFaultOf("a|b"), NameFault::Characters) << "the characters are named first";
  EXPECT_TRUE(fs.log.empty());

  // A shortcut keeps its extension: "con" would still be the console, "a." makes "a..lnk".
  fs.file(root + R"(\t.lnk)");
  fs.dir(root + R"(\F)");
  EXPECT_EQ(RenameCatalogItem(fs, root, root + R"(\t.lnk)", 32, "con"), RenameOutcome::ReservedName);
  EXPECT_EQ(RenameCatalogItem(fs, root, root + R"(\F)", 16, "F."), RenameOutcome::ReservedName);
  EXPECT_EQ(RenameCatalogItem(fs, root, root + R"(\F)", 16, "LPT1"), RenameOutcome::ReservedName);
  EXPECT_EQ(RenameCatalogItem(fs, root, root + R"(\t.lnk)", 32, "a."), RenameOutcome::Renamed);
  EXPECT_TRUE(fs.files.count(root + R"(\a..lnk)"));

  // A chosen program whose name makes a device's shortcut.
  box.asked.clear();
  EXPECT_FALSE(CreateNewTool(fs, links, box, owner, root, R"(D:\t\Nul.exe)"));
  EXPECT_EQ(messages(), std::vector<std::string>{std::string("Kest warning: ") + kReservedNameText});
  EXPECT_TRUE(links.links.empty());
}

TEST_F(CatalogEditingTest, DeleteDirTreeGoesDepthFirstAndKeepsWhatItCannotDelete) {
  const std::string top = root + R"(\Old)";
  fs.dir(top);
  fs.file(top + R"(\a.lnk)", 33);  // read-only
  fs.dir(top + R"(\Inner)");
  fs.file(top + R"(\Inner\b.lnk)");
  EXPECT_TRUE(DeleteDirTree(fs, box, top));
  EXPECT_EQ(fs.log, (std::vector<std::string>{"attrib " + top + R"(\a.lnk 32)", "del " + top + R"(\a.lnk)",
                                              "del " + top + R"(\Inner\b.lnk)", "rmdir " + top + R"(\Inner)",
                                              "rmdir " + top}));
  EXPECT_TRUE(box.asked.empty());

  fs.dir(top);
  fs.dir(top + R"(\Locked)", 17);  // a read-only folder is no folder here
  fs.file(top + R"(\Locked\c.lnk)");
  EXPECT_FALSE(DeleteDirTree(fs, box, top + "\\"));
  EXPECT_EQ(messages(), std::vector<std::string>{"Internal error: Could NOT delete 1 item:\n" + top + R"(\Locked)"});
  EXPECT_EQ(box.asked[0].owner, nullptr);
  EXPECT_EQ(box.asked[0].icon, MbIcon::None);
  EXPECT_TRUE(fs.files.count(top + R"(\Locked\c.lnk)")) << "never walked into";
  EXPECT_EQ(fs.attributes(top), 16u);

  // A junction is taken away itself, if at all: never walked into, its attributes untouched.
  fs.log.clear();
  fs.dir(top + R"(\Link)", 0x410);
  DeleteDirTree(fs, box, top);
  EXPECT_EQ(std::count(fs.log.begin(), fs.log.end(), "attrib " + top + R"(\Link 32)"), 0);
}

TEST_F(CatalogEditingTest, ALockedTreeIsReportedInOneMessage) {
  const std::string top = root + R"(\Busy)";
  fs.dir(top);
  for (int i = 0; i < 50; ++i) {
    if (i == 25) fs.dir(top + R"(\Sub)");
    const std::string f = (i < 25 ? top : top + R"(\Sub)") + "\\f" + std::to_string(i) + ".dat";
    fs.file(f);
    fs.locked.insert(f);
  }
  fs.file(top + R"(\free.lnk)");
  box.answers = {MbAnswer::Yes};
  EXPECT_TRUE(DeleteCatalogItem(fs, box, owner, root, top, DeleteFrom::List));
  EXPECT_FALSE(fs.files.count(top + R"(\free.lnk)")) << "what can go, goes";
  ASSERT_EQ(box.asked.size(), 3u) << "the question, one message for the fifty files, the folder's failure";
  EXPECT_EQ(box.asked[1].caption, "Internal error");
  EXPECT_EQ(box.asked[1].text, "Could NOT delete 50 items:\n" + top + R"(\f0.dat)" + "\n" + top + R"(\f1.dat)" + "\n" +
                                   top + R"(\f2.dat)" + "\n" + top + R"(\f3.dat)" + "\n" + top + R"(\f4.dat)" +
                                   "\nand 45 more");
  EXPECT_EQ(messages()[2], "Kest error: Cannot delete folder");
}

TEST_F(CatalogEditingTest, DeleteAsksAndReportsByWhereTheItemCameFrom) {
  fs.file(root + R"(\t.lnk)");
  box.answers = {MbAnswer::No, MbAnswer::Yes};
  EXPECT_FALSE(DeleteCatalogItem(fs, box, owner, root, root + R"(\t.lnk)", DeleteFrom::List));
  EXPECT_TRUE(fs.files.count(root + R"(\t.lnk)"));
  int confirmed = 0;
  EXPECT_TRUE(DeleteCatalogItem(fs, box, owner, root, root + R"(\t.lnk)", DeleteFrom::List, [&] { ++confirmed; }));
  EXPECT_FALSE(fs.files.count(root + R"(\t.lnk)"));
  EXPECT_EQ(confirmed, 1);
  EXPECT_EQ(messages()[0], "Kest confirm: Are sure to want to delete [t.lnk] ?");
  EXPECT_EQ(box.asked[0].buttons, MbButtons::YesNoCancel);
  EXPECT_EQ(box.asked[0].icon, MbIcon::Warning);
  // A file that stays (held open by a running program) is said to have stayed.
  fs.file(root + R"(\held.lnk)");
  fs.locked.insert(root + R"(\held.lnk)");
  box.answers = {MbAnswer::Yes, MbAnswer::Ok};
  EXPECT_TRUE(DeleteCatalogItem(fs, box, owner, root, root + R"(\held.lnk)", DeleteFrom::List));
  EXPECT_EQ(messages().back(), "Kest error: Cannot delete [held.lnk]");

  fs.dir(root + R"(\F)");
  fs.dir(root + R"(\F\Sub)", 18);  // hidden: cannot be deleted as a file
  box.asked.clear();
  box.answers = {MbAnswer::Yes, MbAnswer::Ok, MbAnswer::Ok, MbAnswer::Yes, MbAnswer::Ok, MbAnswer::Ok};
  DeleteCatalogItem(fs, box, owner, root, root + R"(\F)", DeleteFrom::List);
  DeleteCatalogItem(fs, box, owner, root, root + R"(\F)", DeleteFrom::Tree);
  ASSERT_EQ(box.asked.size(), 6u);
  EXPECT_EQ(messages()[2], "Kest error: Cannot delete folder");
  EXPECT_EQ(messages()[5], "Kest error: Cannot delete folder! Try later.");
  EXPECT_EQ(box.asked[5].icon, MbIcon::Error);

  // The root and whatever lies outside it are never asked about.
  box.asked.clear();
  fs.file(R"(C:\k\Tools.ini)");
  EXPECT_FALSE(DeleteCatalogItem(fs, box, owner, root, root, DeleteFrom::Tree));
  EXPECT_FALSE(DeleteCatalogItem(fs, box, owner, root, root + R"(\..\Tools.ini)", DeleteFrom::List));
  EXPECT_TRUE(box.asked.empty());
}

TEST(CatalogRules, InsideRootUpAndDisplayNames) {
  const std::string root = R"(C:\k\root)";
  EXPECT_TRUE(IsInsideRoot(root, R"(c:\K\ROOT\a\b.lnk)"));
  EXPECT_TRUE(IsInsideRoot(root + "\\", R"(C:\k\root\a\..\b)"));
  EXPECT_FALSE(IsInsideRoot(root, root));
  EXPECT_FALSE(IsInsideRoot(root, R"(C:\k\root\a\..\..\Tools.ini)"));
  EXPECT_FALSE(IsInsideRoot(root, R"(C:\k\rootless\x)"));
  EXPECT_FALSE(IsInsideRoot(root, R"(C:\k\root\.. \x)"));
  EXPECT_FALSE(IsInsideRoot(root, R"(C:\k\root/../x)"));

  const std::string rootSlash = root + "\\";
  EXPECT_EQ(UpFolder(root, root, rootSlash), std::nullopt);
  EXPECT_EQ(UpFolder(root + R"(\A)", root + R"(\A)", rootSlash), root);
  EXPECT_EQ(UpFolder(root + R"(\t.lnk)", root, rootSlash), std::nullopt) << "never above the root";
  // Compared as it stands: another case is not the root's own text.
  EXPECT_EQ(UpFolder(R"(C:\K\ROOT)", root + R"(\A\B)", rootSlash), root + R"(\A)");

  EXPECT_EQ(ItemDisplayName("Dbg.lnk", 32), "Dbg");
  EXPECT_EQ(ItemDisplayName("Old.PIF", 32), "Old");
  EXPECT_EQ(ItemDisplayName("readme.txt", 32), "readme.txt");
  EXPECT_EQ(ItemDisplayName("Dir.lnk", 16), "Dir.lnk");
}

TEST_F(CatalogEditingTest, NearestFolderClimbsToTheRootWhateverEndsThePath) {
  fs.dir(root + R"(\a)");
  EXPECT_EQ(NearestExistingFolder(fs, root, root + R"(\a)"), root + R"(\a)");
  EXPECT_EQ(NearestExistingFolder(fs, root, root + R"(\a\gone\deeper\)"), root + R"(\a)");
  // A path ending in a slash or a colon is its own directory part: the climb went on forever.
  EXPECT_EQ(NearestExistingFolder(fs, root, root + R"(\a\b/)"), root + R"(\a)");
  EXPECT_EQ(NearestExistingFolder(fs, root, root + R"(\a\b/\c/)"), root + R"(\a)");
  EXPECT_EQ(NearestExistingFolder(fs, root, root + R"(\x:)"), root);
  EXPECT_EQ(NearestExistingFolder(fs, root, R"(C:\elsewhere\y/)"), root);
  // Up from such a path goes up too, rather than to the path itself.
  EXPECT_EQ(UpFolder(root + R"(\a)", root + R"(\a\b/)", root + "\\"), root + R"(\a)");
}

TEST_F(CatalogEditingTest, ListingSortsFoldersFirstAndRenameAndMoveStayInside) {
  fs.file(root + R"(\b.lnk)");
  fs.dir(root + R"(\Zed)");
  fs.file(root + R"(\A.txt)");
  fs.dir(root + R"(\alpha)");
  std::vector<std::string> shown;
  for (auto& item : ListCatalogFolder(fs, root)) shown.push_back(item.display);
  EXPECT_EQ(shown, (std::vector<std::string>{"alpha", "Zed", "A.txt", "b"}));

  std::string moved;
  EXPECT_EQ(RenameCatalogItem(fs, root, root + R"(\b.lnk)", 32, "Debugger", &moved), RenameOutcome::Renamed);
  EXPECT_EQ(moved, root + R"(\Debugger.lnk)") << "a shortcut keeps its extension";
  EXPECT_EQ(RenameCatalogItem(fs, root, moved, 32, "..", nullptr), RenameOutcome::BadName);
  EXPECT_EQ(RenameCatalogItem(fs, root, root + R"(\Zed)", 16, "Zed"), RenameOutcome::Unchanged);
  EXPECT_EQ(RenameCatalogItem(fs, root, root + R"(\Zed)", 16, "alpha"), RenameOutcome::Failed);

  EXPECT_EQ(MoveIntoFolder(fs, root, moved, root + R"(\Zed)"), MoveOutcome::Moved);
  EXPECT_TRUE(fs.files.count(root + R"(\Zed\Debugger.lnk)"));
  EXPECT_EQ(MoveIntoFolder(fs, root, root + R"(\A.txt)", root + R"(\Zed\Debugger.lnk)"), MoveOutcome::Refused) << "not a folder";
  EXPECT_EQ(MoveIntoFolder(fs, root, root + R"(\Zed)", root + R"(\Zed)"), MoveOutcome::Refused);
  EXPECT_EQ(MoveIntoFolder(fs, root, root + R"(\A.txt)", R"(C:\k)"), MoveOutcome::Refused);
  EXPECT_TRUE(fs.files.count(root + R"(\A.txt)"));
  fs.locked.insert(root + R"(\A.txt)");
  box.asked.clear();
  EXPECT_EQ(MoveIntoFolder(fs, root, root + R"(\A.txt)", root + R"(\Zed)"), MoveOutcome::Failed);
  ReportMoveFailure(box, owner, root + R"(\A.txt)", root + R"(\Zed)");
  ReportRenameFailure(box, owner, root + R"(\Zed)", "alpha");
  EXPECT_EQ(messages(), (std::vector<std::string>{"Kest error: Cannot move [A.txt] into [Zed]",
                                                  "Kest error: Cannot rename [Zed] to [alpha]"}));
  fs.locked.clear();

  // A source ending in ".." is inside the catalog, but moved under that last part it went to
  // "<folder>\..", out of the catalog; ending in "." it went onto the folder itself.
  fs.dir(root + R"(\alpha\beta)");
  fs.file(root + R"(\alpha\beta\..)");
  fs.file(root + R"(\alpha\beta\.)");
  fs.log.clear();
  EXPECT_EQ(MoveIntoFolder(fs, root, root + R"(\alpha\beta\..)", root), MoveOutcome::Refused);
  EXPECT_EQ(MoveIntoFolder(fs, root, root + R"(\alpha\beta\.)", root + R"(\Zed)"), MoveOutcome::Refused);
  EXPECT_TRUE(fs.log.empty());
}

}  // namespace
}  // namespace kest
