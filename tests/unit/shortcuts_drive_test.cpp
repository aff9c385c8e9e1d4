#include <gtest/gtest.h>

#include "catalog/shortcuts.h"
#include "catalog/work_drive.h"
#include "fakes/fake_platform.h"

namespace kest {
namespace {

struct ShortcutTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  fakes::FakeShellLinks links{fs};
  WorkDrive drive{'E', true};
};

TEST_F(ShortcutTest, UniqueNamesCountUpFromOne) {
  fs.cwd = R"(C:\k\root\Debuggers\)";
  EXPECT_EQ(UniqueShortcutName(fs, "dbg.exe"), R"(C:\k\root\Debuggers\dbg.lnk)");
  fs.files.insert(R"(C:\k\root\Debuggers\dbg.lnk)");
  fs.files.insert(R"(C:\k\root\Debuggers\dbg(1).lnk)");
  EXPECT_EQ(UniqueShortcutName(fs, "dbg.lnk"), R"(C:\k\root\Debuggers\dbg(2).lnk)");
  fs.files.erase(R"(C:\k\root\Debuggers\dbg.lnk)");
  EXPECT_EQ(UniqueShortcutName(fs, "dbg"), R"(C:\k\root\Debuggers\dbg.lnk)");  // only dbg(1) exists
  // The extension after the last dot is replaced; absolute names stay where they are.
  EXPECT_EQ(UniqueShortcutName(fs, R"(D:\x\Dis.asm.exe)"), R"(D:\x\Dis.asm.lnk)");
  for (int i = 0; i < 12; ++i) fs.files.insert(R"(D:\x\t)" + (i ? "(" + std::to_string(i) + ")" : std::string()) + ".lnk");
  EXPECT_EQ(UniqueShortcutName(fs, R"(D:\x\t.exe)"), R"(D:\x\t(12).lnk)");
}

TEST_F(ShortcutTest, CreateWritesPathArgumentsAndWorkingDirectory) {
  fs.dir(R"(C:\k\root)");
  fs.cwd = R"(C:\k\root\)";
  EXPECT_EQ(CreateShortcut(links, fs, R"(C:\A\b.exe)", "b.exe", ""), R"(C:\k\root\b.lnk)");
  ASSERT_EQ(links.links.count(R"(C:\k\root\b.lnk)"), 1u);
  auto& l = links.links[R"(C:\k\root\b.lnk)"];
  EXPECT_EQ(l.path, R"(C:\A\b.exe)");
  EXPECT_EQ(l.arguments, "");
  EXPECT_EQ(l.workingDirectory, R"(C:\A\)");
  // A second link of the same name does not overwrite the first.
  EXPECT_EQ(CreateShortcut(links, fs, R"(C:\B\b.exe)", "b.exe", "-x"), R"(C:\k\root\b(1).lnk)");
  EXPECT_EQ(links.links[R"(C:\k\root\b.lnk)"].path, R"(C:\A\b.exe)");
  EXPECT_EQ(links.links[R"(C:\k\root\b(1).lnk)"].arguments, "-x");

  // Nothing written is no file: a failed save, a missing folder, a name Windows would not keep.
  links.failSaves.insert(R"(C:\k\root\c.lnk)");
  EXPECT_EQ(CreateShortcut(links, fs, R"(C:\A\c.exe)", "c.exe", ""), "");
  EXPECT_EQ(CreateShortcut(links, fs, R"(C:\A\c.exe)", R"(C:\k\gone\c.exe)", ""), "");
  EXPECT_EQ(CreateShortcut(links, fs, R"(C:\A\prn.exe)", "PRN.exe", ""), "");
  EXPECT_EQ(links.links.size(), 2u);

  links.refuse = true;
  EXPECT_THROW(CreateShortcut(links, fs, R"(C:\A\c.exe)", "c.exe", ""), KestError);
}

TEST_F(ShortcutTest, ResolvePutsTheWorkDriveInFrontOfMissingPrograms) {
  // A missing link file is answered without the shell.
  EXPECT_EQ(ResolveShortcut(links, fs, drive, R"(C:\k\root\none.lnk)"), "");
  EXPECT_EQ(links.reads, 0);

  links.links[R"(C:\k\root\x.lnk)"] = {R"(D:\T\x.exe)", "", R"(D:\T\)"};
  fs.files.insert(R"(C:\k\root\x.lnk)");
  EXPECT_EQ(ResolveShortcut(links, fs, drive, R"(C:\k\root\x.lnk)"), R"(E:\T\x.exe)");
  fs.files.insert(R"(D:\T\x.exe)");
  EXPECT_EQ(ResolveShortcut(links, fs, drive, R"(C:\k\root\x.lnk)"), R"(D:\T\x.exe)");

  // Only a path named with a drive letter moves to the work drive: UNC and relative paths stay.
  links.links[R"(C:\k\root\unc.lnk)"] = {R"(\\host\share\x.exe)", "", ""};
  fs.files.insert(R"(C:\k\root\unc.lnk)");
  EXPECT_EQ(ResolveShortcut(links, fs, drive, R"(C:\k\root\unc.lnk)"), R"(\\host\share\x.exe)");
  links.links[R"(C:\k\root\rel.lnk)"] = {R"(tools\x.exe)", "", ""};
  fs.files.insert(R"(C:\k\root\rel.lnk)");
  EXPECT_EQ(ResolveShortcut(links, fs, drive, R"(C:\k\root\rel.lnk)"), R"(tools\x.exe)");

  // A file the link object cannot read gives nothing, not a lone drive letter.
  fs.files.insert(R"(C:\k\root\text.pif)");
  EXPECT_EQ(ResolveShortcut(links, fs, drive, R"(C:\k\root\text.pif)"), "");
}

struct DriveSearchTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  fakes::FakeDrives drives;
  fakes::FakeMessageBox box;
  WorkDrive drive{'D', true};
  DriveSearch search{drives, fs, box, reinterpret_cast<WindowHandle>(0x99)};
  const std::string tool = R"(D:\Tools\dbg.exe)";
  void SetUp() override {
    drives.types = {{'C', DriveType::Fixed}, {'D', DriveType::Fixed}, {'F', DriveType::Removable},
                    {'G', DriveType::CdRom}, {'N', DriveType::Remote}, {'R', DriveType::RamDisk}};
  }
};

TEST_F(DriveSearchTest, FixedAndRemovableFirstInLetterOrder) {
  fs.files = {R"(F:\Tools\dbg.exe)", R"(C:\Tools\dbg.exe)"};
  box.answers = {MbAnswer::Yes};
  EXPECT_TRUE(CheckToolDrive(tool, drive, search));
  EXPECT_EQ(drive.letter, 'C');
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text,
            "One or more tools was not found! May be work drive was changed!\r\n"
            "Kest may check other drives to find the tools. Do it now?");
  EXPECT_EQ(box.asked[0].caption, "Kest");
  EXPECT_EQ(box.asked[0].buttons, MbButtons::YesNo);
  EXPECT_EQ(box.asked[0].icon, MbIcon::Question);
  EXPECT_EQ(box.asked[0].owner, search.owner);

  fs.files = {R"(F:\Tools\dbg.exe)"};
  box.answers = {MbAnswer::Yes};
  EXPECT_TRUE(CheckToolDrive(tool, drive, search));
  EXPECT_EQ(drive.letter, 'F');
}

TEST_F(DriveSearchTest, CdOnlyAfterTheSecondQuestion) {
  fs.files = {R"(G:\Tools\dbg.exe)", R"(N:\Tools\dbg.exe)", R"(R:\Tools\dbg.exe)"};
  box.answers = {MbAnswer::Yes, MbAnswer::Yes};
  EXPECT_TRUE(CheckToolDrive(tool, drive, search));
  EXPECT_EQ(drive.letter, 'G');
  ASSERT_EQ(box.asked.size(), 2u);
  EXPECT_EQ(box.asked[1].text, "Tool not found on HDD and Flesh drives!Check CD?");
  EXPECT_EQ(box.asked[1].caption, "Kest");
  EXPECT_EQ(box.asked[1].buttons, MbButtons::YesNo);
  // Both passes go from C to Z; A and B are never tried.
  std::string letters;
  for (char c = 'C'; c <= 'Z'; ++c) letters += c;
  EXPECT_EQ(drives.asked, letters + letters.substr(0, std::string("CDEFG").size()));
  // The tool on the network drive and the RAM disk was never looked for.
  for (auto& p : fs.existsCalls) EXPECT_TRUE(p[0] == 'C' || p[0] == 'D' || p[0] == 'F' || p[0] == 'G') << p;
}

TEST_F(DriveSearchTest, NoToTheFirstQuestionEndsAtOnce) {
  fs.files = {R"(C:\Tools\dbg.exe)"};
  box.answers = {MbAnswer::No};
  EXPECT_FALSE(CheckToolDrive(tool, drive, search));
  EXPECT_EQ(drive.letter, 'D');
  EXPECT_EQ(box.asked.size(), 1u);
  EXPECT_TRUE(drives.asked.empty());

  box.answers = {MbAnswer::Yes, MbAnswer::No};
  fs.files = {R"(G:\Tools\dbg.exe)"};
  EXPECT_FALSE(CheckToolDrive(tool, drive, search));
  EXPECT_EQ(drive.letter, 'D');
  EXPECT_EQ(box.asked.size(), 3u);
}

TEST_F(DriveSearchTest, WithoutConfirmBothPassesRunSilently) {
  drive.confirm = false;
  EXPECT_FALSE(CheckToolDrive(tool, drive, search));
  EXPECT_TRUE(box.asked.empty());
  EXPECT_EQ(drive.letter, 'D');
  fs.files = {R"(G:\Tools\dbg.exe)"};
  EXPECT_TRUE(CheckToolDrive(tool, drive, search));
  EXPECT_TRUE(box.asked.empty());
  EXPECT_EQ(drive.letter, 'G');
  // The current work drive is tried like any other.
  fs.files = {R"(G:\Tools\dbg.exe)", R"(D:\Tools\dbg.exe)"};
  EXPECT_TRUE(CheckToolDrive(R"(G:\Tools\dbg.exe)", drive, search));
  EXPECT_EQ(drive.letter, 'D');
  EXPECT_FALSE(CheckToolDrive("", drive, search));
}

}  // namespace
}  // namespace kest
