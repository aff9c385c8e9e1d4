#include "settings_ui/work_file_mover.h"

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
  void run() {
    MoveWorkFiles(fs, links, drive, R"(C:\k\)", R"(D:\work\a.exe)", ParseExtensionList(kWorkFileExtensions));
  }
};

TEST_F(MoverTest, WorkFilesOfTheTargetMoveAndNothingElse) {
  fs.file(R"(C:\T\a.udd)");
  fs.file(R"(C:\T\a.bak)");
  fs.file(R"(C:\T\b.udd)");
  fs.file(R"(C:\U\a.bac)");  // a tool in a nested folder
  fs.file(R"(C:\T\a.back)");
  fs.file(R"(D:\work\a.back)");  // already there: left alone
  run();
  EXPECT_TRUE(fs.fileExists(R"(D:\work\a.udd)"));
  EXPECT_TRUE(fs.fileExists(R"(D:\work\a.bak)"));
  EXPECT_TRUE(fs.fileExists(R"(D:\work\a.bac)"));
  EXPECT_TRUE(fs.fileExists(R"(C:\T\b.udd)"));
  EXPECT_TRUE(fs.fileExists(R"(C:\T\a.back)"));
  EXPECT_FALSE(fs.fileExists(R"(C:\T\a.udd)"));
  // In listing order (the folder Deep was made first), each list worked from its end.
  std::vector<std::string> moves;
  for (const std::string& l : fs.log)
    if (l.rfind("move ", 0) == 0) moves.push_back(l);
  EXPECT_EQ(moves, (std::vector<std::string>{R"(move C:\U\a.bac -> D:\work\a.bac)", R"(move C:\T\a.bak -> D:\work\a.bak)",
                                             R"(move C:\T\a.udd -> D:\work\a.udd)"}));
}

TEST_F(MoverTest, AFileThatNamesNoProgramContributesNothing) {
  fs.file(R"(C:\k\root\broken.lnk)");  // nothing can be read from it
  fs.setCurrentDirectory(R"(C:\k\)");
  fs.file(R"(C:\k\a.udd)");
  run();
  EXPECT_TRUE(fs.fileExists(R"(C:\k\a.udd)"));
  EXPECT_FALSE(fs.fileExists(R"(D:\work\a.udd)"));
}

}  // namespace
}  // namespace kest
