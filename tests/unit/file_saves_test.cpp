// Saves of Tools.ini and the notes keep what the file is, against a fake file system.
#include "platform/file_saves.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kest {
namespace {

using Strings = std::vector<std::string>;

struct FileSavesTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  const std::string ini = R"(E:\k\Tools.ini)";
  void SetUp() override {
    fs.dir(R"(E:\k)");
    fs.file(ini);
    fs.contents[ini] = "old";
  }
};

TEST_F(FileSavesTest, ALinkIsWrittenThroughAndAFileOfSeveralNamesInPlace) {
  // Tools.ini linked to a synced folder: the file it leads to gets the bytes, the link stays.
  fs.dir(R"(D:\sync)");
  fs.file(R"(D:\sync\Tools.ini)");
  fs.linksTo[ini] = R"(D:\sync\Tools.ini)";
  EXPECT_TRUE(SaveFileKeepingWhatItIs(fs, ini, "new"));
  EXPECT_EQ(fs.contents[R"(D:\sync\Tools.ini)"], "new");
  EXPECT_EQ(fs.contents[ini], "old");
  EXPECT_EQ(fs.log, (Strings{R"(write D:\sync\Tools.ini.4242.saving)", R"(replace D:\sync\Tools.ini.4242.saving -> D:\sync\Tools.ini)"}));

  // A hard link into a package manager's store: written in place, after its old bytes are
  // kept whole beside it, which go once the write is through.
  fs.log.clear();
  fs.linksTo.clear();
  fs.names[ini] = 2;
  EXPECT_TRUE(SaveFileKeepingWhatItIs(fs, ini, "newer"));
  EXPECT_EQ(fs.contents[ini], "newer");
  EXPECT_EQ(fs.log, (Strings{R"(write E:\k\Tools.ini.4242.saving)", R"(move E:\k\Tools.ini.4242.saving -> E:\k\Tools.ini.4242.recover)",
                             R"(overwrite E:\k\Tools.ini)", R"(del E:\k\Tools.ini.4242.recover)"}));
  // A write in place that stops half-way: the old bytes go back.
  fs.overwriteFailures = 1;
  EXPECT_FALSE(SaveFileKeepingWhatItIs(fs, ini, "newest, longer"));
  EXPECT_EQ(fs.contents[ini], "newer");
  EXPECT_FALSE(fs.files.count(ini + ".4242.recover"));
  // Even that fails: the copy stays for the next start.
  fs.overwriteFailures = 2;
  EXPECT_FALSE(SaveFileKeepingWhatItIs(fs, ini, "newest, longer"));
  EXPECT_EQ(fs.contents[ini + ".4242.recover"], "newer");
}

TEST_F(FileSavesTest, AFolderThatTakesNoNewFileIsWrittenInPlace) {
  fs.refuseNew.insert(R"(E:\k\)");
  EXPECT_TRUE(SaveFileKeepingWhatItIs(fs, ini, "new"));
  EXPECT_EQ(fs.contents[ini], "new");
  EXPECT_EQ(fs.files.size(), 1u) << "nothing beside it";
  // A file that is not there cannot be made there at all; a full disk is no locked folder.
  EXPECT_FALSE(SaveFileKeepingWhatItIs(fs, R"(E:\k\x.exe.txt)", "note"));
  fs.refuseNew.clear();
  fs.diskFull = true;
  EXPECT_FALSE(SaveFileKeepingWhatItIs(fs, ini, "newer"));
  EXPECT_EQ(fs.contents[ini], "new");
}

TEST_F(FileSavesTest, TheNextStartClearsWhatSavesOfEndedCopiesLeft) {
  fs.contents[ini] = "cut sh";
  auto put = [&](const std::string& name, const std::string& content) {
    fs.file(R"(E:\k\)" + name);
    fs.contents[R"(E:\k\)" + name] = content;
  };
  put("Tools.ini.77.recover", "whole old");  // a write in place by 77, killed half-way
  put("Tools.ini.77.saving", "new");
  put("Tools.ini.4242.profile", "copy");     // this process's id, left by an earlier one
  put("a.exe.txt.88.saving", "88 runs");     // a copy that runs beside
  put("report.2024.saving", "the user's");
  put("a.exe.txt.saving", "an older Kest's");
  RecoverCutSaves(fs, R"(E:\k)", [](unsigned id) { return id == 88 || id == 4242; });
  EXPECT_EQ(fs.contents[ini], "whole old");
  Strings left;
  for (const auto& f : fs.files) left.push_back(f);
  EXPECT_EQ(left, (Strings{R"(E:\k\Tools.ini)", R"(E:\k\a.exe.txt.88.saving)", R"(E:\k\a.exe.txt.saving)",
                           R"(E:\k\report.2024.saving)"}));
}

}  // namespace
}  // namespace kest
