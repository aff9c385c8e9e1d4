// Kest with a data folder: filled once from an earlier run's files, keeping targets, tools and
// notes there and nothing beside the executable, and found again by a newer copy whose data is
// a link to it, as a package manager's update leaves it.
#include <gtest/gtest.h>

#include <map>

#include "e2e/kest_driver.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

// Every file below a folder with its bytes (the program's size only), and every folder, by
// relative path; skip is left out.
std::map<std::string, std::string> Snapshot(const AppDir& app, const std::string& skip, const std::string& rel = "") {
  std::map<std::string, std::string> found;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((app.file(rel) + "*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    const std::string name = rel + d.cFileName;
    if (std::string(d.cFileName) == "." || std::string(d.cFileName) == ".." || name == skip) continue;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      found[name + "\\"] = "";
      found.merge(Snapshot(app, skip, name + "\\"));
    } else {
      found[name] = name == e2e::kProgramFile ? std::to_string(d.nFileSizeLow) : app.readFile(name);
    }
  } while (FindNextFileA(h, &d));
  FindClose(h);
  return found;
}

// A symbolic link made with ln, which Wine follows as Windows follows a junction; taken away
// again with rm, since the system's own removal refuses it under Wine. Wine starts a Unix
// program by its Unix path, but its process cannot be waited for: what it did is.
struct UnixLink {
  UnixLink(const std::string& folder, const std::string& name, const std::string& to) : folder(folder), name(name) {
    e2e::Process::Start("/bin/ln", "/bin/ln -s " + to + " " + name, folder);
    e2e::WaitUntil([&] { return e2e::DirExists(folder + name); });
  }
  ~UnixLink() {
    e2e::Process::Start("/bin/rm", "/bin/rm " + name, folder);
    EXPECT_TRUE(e2e::WaitUntil([&] { return GetFileAttributesA((folder + name).c_str()) == INVALID_FILE_ATTRIBUTES; }));
  }
  std::string folder, name;
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
  const auto beside = Snapshot(old, "data");

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
  EXPECT_EQ(Snapshot(old, "data"), beside) << "the files beside Kest.exe stay as they were";

  // A newer copy unpacked elsewhere, its data a link to the old one.
  AppDir update("data-update");
  UnixLink link(update.path(), "data", "../data-old/data");
  ASSERT_TRUE(e2e::DirExists(update.file("data")));
  k = StartKest(update, BareCommandLine(update));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(e2e::ListViewColumn(k.targetList()), std::vector<std::string>{"alpha.exe"});
  editor = ShownNoteEditor(k);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(editor) == "typed into the data folder"; }, 5000));
  // A target and a folder of tools handed over by later starts land in the linked folder too.
  EXPECT_EQ(RunRefusedStart(update, ArgumentCommandLine(update, old.file("work\\beta.exe"))), 0u);
  e2e::Process second =
      e2e::Process::Start(update.exe(), ArgumentCommandLine(update, old.file("work\\Pack")), update.path());
  AnswerImportQuestions(k, "Pack");
  EXPECT_TRUE(second.waitExit(10000));
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
  EXPECT_EQ(Snapshot(update, "data").size(), 1u) << "nothing but the program beside it";
  EXPECT_EQ(Snapshot(old, "data"), beside);
}

}  // namespace
}  // namespace kest::e2etest
