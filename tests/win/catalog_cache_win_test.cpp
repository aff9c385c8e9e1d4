// The catalog cache on the real system: file stamps, a read-ahead on a thread of its own with
// its own link object, and menus built from the cache whose icons look like the programs' own.
#include <gtest/gtest.h>

#include "kest_version.h"

#include <atomic>

#include "catalog/catalog_cache.h"
#include "windows/catalog_menus.h"
#include "catalog/shortcuts.h"
#include "platform/win32/icons.h"
#include "platform/win32/program_icons.h"
#include "platform/win32/drives.h"
#include "platform/win32/file_system.h"
#include "platform/win32/message_box.h"
#include "platform/win32/shell_links.h"
#include "win/win_test_util.h"

namespace kest {
namespace {

// The image as ImageList_Draw puts it on a magenta background, at the list's size.
std::vector<std::uint32_t> Drawn(HIMAGELIST list, int image) {
  int side = 0, height = 0;
  ImageList_GetIconSize(list, &side, &height);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(bi.bmiHeader), side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win32::OwnedMemoryDC dc(CreateCompatibleDC(nullptr));
  win32::OwnedBitmap bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::ScopedSelect use(dc.get(), bmp.get());
  RECT all{0, 0, side, side};
  win32::OwnedBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
  FillRect(dc.get(), &all, magenta.get());
  ImageList_Draw(list, image, dc.get(), 0, 0, ILD_TRANSPARENT);
  GdiFlush();
  auto* p = static_cast<std::uint32_t*>(bits);
  return std::vector<std::uint32_t>(p, p + side * side);
}

struct CatalogCacheWinTest : ::testing::Test {
  win32::ComApartment com;
  win32::Win32FileSystem fs;
  win32::ComShellLinks links;
  win32::Win32Drives drives;
  win32::Win32MessageBox box;
  WorkDrive drive{'C', false};
  wintest::ScratchDir dir{"catalog-cache"};
  std::string root = dir + "root";

  void SetUp() override {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string bin(self);
    bin = bin.substr(0, bin.find_last_of('\\') + 1);
    ASSERT_TRUE(CopyFileA((bin + KEST_PROGRAM_FILE).c_str(), (dir + "Kest.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((bin + KEST_PROGRAM_FILE).c_str(), (dir + "Kest2.exe").c_str(), FALSE));
    wintest::WriteText(dir + "plain.txt", "no icon here");
    CreateDirectoryA(root.c_str(), nullptr);
    CreateShortcut(links, fs, dir + "Kest.exe", root + "\\x.lnk", "");
    CreateShortcut(links, fs, dir + "plain.txt", root + "\\y.lnk", "");
    CreateShortcut(links, fs, dir + "Kest2.exe", root + "\\z.lnk", "");
  }
  static CatalogMenus Make(int side) {
    HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    return CatalogMenus(icon, {{0, nullptr, -1}, {11, "Copy file path", 2}, {21, "Delete", 0}, {31, "Properties", 1}},
                        {{0, nullptr, -1}, {41, "Kest fast string", -1}, {42, "Restore", -1}, {43, "Exit", -1}}, side);
  }
};

TEST_F(CatalogCacheWinTest, StampsFollowRewritesAndADirectoryHasNone) {
  auto before = fs.fileStamp(root + "\\x.lnk");
  ASSERT_TRUE(before.has_value());
  EXPECT_FALSE(fs.fileStamp(root).has_value());
  EXPECT_FALSE(fs.fileStamp(dir + "missing.lnk").has_value());
  Sleep(20);
  links.write(root + "\\x.lnk", dir + "plain.txt", "", dir.path());
  EXPECT_NE(fs.fileStamp(root + "\\x.lnk"), before);
}

// At 144 DPI's icon size, so the strips of icons are made at a side other than 16 too.
TEST_F(CatalogCacheWinTest, MenusFromAReadAheadOnItsOwnThreadLookAsWithoutTheCache) {
  const int side = 24;
  CatalogCache cache;
  std::atomic<bool> done{false};
  ReadAheadThread thread;
  thread.Start([&](const std::atomic<bool>& stop) {
    win32::ComApartment threadCom;
    win32::Win32FileSystem threadFs;
    win32::ComShellLinks threadLinks;
    win32::Win32ProgramIcons threadIcons;
    ReadCatalogAhead(cache, threadFs, threadLinks, threadIcons, root, drive, side, stop);
    done = true;
  });
  // The programs' icons taken straight from them (both programs are copies of Kest.exe).
  win32::OwnedImageList plain(ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 2, 2));
  for (const char* program : {"Kest2.exe", "Kest.exe"}) {
    win32::OwnedIcon icon(ExtractIconA(nullptr, (dir + program).c_str(), 0));
    ASSERT_TRUE(icon);
    win32::AddIconToImageList(plain.get(), icon.get());
  }
  for (int i = 0; i < 2000 && !done; ++i) Sleep(10);
  thread.Stop();
  ASSERT_TRUE(done);
  auto read = cache.counts();
  EXPECT_EQ(read.linkReads + read.iconReads, 6u);

  CatalogMenus cached = Make(side);
  win32::Win32ProgramIcons icons;
  ToolChecker checker(fs, links, drive, DriveSearch{drives, fs, box, nullptr}, &cache);
  cached.RebuildMenus(RecordWalk(fs, root), checker,
                      [&](const std::string& program, int side) { return cache.IconOf(fs, icons, program, side); });
  EXPECT_EQ(cache.counts().linkReads + cache.counts().iconReads, 6u) << "nothing read again";
  // The two programs' icons (added in one strip), and the default image for the text file.
  ASSERT_EQ(ImageList_GetImageCount(cached.MenuImages()), menu_image::kFirstToolIcon + 2);
  ASSERT_EQ(ImageList_GetImageCount(plain.get()), 2);
  for (int image = menu_image::kFirstToolIcon; image < menu_image::kFirstToolIcon + 2; ++image) {
    EXPECT_EQ(Drawn(cached.MenuImages(), image), Drawn(plain.get(), image - menu_image::kFirstToolIcon)) << image;
    EXPECT_NE(Drawn(cached.MenuImages(), image), Drawn(cached.MenuImages(), menu_image::kDefaultTool));
  }
}

}  // namespace
}  // namespace kest
