#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "state/data_folder.h"
#include "window_rules/notes.h"

namespace kest {
namespace {

constexpr const char* kExe = R"(E:\kest\)";
constexpr const char* kData = R"(E:\kest\data\)";

// What an earlier run left beside the executable, and what a package put there.
struct EarlierRun : ::testing::Test {
  EarlierRun() {
    fs.dir(R"(E:\kest)");
    put(R"(E:\kest\Kest.exe)", "MZ");
    put(R"(E:\kest\Tools.ini)", "[Targets]\r\nCount=1\r\n0=C:\\a\\alpha.exe\r\n");
    put(R"(E:\kest\alpha.exe.txt)", "alpha's note");
    put(R"(E:\kest\README.note.rtf)", "the note of a target called README");
    put(R"(E:\kest\Kest scratch note.rtf)", "scratch");
    put(R"(E:\kest\README.txt)", "an earlier package's read-me");
    put(R"(E:\kest\beta.exe.txt.saving)", "half a save");
    fs.dir(R"(E:\kest\root)");
    fs.dir(R"(E:\kest\root\Debuggers)");
    put(R"(E:\kest\root\Debuggers\dbg.lnk)", "link");
    fs.dir(R"(E:\kest\root\Old)", 16 | 2);
    put(R"(E:\kest\root\Old\old.lnk)", "old link", 32 | 1);
  }
  void put(const std::string& path, const std::string& content, std::uint32_t attributes = 32) {
    fs.file(path, attributes);
    fs.contents[path] = content;
  }
  // The files and folders below a folder, by path.
  std::set<std::string> below(const std::string& dir) {
    std::set<std::string> found;
    for (const auto& [path, attributes] : fs.attrs)
      if (path.rfind(dir, 0) == 0 && path != dir) found.insert(path.substr(dir.size()));
    return found;
  }
  fakes::FakeFileSystem fs;
};

TEST_F(EarlierRun, WithoutADataFolderEverythingStaysBesideTheExecutable) {
  EXPECT_EQ(PrepareDataFolder(fs, kExe).dir, kExe);
  put(R"(E:\kest\data)", "a file named data");
  const DataLocation location = PrepareDataFolder(fs, kExe);
  EXPECT_EQ(location.dir, kExe);
  EXPECT_TRUE(location.failed.empty());
}

TEST_F(EarlierRun, AnEmptyDataFolderIsFilledOnceByCopyingAndTheOriginalsStay) {
  const std::set<std::string> before = below(kExe);
  fs.dir(R"(E:\kest\data)");
  EXPECT_TRUE(ChooseDataFolder(fs, kExe).fill);
  const DataLocation location = PrepareDataFolder(fs, kExe);
  EXPECT_EQ(location.dir, kData);
  EXPECT_TRUE(location.failed.empty());
  EXPECT_EQ(below(kData), (std::set<std::string>{"Tools.ini", "alpha.exe.txt", "README.note.rtf", "Kest scratch note.rtf",
                                                  "root", R"(root\Debuggers)", R"(root\Debuggers\dbg.lnk)", R"(root\Old)",
                                                  R"(root\Old\old.lnk)"}));
  EXPECT_EQ(fs.contents[R"(E:\kest\data\Tools.ini)"], fs.contents[R"(E:\kest\Tools.ini)"]);
  // A hidden folder stays hidden, and so out of the menus.
  EXPECT_EQ(fs.attrs[R"(E:\kest\data\root\Old)"], 16u | 2u);
  // The originals stay as they were.
  std::set<std::string> after = below(kExe);
  std::erase_if(after, [](const std::string& name) { return name.rfind("data", 0) == 0; });
  EXPECT_EQ(after, before);
  // Filled once: what the data folder holds now is Kest's own.
  EXPECT_FALSE(ChooseDataFolder(fs, kExe).fill);
  fs.contents[R"(E:\kest\alpha.exe.txt)"] = "changed beside the executable";
  PrepareDataFolder(fs, kExe);
  EXPECT_EQ(fs.contents[R"(E:\kest\data\alpha.exe.txt)"], "alpha's note");
  // The note of a target called README is found in the data folder under its own name.
  EXPECT_EQ(NoteFilePath(location.dir, R"(C:\x\README)"), R"(E:\kest\data\README.note.rtf)");
}

TEST_F(EarlierRun, ADataFolderThatHoldsKestsFilesIsTakenAsItIs) {
  fs.dir(R"(E:\kest\data)");
  put(R"(E:\kest\data\Tools.ini)", "[Options]\r\n");
  EXPECT_EQ(PrepareDataFolder(fs, kExe).dir, kData);
  EXPECT_EQ(below(kData), std::set<std::string>{"Tools.ini"});
  EXPECT_EQ(fs.contents[R"(E:\kest\data\Tools.ini)"], "[Options]\r\n");
  // The empty root a package brings is not Kest's own yet; a tool in it is.
  for (const char* dir : {R"(E:\kest\pkg)", R"(E:\kest\pkg\data)", R"(E:\kest\pkg\data\root)"}) fs.dir(dir);
  EXPECT_TRUE(ChooseDataFolder(fs, R"(E:\kest\pkg\)").fill);
  // With no earlier run's files beside it, nothing is written either.
  fs.log.clear();
  EXPECT_EQ(PrepareDataFolder(fs, R"(E:\kest\pkg\)").dir, R"(E:\kest\pkg\data\)");
  EXPECT_TRUE(fs.log.empty());
  put(R"(E:\kest\pkg\data\root\t.lnk)", "link");
  EXPECT_EQ(ChooseDataFolder(fs, R"(E:\kest\pkg\)").dir, R"(E:\kest\pkg\data\)");
  EXPECT_FALSE(ChooseDataFolder(fs, R"(E:\kest\pkg\)").fill);
}

TEST_F(EarlierRun, AFillCutShortLeavesTheRunBesideTheExecutableAndIsDoneAgain) {
  fs.dir(R"(E:\kest\data)");
  fs.locked.insert(R"(E:\kest\alpha.exe.txt)");
  DataLocation location = PrepareDataFolder(fs, kExe);
  EXPECT_EQ(location.dir, kExe);
  EXPECT_EQ(location.failed, std::vector<std::string>{R"(E:\kest\alpha.exe.txt)"});
  EXPECT_TRUE(fs.files.count(kData + std::string(kFillUnfinishedName)));

  // That run kept its files beside the executable; the next start copies them again, over
  // the copies the first fill left (a read-only one too).
  fs.locked.clear();
  fs.contents[R"(E:\kest\Tools.ini)"] = "[Targets]\r\nCount=0\r\n";
  EXPECT_TRUE(ChooseDataFolder(fs, kExe).fill);
  location = PrepareDataFolder(fs, kExe);
  EXPECT_EQ(location.dir, kData);
  EXPECT_TRUE(location.failed.empty());
  EXPECT_EQ(fs.contents[R"(E:\kest\data\Tools.ini)"], "[Targets]\r\nCount=0\r\n");
  EXPECT_EQ(fs.contents[R"(E:\kest\data\alpha.exe.txt)"], "alpha's note");
  EXPECT_FALSE(fs.files.count(kData + std::string(kFillUnfinishedName)));

  // A mark that cannot be laid fills nothing.
  fs.dir(R"(E:\kest\two)");
  fs.dir(R"(E:\kest\two\data)");
  put(R"(E:\kest\two\Tools.ini)", "[Options]\r\n");
  fs.locked.insert(R"(E:\kest\two\data\)" + std::string(kFillUnfinishedName));
  location = PrepareDataFolder(fs, R"(E:\kest\two\)");
  EXPECT_EQ(location.dir, R"(E:\kest\two\)");
  EXPECT_EQ(location.failed.size(), 1u);
  EXPECT_TRUE(below(R"(E:\kest\two\data\)").empty());
}

}  // namespace
}  // namespace kest
