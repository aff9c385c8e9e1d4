// Shortcuts, the catalog walk and the drive search through the real shell, file system and
// drives of a Wine prefix.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <thread>

#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "catalog/work_drive.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/drives.h"
#include "platform/win32/file_system.h"
#include "platform/win32/message_box.h"
#include "platform/win32/shell_links.h"
#include "platform/win32/text_encoding.h"
#include "win/win_test_util.h"

namespace kest {
namespace {

struct ComTest : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(com.ok()); }
  win32::ComApartment com;  // first in, last out
  win32::Win32FileSystem fs;
  win32::ComShellLinks links;
};

std::string WorkingDirectoryOf(const std::string& link) {
  win32::ComPtr<IShellLinkA> sl;
  win32::ComPtr<IPersistFile> pf;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, sl.putVoid());
  sl->QueryInterface(IID_IPersistFile, pf.putVoid());
  if (FAILED(pf->Load(win32::AnsiToWide(link).c_str(), STGM_READ))) return "<unreadable>";
  char dir[MAX_PATH] = {};
  sl->GetWorkingDirectory(dir, MAX_PATH);
  return dir;
}

TEST_F(ComTest, CreatedShortcutsResolveBackToTheirPrograms) {
  wintest::ScratchDir dir("links");
  CreateDirectoryA((dir + "Tools").c_str(), nullptr);
  CreateDirectoryA((dir + "root").c_str(), nullptr);
  wintest::WriteText(dir + "Tools\\dbg.exe", "MZ");
  WorkDrive drive{'Q', true};

  std::string first = CreateShortcut(links, fs, dir + "Tools\\dbg.exe", dir + "root\\dbg.exe", "");
  EXPECT_EQ(first, dir + "root\\dbg.lnk");
  EXPECT_TRUE(fs.fileExists(first));
  EXPECT_EQ(ResolveShortcut(links, fs, drive, first), dir + "Tools\\dbg.exe");
  EXPECT_EQ(WorkingDirectoryOf(first), dir + "Tools\\");

  // The same name again, relative to the current directory: a numbered file beside it.
  std::string saved = fs.currentDirectory();
  ASSERT_TRUE(fs.setCurrentDirectory(dir + "root"));
  std::string second = CreateShortcut(links, fs, dir + "Tools\\dbg.exe", "dbg.exe", "");
  fs.setCurrentDirectory(saved);
  EXPECT_EQ(second, dir + "root\\dbg(1).lnk");
  EXPECT_TRUE(fs.fileExists(second));
  EXPECT_EQ(ResolveShortcut(links, fs, drive, second), dir + "Tools\\dbg.exe");

  // A save the link object refuses says so: no file, no name.
  EXPECT_FALSE(links.write(dir + "missing\\x.lnk", dir + "Tools\\dbg.exe", "", dir + "Tools\\"));
  EXPECT_EQ(CreateShortcut(links, fs, dir + "Tools\\dbg.exe", dir + "missing\\dbg.lnk", ""), "");
  EXPECT_EQ(GetFileAttributesA((dir + "missing").c_str()), INVALID_FILE_ATTRIBUTES);

  // A link to a program that is not there comes back on the work drive.
  std::string missing = CreateShortcut(links, fs, dir + "Tools\\gone.exe", dir + "root\\gone.lnk", "");
  EXPECT_TRUE(fs.fileExists(missing));
  std::string resolved = ResolveShortcut(links, fs, drive, missing);
  EXPECT_EQ(resolved, "Q" + (dir + "Tools\\gone.exe").substr(1));

  // Files the link object cannot read, and files that are not there.
  wintest::WriteText(dir + "root\\text.pif", "just text");
  wintest::WriteText(dir + "root\\text.lnk", "just text");
  EXPECT_EQ(ResolveShortcut(links, fs, drive, dir + "root\\text.pif"), "");
  EXPECT_EQ(ResolveShortcut(links, fs, drive, dir + "root\\text.lnk"), "");
  EXPECT_EQ(ResolveShortcut(links, fs, drive, dir + "root\\none.lnk"), "");
}

struct Recorder : CatalogVisitor {
  std::vector<std::string> events;
  void FolderEntered(const std::string& name, const std::string&, int depth) override {
    events.push_back("+" + name + "@" + std::to_string(depth));
  }
  void ToolFound(const std::string&, const std::string& fileName, int depth) override {
    events.push_back(fileName + "@" + std::to_string(depth));
  }
  void FolderLeft() override { events.push_back("-"); }
};

// The names FindFirstFileA/FindNextFileA give, in their order, without "." and "..".
std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (fd.cFileName[0] != '.') names.push_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

TEST_F(ComTest, WalkOfARealCatalogFollowsTheListing) {
  wintest::ScratchDir dir("walk");
  std::string root = dir + "root";
  for (const char* d : {"", "\\Debuggers", "\\Debuggers\\Old", "\\.old", "\\Hidden", "\\Empty"})
    CreateDirectoryA((root + d).c_str(), nullptr);
  SetFileAttributesA((root + "\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
  for (const char* f : {"\\Hex.lnk", "\\Debuggers\\Dbg.lnk", "\\Debuggers\\readme.txt",
                        "\\Debuggers\\Old\\Ice.pif", "\\.old\\Gone.lnk", "\\Hidden\\Secret.lnk"})
    wintest::WriteText(root + f, "x");

  Recorder r;
  ToolCatalog::Walk(fs, root, r);

  // What the walk must report, built from the real listing order of each folder.
  std::vector<std::string> want;
  std::function<void(const std::string&, int)> expect = [&](const std::string& d, int depth) {
    for (auto& name : Listing(d)) {
      std::string full = d + "\\" + name;
      DWORD a = GetFileAttributesA(full.c_str());
      if (a == FILE_ATTRIBUTE_DIRECTORY) {
        want.push_back("+" + name + "@" + std::to_string(depth + 1));
        expect(full, depth + 1);
        want.push_back("-");
      } else if (a < 10 || a > 19) {
        want.push_back(name + "@" + std::to_string(depth));
      }
    }
  };
  expect(root, 0);
  EXPECT_EQ(r.events, want);
  // The hidden folder (word 18) and the dotted one are left out with their content.
  for (auto& e : r.events) {
    EXPECT_EQ(e.find("Secret"), std::string::npos);
    EXPECT_EQ(e.find("Gone"), std::string::npos);
  }
  EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "+Old@2"), 1);
  EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "Ice.pif@2"), 1);
}

// Answers the message boxes captioned "Kest" that this process shows, recording their texts.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::vector<int> answers) : answers_(std::move(answers)) {
    thread_ = std::thread([this] {
      std::size_t next = 0;
      while (!stop_) {
        HWND box = FindWindowA("#32770", "Kest");
        if (box && IsWindowVisible(box) && next < answers_.size()) {
          char text[1024] = {};
          GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
          texts.push_back(text);
          SendMessageA(GetDlgItem(box, answers_[next++]), BM_CLICK, 0, 0);
          while (IsWindow(box) && !stop_) Sleep(5);
        }
        Sleep(5);
      }
    });
  }
  ~BoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> texts;

 private:
  std::vector<int> answers_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST_F(ComTest, DriveSearchFindsToolsOnRemovableAndCdDrivesOfThePrefix) {
  win32::Win32Drives drives;
  ASSERT_EQ(drives.type('R'), DriveType::Removable) << "the test script gives the prefix a removable R:";
  ASSERT_EQ(drives.type('S'), DriveType::CdRom) << "the test script gives the prefix a CD drive S:";
  CreateDirectoryA("R:\\kest-tools", nullptr);
  CreateDirectoryA("S:\\kest-cd", nullptr);
  wintest::WriteText("R:\\kest-tools\\flash.exe", "MZ");
  wintest::WriteText("S:\\kest-cd\\disc.exe", "MZ");
  win32::Win32MessageBox box;
  DriveSearch search{drives, fs, box, nullptr};

  {  // Without confirmation: no question, found on the removable drive.
    WorkDrive drive{'D', false};
    EXPECT_TRUE(CheckToolDrive("D:\\kest-tools\\flash.exe", drive, search));
    EXPECT_EQ(drive.letter, 'R');
  }
  {  // On the CD: two questions, Yes to both.
    BoxAnswerer answer({IDYES, IDYES});
    WorkDrive drive{'D', true};
    EXPECT_TRUE(CheckToolDrive("D:\\kest-cd\\disc.exe", drive, search));
    EXPECT_EQ(drive.letter, 'S');
    ASSERT_EQ(answer.texts.size(), 2u);
    EXPECT_EQ(answer.texts[0], std::string(kDriveQuestion));
    EXPECT_EQ(answer.texts[1], std::string(kCdQuestion));
  }
  {  // No to the first question: nothing searched, nothing changed.
    BoxAnswerer answer({IDNO});
    WorkDrive drive{'D', true};
    EXPECT_FALSE(CheckToolDrive("D:\\kest-tools\\flash.exe", drive, search));
    EXPECT_EQ(drive.letter, 'D');
    EXPECT_EQ(answer.texts.size(), 1u);
  }
  {  // Nowhere at all, without confirmation: false, silently.
    WorkDrive drive{'D', false};
    EXPECT_FALSE(CheckToolDrive("D:\\kest-nowhere\\none.exe", drive, search));
    EXPECT_EQ(drive.letter, 'D');
  }
  DeleteFileA("R:\\kest-tools\\flash.exe");
  DeleteFileA("S:\\kest-cd\\disc.exe");
  RemoveDirectoryA("R:\\kest-tools");
  RemoveDirectoryA("S:\\kest-cd");
}

}  // namespace
}  // namespace kest
