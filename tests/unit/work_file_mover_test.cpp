#include "settings/work_file_mover.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kest {
namespace {

TEST(ExtensionList, StarToCommaEntriesOnly) {
  EXPECT_EQ(ParseExtensionList(kWorkFileExtensions),
            (std::vector<std::string>{".udd", ".bak", ".bac", ".back", ".BACK"}));
  EXPECT_EQ(ParseExtensionList("junk *.a,x y*.b c , *.last"), (std::vector<std::string>{".a", ".b c "}));
  EXPECT_TRUE(ParseExtensionList("").empty());
  EXPECT_EQ(WorkFileDestination(R"(D:\work\sample.exe)", ".udd"), R"(D:\work\sample.udd)");
  EXPECT_EQ(WorkFileDestination(R"(D:\work\noext)", ".udd"), R"(D:\work\noext.udd)");
}

struct MoverTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  fakes::FakeShellLinks links{fs};
  WorkDrive drive{'C', false};
  void SetUp() override {
    for (const char* d : {R"(C:\k)", R"(C:\k\root)", R"(C:\k\root\Deep)", R"(C:\T)", R"(C:\U)", R"(D:\work)"})
      fs.dir(d);
    fs.file(R"(C:\T\dbg.exe)");
    fs.file(R"(C:\U\hex.exe)");
    tool(R"(C:\k\root\dbg.lnk)", R"(C:\T\dbg.exe)");
    tool(R"(C:\k\root\Deep\hex.lnk)", R"(C:\U\hex.exe)");
  }
  void tool(const std::string& file, const std::string& program) {
    fs.file(file);
    links.links[file] = {program, "", ""};
  }
  fakes::FakeMessageBox box;
  WindowHandle owner = reinterpret_cast<WindowHandle>(0x20);
  void run(const std::string& list = kWorkFileExtensions) {
    MoveWorkFiles(fs, links, drive, R"(C:\k\)", R"(D:\work\a.exe)", ParseExtensionList(list), box, owner);
  }
  std::vector<std::string> moves() const {
    std::vector<std::string> out;
    for (const std::string& l : fs.log)
      if (l.rfind("move ", 0) == 0) out.push_back(l);
    return out;
  }
};

TEST_F(MoverTest, WorkFilesOfTheTargetMoveAndNothingElse) {
  fs.file(R"(C:\T\a.udd)");
  fs.file(R"(C:\T\a.bak)");
  fs.file(R"(C:\T\b.udd)");
  fs.file(R"(C:\U\a.bac)");  // a tool in a nested folder
  fs.file(R"(C:\T\a.back)");
  fs.file(R"(D:\work\a.back)");  // already there: left alone, and said so
  run();
  EXPECT_TRUE(fs.fileExists(R"(D:\work\a.udd)"));
  EXPECT_TRUE(fs.fileExists(R"(D:\work\a.bak)"));
  EXPECT_TRUE(fs.fileExists(R"(D:\work\a.bac)"));
  EXPECT_TRUE(fs.fileExists(R"(C:\T\b.udd)"));
  EXPECT_TRUE(fs.fileExists(R"(C:\T\a.back)"));
  EXPECT_FALSE(fs.fileExists(R"(C:\T\a.udd)"));
  // In listing order (the folder Deep was made first), each list worked from its end.
  EXPECT_EQ(moves(), (std::vector<std::string>{R"(move C:\U\a.bac -> D:\work\a.bac)",
                                               R"(move C:\T\a.bak -> D:\work\a.bak)",
                                               R"(move C:\T\a.udd -> D:\work\a.udd)"}));
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Could not move 1 work file next to D:\\work\\a.exe:\nC:\\T\\a.back");
  EXPECT_EQ(box.asked[0].caption, "Kest warning");
  EXPECT_EQ(box.asked[0].icon, MbIcon::Warning);
  EXPECT_EQ(box.asked[0].owner, owner);
}

TEST_F(MoverTest, EntriesThatNameOtherDirectoriesAreIgnored) {
  // What each entry would have taken from the tool's directory.
  for (const char* f : {R"(C:\T\evil.dll)", R"(C:\T\x.dll)", R"(C:\T\y.dll)", R"(C:\T\a..udd)", R"(C:\T\a.udd)"})
    fs.file(f);
  run(R"(*\..\..\Windows\evil.dll, */x.dll, *:y.dll, *..udd, *.udd,)");
  EXPECT_EQ(moves(), std::vector<std::string>{R"(move C:\T\a.udd -> D:\work\a.udd)"});
  EXPECT_TRUE(box.asked.empty()) << "an ignored entry is no failed move";
  EXPECT_TRUE(IsUsableExtension(".udd"));
  EXPECT_TRUE(IsUsableExtension(".a.b"));
  for (const char* bad : {"\\x", "/x", ":x", "..", ".x..", "..\\"}) EXPECT_FALSE(IsUsableExtension(bad)) << bad;
}

TEST_F(MoverTest, FailedMovesAreReportedOnceAfterTheRun) {
  for (const char* ext : {".a", ".b", ".c", ".d", ".e", ".f", ".g"}) {
    fs.file(std::string(R"(C:\T\a)") + ext);
    fs.locked.insert(std::string(R"(C:\T\a)") + ext);
  }
  fs.file(R"(C:\U\a.h)");
  tool(R"(C:\k\root\dbg2.lnk)", R"(C:\T\dbg.exe)");  // the same directory again: each file told once
  run("*.a,*.b,*.c,*.d,*.e,*.f,*.g,*.h,");
  EXPECT_TRUE(fs.fileExists(R"(D:\work\a.h)")) << "the run goes on past a failure";
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Could not move 7 work files next to D:\\work\\a.exe:\n"
                               "C:\\T\\a.g\nC:\\T\\a.f\nC:\\T\\a.e\nC:\\T\\a.d\nC:\\T\\a.c\nand 2 more");
}

TEST_F(MoverTest, AFileThatNamesNoProgramContributesNothing) {
  fs.file(R"(C:\k\root\broken.lnk)");  // nothing can be read from it
  fs.setCurrentDirectory(R"(C:\k\)");
  fs.file(R"(C:\k\a.udd)");
  run();
  EXPECT_TRUE(box.asked.empty());
  EXPECT_TRUE(fs.fileExists(R"(C:\k\a.udd)"));
  EXPECT_FALSE(fs.fileExists(R"(D:\work\a.udd)"));
}

}  // namespace
}  // namespace kest
