// Kest with a data folder: filled once from an earlier run's files, keeping targets, tools and
// notes there and nothing beside the executable, and found again by a newer copy whose data is
// a link to it, as a package manager's update leaves it.
#include <gtest/gtest.h>

#include <map>

#include "e2e/kest_driver.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

// Every file and folder below a folder (with its trailing backslash) by relative path, a file
// with its size and last write; skip is left out.
std::map<std::string, std::string> Snapshot(const std::string& dir, const std::string& skip, const std::string& rel = "") {
  std::map<std::string, std::string> found;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((dir + rel + "*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    const std::string name = rel + d.cFileName;
    if (std::string(d.cFileName) == "." || std::string(d.cFileName) == ".." || name == skip) continue;
    found[name] = std::to_string(d.nFileSizeLow) + " " + std::to_string(d.ftLastWriteTime.dwLowDateTime);
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) found.merge(Snapshot(dir, skip, name + "\\"));
  } while (FindNextFileA(h, &d));
  FindClose(h);
  return found;
}

// A newer copy of the program in a folder beside a "data" that is a symbolic link to the old
// copy's data folder. Wine follows such a link as Windows follows a junction, but cannot make
// one: the build makes it (tests/e2e/CMakeLists.txt), and the program's copy goes at the end.
struct LinkedCopy {
  LinkedCopy() { EXPECT_TRUE(CopyFileA((e2e::ExeDir() + e2e::kProgramFile).c_str(), exe.c_str(), FALSE)); }
  ~LinkedCopy() { e2e::WaitUntil([&] { return DeleteFileA(exe.c_str()) != FALSE; }, 3000, 50); }
  std::string bare() const { return e2e::Quoted(exe) + " "; }
  std::string with(const std::string& path) const { return e2e::Quoted(exe) + " " + path + "\""; }
  const std::string dir = e2e::ExeDir() + "e2e-linked\\";
  const std::string exe = dir + e2e::kProgramFile;
};

std::string IniValue(const std::string& file, const char* section, const char* key) {
  char value[512] = {};
  GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, file.c_str());
  return value;
}

HWND ShownNoteEditor(const Kest& k) {
  HWND kfs = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000, true);
  return kfs ? Editor(kfs) : nullptr;
}

TEST_F(KestTest, TheDataFolderKeepsEverythingAndANewerCopyLinkedToItFindsItAll) {
  // What an earlier Kest kept beside itself, and an empty data folder beside that.
  AppDir old("data-old");
  old.writeFile("work\\alpha.exe", "MZ");
  old.writeFile("work\\beta.exe", "MZ");
  old.writeFile("work\\Pack\\unpack.exe", "MZ");
  StoreTargets(old, {old.file("work\\alpha.exe")});
  old.writeIni("Options", "KFSOpened", "1");
  old.writeFile("alpha.exe.txt", "alpha's note");
  old.writeFile("root\\Old\\old.lnk", "an old tool");
  old.writeFile("README.txt", "an earlier package's read-me");
  old.makeDir("data");
  const auto beside = Snapshot(old.path(), "data");

  Kest k = StartKest(old, BareCommandLine(old));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(e2e::ListViewColumn(k.targetList()), std::vector<std::string>{"alpha.exe"});
  HWND editor = ShownNoteEditor(k);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(editor) == "alpha's note"; }, 5000));
  Type(editor, "typed into the data folder");
  CloseKest(k);

  const std::string data = old.file("data\\");
  EXPECT_EQ(IniValue(data + "Tools.ini", "Targets", "0"), old.file("work\\alpha.exe"));
  EXPECT_TRUE(HoldsRtfWith(old, "data\\alpha.exe.txt", "typed into the data folder"));
  EXPECT_EQ(old.readFile("data\\root\\Old\\old.lnk"), "an old tool");
  EXPECT_FALSE(old.exists("data\\README.txt"));
  EXPECT_EQ(Snapshot(old.path(), "data"), beside) << "the files beside Kest.exe stay as they were";

  LinkedCopy update;
  ASSERT_TRUE(e2e::DirExists(update.dir + "data")) << "the build makes the link";
  k.process = e2e::Process::Start(update.exe, update.bare(), update.dir);
  k.main = e2e::WaitForWindow("TfKest", k.process.pid(), 15000, true);
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(e2e::ListViewColumn(k.targetList()), std::vector<std::string>{"alpha.exe"});
  editor = ShownNoteEditor(k);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(editor) == "typed into the data folder"; }, 5000));
  // A target and a folder of tools handed over by later starts land in the linked folder too.
  e2e::Process target = e2e::Process::Start(update.exe, update.with(old.file("work\\beta.exe")), update.dir);
  EXPECT_TRUE(target.waitExit(10000));
  e2e::Process tools = e2e::Process::Start(update.exe, update.with(old.file("work\\Pack")), update.dir);
  AnswerImportQuestions(k, "Pack");
  EXPECT_TRUE(tools.waitExit(10000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::FileExists(data + "root\\Pack\\unpack.lnk"); }, 10000));
  // The tools manager shows that catalog.
  k.click(ids::settings);
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr);
  HWND list = e2e::FindChildByClass(e2e::FindChildByClass(settings, "TfKestToolsManager"), "SysListView32");
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewColumn(list) == std::vector<std::string>{"Old", "Pack"}; }, 5000));
  CloseSettings(settings);
  CloseKest(k);
  EXPECT_EQ(IniValue(data + "Tools.ini", "Targets", "1"), old.file("work\\beta.exe"));
  EXPECT_EQ(Snapshot(update.dir, "data").size(), 1u) << "nothing but the program beside it";
  EXPECT_EQ(Snapshot(old.path(), "data"), beside);
}

}  // namespace
}  // namespace kest::e2etest
