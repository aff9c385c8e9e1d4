#include "settings/directory_import.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kest {
namespace {

struct ImportTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  fakes::FakeShellLinks links{fs};
  fakes::FakeMessageBox box;
  int outOfDate = 0;
  ImportServices services{fs, links, box, nullptr, R"(C:\k\)", [this] { ++outOfDate; }};
  const std::string dest = R"(C:\k\root)";

  void SetUp() override {
    fs.dir(R"(C:\k)");
    fs.dir(dest);
    // D:\Kits\Pack: a.exe, x\b.EXE, x\readme.txt, y\notes.txt
    fs.dir(R"(D:\Kits)");
    fs.dir(R"(D:\Kits\Pack)");
    fs.file(R"(D:\Kits\Pack\a.exe)");
    fs.dir(R"(D:\Kits\Pack\x)");
    fs.file(R"(D:\Kits\Pack\x\b.EXE)");
    fs.file(R"(D:\Kits\Pack\x\readme.txt)");
    fs.dir(R"(D:\Kits\Pack\y)");
    fs.file(R"(D:\Kits\Pack\y\notes.txt)");
  }
  std::vector<std::string> linksMade() {
    std::vector<std::string> out;
    for (auto& [file, link] : links.links) out.push_back(file + " -> " + link.path);
    return out;
  }
  std::vector<std::string> questions() {
    std::vector<std::string> out;
    for (auto& a : box.asked) out.push_back(a.caption + ": " + a.text);
    return out;
  }
};

TEST(ImportFolderName, LastComponentOrTheDriveLetter) {
  EXPECT_EQ(ImportFolderName(R"(D:\Kits\Pack)"), "Pack");
  EXPECT_EQ(ImportFolderName(R"(D:\Kits\Pack\)"), "Pack");
  EXPECT_EQ(ImportFolderName(R"(D:\)"), "D");
}

TEST_F(ImportTest, NewFolderAndEverythingAtOnce) {
  box.answers = {MbAnswer::Yes, MbAnswer::No};
  ImportToolsFromDir(services, R"(D:\Kits\Pack)", dest);
  EXPECT_EQ(outOfDate, 1);
  EXPECT_EQ(questions(), (std::vector<std::string>{
                             "Kest confirm: Create a new folder Pack [YES] and scan or just scan from it [NO]?",
                             "Need request: Request to add new tool [YES] or add all automaticly [NO]?"}));
  EXPECT_EQ(box.asked[0].buttons, MbButtons::YesNoCancel);
  EXPECT_EQ(box.asked[1].buttons, MbButtons::YesNo);
  EXPECT_EQ(linksMade(), (std::vector<std::string>{R"(C:\k\root\Pack\a.lnk -> D:\Kits\Pack\a.exe)",
                                                   R"(C:\k\root\Pack\x\b.lnk -> D:\Kits\Pack\x\b.EXE)"}));
  EXPECT_EQ(links.links[R"(C:\k\root\Pack\a.lnk)"].workingDirectory, R"(D:\Kits\Pack\)");
  // y was made and taken away again, having yielded nothing.
  EXPECT_EQ(fs.attributes(R"(C:\k\root\Pack\y)"), kInvalidAttributes);
  EXPECT_NE(std::find(fs.log.begin(), fs.log.end(), R"(mkdir C:\k\root\Pack\y)"), fs.log.end());
  EXPECT_EQ(fs.cwd, R"(C:\k\)");
}

TEST_F(ImportTest, StraightIntoTheDestinationAskingForEachTool) {
  box.answers = {MbAnswer::No, MbAnswer::Yes, MbAnswer::Yes, MbAnswer::Yes};
  ImportToolsFromDir(services, R"(D:\Kits\Pack\)", dest + "\\");
  EXPECT_EQ(linksMade(), (std::vector<std::string>{R"(C:\k\root\a.lnk -> D:\Kits\Pack\a.exe)",
                                                   R"(C:\k\root\x\b.lnk -> D:\Kits\Pack\x\b.EXE)"}));
  ASSERT_EQ(box.asked.size(), 4u);
  EXPECT_EQ(box.asked[2].text, "Create link for this tool: a.exe?");
  EXPECT_EQ(box.asked[3].text, "Create link for this tool: b.EXE?");
  EXPECT_EQ(box.asked[3].caption, "Kest confirm");
}

TEST_F(ImportTest, CancelAtAToolEndsTheImportAndKeepsWhatExists) {
  box.answers = {MbAnswer::Yes, MbAnswer::Yes, MbAnswer::Yes, MbAnswer::Cancel};
  ImportToolsFromDir(services, R"(D:\Kits\Pack)", dest);
  EXPECT_EQ(linksMade(), std::vector<std::string>{R"(C:\k\root\Pack\a.lnk -> D:\Kits\Pack\a.exe)"});
  EXPECT_EQ(fs.attributes(R"(C:\k\root\Pack\x)"), 16u) << "the still empty folder stays after Cancel";
  EXPECT_EQ(box.asked.size(), 4u);
  EXPECT_EQ(fs.cwd, R"(C:\k\)");
}

TEST_F(ImportTest, CancelFirstOrAnEmptySourceChangeNothing) {
  box.answers = {MbAnswer::Cancel};
  ImportToolsFromDir(services, R"(D:\Kits\Pack)", dest);
  EXPECT_TRUE(links.links.empty());
  EXPECT_TRUE(fs.log.empty());
  box.asked.clear();
  ImportToolsFromDir(services, "", dest);
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Not selected source directory!");
  EXPECT_EQ(box.asked[0].caption, "Kest error");
  EXPECT_EQ(box.asked[0].icon, MbIcon::Error);
  EXPECT_TRUE(fs.log.empty());
}

TEST_F(ImportTest, DottedLockedAndArchivedEntriesAndTakenNames) {
  fs.dir(R"(D:\Kits\Pack\.git)");
  fs.file(R"(D:\Kits\Pack\.git\hook.exe)");
  fs.dir(R"(D:\Kits\Pack\locked)", 17);
  fs.file(R"(D:\Kits\Pack\locked\l.exe)");
  fs.dir(R"(D:\Kits\Pack\arch.exe)", 48);  // a folder with the archive bit is a file here
  fs.dir(dest + "\\Pack");
  fs.file(dest + "\\Pack\\a.lnk");
  box.answers = {MbAnswer::Yes, MbAnswer::No};
  ImportToolsFromDir(services, R"(D:\Kits\Pack)", dest);
  EXPECT_EQ(linksMade(), (std::vector<std::string>{R"(C:\k\root\Pack\a(1).lnk -> D:\Kits\Pack\a.exe)",
                                                   R"(C:\k\root\Pack\arch.lnk -> D:\Kits\Pack\arch.exe)",
                                                   R"(C:\k\root\Pack\x\b.lnk -> D:\Kits\Pack\x\b.EXE)"}));
}

TEST_F(ImportTest, FoldersThatWereThereBeforeAreKept) {
  fs.dir(dest + R"(\Pack)");
  fs.dir(dest + R"(\Pack\y)");  // empty, and the import will put nothing in it
  box.answers = {MbAnswer::Yes, MbAnswer::No};
  ImportToolsFromDir(services, R"(D:\Kits\Pack)", dest);
  EXPECT_EQ(fs.attributes(dest + R"(\Pack\y)"), 16u);
  EXPECT_EQ(links.links.count(dest + R"(\Pack\x\b.lnk)"), 1u);
  EXPECT_EQ(box.asked.size(), 2u) << "nothing to report";
}

TEST_F(ImportTest, WhatCouldNotBeMadeIsReportedOnceAtTheEnd) {
  fs.dir(dest + R"(\Pack)");
  fs.file(dest + R"(\Pack\x)");  // a file holds the folder's name
  links.failSaves.insert(dest + R"(\Pack\a.lnk)");
  fs.dir(R"(D:\Kits\Pack\nul)");  // a device's name would land on the device
  fs.file(R"(D:\Kits\Pack\nul\n.exe)");
  fs.file(R"(D:\Kits\Pack\con.exe)");
  box.answers = {MbAnswer::Yes, MbAnswer::No};
  ImportToolsFromDir(services, R"(D:\Kits\Pack)", dest);
  EXPECT_TRUE(links.links.empty());
  ASSERT_EQ(box.asked.size(), 3u);
  EXPECT_EQ(questions()[2], "Kest error: The import could not create 4 catalog entries:\n"
                            R"(C:\k\root\Pack\a.lnk)" "\n" R"(C:\k\root\Pack\x)" "\n" R"(C:\k\root\Pack\nul)" "\n"
                            R"(C:\k\root\Pack\con.lnk)");
  EXPECT_EQ(box.asked[2].icon, MbIcon::Error);
  EXPECT_FALSE(fs.fileExists(R"(C:\k\root\Pack\nul)"));

  // Without its own folder nothing can be imported: one message, no further question.
  box.asked.clear();
  box.answers = {MbAnswer::Yes};
  fs.file(dest + R"(\Kits)");
  ImportToolsFromDir(services, R"(D:\Kits)", dest);
  ASSERT_EQ(box.asked.size(), 2u);
  EXPECT_EQ(questions()[1], "Kest error: Could not create the folder C:\\k\\root\\Kits!");
}

TEST_F(ImportTest, MissingCatalogRootIsMadeSoNothingLandsElsewhere) {
  fs.dirs.erase(dest);
  fs.attrs.erase(dest);
  fs.cwd = R"(C:\elsewhere\)";
  box.answers = {MbAnswer::Yes, MbAnswer::No};
  ImportToolsFromDir(services, R"(D:\Kits\Pack)", dest);
  EXPECT_EQ(links.links.count(R"(C:\k\root\Pack\a.lnk)"), 1u);
  for (auto& [file, link] : links.links) EXPECT_EQ(file.rfind(R"(C:\k\root\)", 0), 0u) << file;
}

TEST_F(ImportTest, ADestinationInsideTheSourceIsNotImportedAgain) {
  box.answers = {MbAnswer::No, MbAnswer::No};
  fs.dir(R"(D:\Kits\Pack\out)");
  ImportToolsFromDir(services, R"(D:\Kits\Pack)", R"(D:\Kits\Pack\out)");
  EXPECT_EQ(links.links.count(R"(D:\Kits\Pack\out\a.lnk)"), 1u);
  EXPECT_EQ(links.links.count(R"(D:\Kits\Pack\out\out\a.lnk)"), 0u);
}

TEST_F(ImportTest, NothingBelowADestinationInsideTheSourceAndNothingOutOfPlace) {
  box.answers = {MbAnswer::No, MbAnswer::No};
  // An earlier import left a program inside the destination's own folder.
  fs.dir(R"(D:\Kits\Pack\out)");
  fs.dir(R"(D:\Kits\Pack\out\tools)");
  fs.file(R"(D:\Kits\Pack\out\tools\old.exe)");
  // A folder whose mirror cannot be entered.
  fs.dir(R"(D:\Kits\Pack\z)");
  fs.file(R"(D:\Kits\Pack\z\c.exe)");
  fs.refuseCurrentDirectory.insert(R"(D:\Kits\Pack\out\z\)");
  ImportToolsFromDir(services, R"(D:\Kits\Pack)", R"(D:\Kits\Pack\out)");
  for (const std::string& made : linksMade()) {
    EXPECT_EQ(made.find("old.exe"), std::string::npos) << made;
    EXPECT_EQ(made.find("c.exe"), std::string::npos) << made;
    // Each shortcut lands in its own mirrored folder.
    EXPECT_EQ(made.rfind(R"(D:\Kits\Pack\out\)", 0), 0u) << made;
  }
  EXPECT_EQ(links.links.count(R"(D:\Kits\Pack\out\x\b.lnk)"), 1u);
}

TEST_F(ImportTest, DroppedFilesDirectoriesAndShortcutsBecomeTools) {
  fs.file(R"(D:\t\tool.exe)");
  fs.file(R"(D:\t\tool.lnk)");
  fs.file(R"(D:\t\OTHER.LNK)");
  int refreshed = 0;
  const std::string here = R"(C:\k\root)";
  // The directory is passed over (No); the others, each followed by a refresh.
  box.answers = {MbAnswer::No};
  DropToolFiles(services, {R"(D:\Kits\Pack)", R"(D:\t\tool.lnk)", R"(D:\t\tool.lnk)", R"(D:\t\tool.exe)",
                           R"(D:\t\tool.exe)", R"(D:\t\OTHER.LNK)"},
                here, [&] { ++refreshed; });
  EXPECT_EQ(refreshed, 6);
  // The second copy of tool.lnk is refused and said so, once the drop is done.
  EXPECT_EQ(questions(),
            (std::vector<std::string>{"Kest confirm: Scan from this directory here?",
                                      "Kest error: Could not make tools of 1 dropped file:\n"
                                      R"(D:\t\tool.lnk (its name is taken))"}));
  EXPECT_TRUE(fs.fileExists(R"(C:\k\root\tool.lnk)"));
  EXPECT_EQ(links.links.count(R"(C:\k\root\tool.lnk)"), 0u) << "copied, never overwritten by a new one";
  EXPECT_EQ(links.links[R"(C:\k\root\tool(1).lnk)"].path, R"(D:\t\tool.exe)");
  EXPECT_EQ(links.links[R"(C:\k\root\tool(2).lnk)"].path, R"(D:\t\tool.exe)");
  EXPECT_EQ(links.links[R"(C:\k\root\OTHER.lnk)"].path, R"(D:\t\OTHER.LNK)") << "not exactly .lnk: a file";
  // Cancel at a directory ends the whole drop.
  box.asked.clear();
  box.answers = {MbAnswer::Cancel};
  refreshed = 0;
  DropToolFiles(services, {R"(D:\Kits\Pack)", R"(D:\t\tool.exe)"}, here, [&] { ++refreshed; });
  EXPECT_EQ(refreshed, 0);
  EXPECT_EQ(links.links.count(R"(C:\k\root\tool(3).lnk)"), 0u);
  EXPECT_EQ(questions().size(), 1u);

  // Failures before a Cancel are still reported, together; a device's name is never written.
  fs.file(R"(D:\t\con.lnk)");
  fs.file(R"(D:\t\aux.exe)");
  links.failSaves.insert(R"(C:\k\root\tool(3).lnk)");
  box.asked.clear();
  box.answers = {MbAnswer::Cancel};
  DropToolFiles(services, {R"(D:\t\con.lnk)", R"(D:\t\aux.exe)", R"(D:\t\tool.exe)", R"(D:\Kits\Pack)"}, here, {});
  EXPECT_EQ(questions().back(), "Kest error: Could not make tools of 3 dropped files:\n"
                                R"(D:\t\con.lnk)" "\n" R"(D:\t\aux.exe)" "\n" R"(D:\t\tool.exe)");
  EXPECT_FALSE(fs.fileExists(R"(C:\k\root\con.lnk)"));
  EXPECT_FALSE(fs.fileExists(R"(C:\k\root\aux.lnk)"));
}

}  // namespace
}  // namespace kest
