// The tools menus as real Win32 objects: their order, images (the drawn ones at any size) and
// what rebuilding them costs in handles.
#include <gtest/gtest.h>

#include "kest_version.h"

#include "windows/catalog_menus.h"
#include "catalog/catalog_cache.h"
#include "catalog/shortcuts.h"
#include "platform/win32/icons.h"
#include "platform/win32/program_icons.h"
#include "platform/win32/drives.h"
#include "platform/win32/file_system.h"
#include "platform/win32/message_box.h"
#include "platform/win32/shell_links.h"
#include "win/win_test_util.h"
#include "core/window_ids.h"
#include "window_rules/menu_letters.h"

namespace kest {
namespace {

// How many more objects of a kind the process can still create. Wine's GetGuiResources
// answers 0, so a leak is measured as capacity that does not come back.
template <class Create, class Destroy>
std::size_t FreeCapacity(Create create, Destroy destroy) {
  std::vector<decltype(create())> made;
  while (made.size() < 200000) {
    auto h = create();
    if (!h) break;
    made.push_back(h);
  }
  for (auto h : made) destroy(h);
  return made.size();
}
std::size_t FreeGdi() {
  return FreeCapacity([] { return CreateSolidBrush(RGB(1, 2, 3)); }, [](HBRUSH b) { DeleteObject(b); });
}
std::size_t FreeUser() {
  return FreeCapacity([] { return CreatePopupMenu(); }, [](HMENU m) { DestroyMenu(m); });
}

std::string MenuText(HMENU menu, int pos) {
  char text[128] = {};
  GetMenuStringA(menu, static_cast<UINT>(pos), text, sizeof text, MF_BYPOSITION);
  return text;
}

struct MenusTest : ::testing::Test {
  win32::ComApartment com;
  win32::Win32FileSystem fs;
  win32::ComShellLinks links;
  win32::Win32Drives drives;
  win32::Win32MessageBox box;
  win32::Win32ProgramIcons icons;
  CatalogCache cache;
  WorkDrive drive{'C', false};
  wintest::ScratchDir dir{"menus"};
  std::string root = dir + "root";
  std::string program;

  void SetUp() override {
    ASSERT_TRUE(com.ok());
    // A program with an icon of its own.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string bin(self);
    bin = bin.substr(0, bin.find_last_of('\\') + 1);
    program = dir + "Kest.exe";
    ASSERT_TRUE(CopyFileA((bin + KEST_PROGRAM_FILE).c_str(), program.c_str(), FALSE));
    for (const char* d : {"", "\\A", "\\B", "\\B\\Inner"}) CreateDirectoryA((root + d).c_str(), nullptr);
    CreateShortcut(links, fs, program, root + "\\x.lnk", "");
    CreateShortcut(links, fs, program, root + "\\B\\y.lnk", "");
    wintest::WriteText(dir + "plain.txt", "no icon here");
    CreateShortcut(links, fs, dir + "plain.txt", root + "\\B\\z&w.lnk", "");
  }
  CatalogMenus Make() {
    HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    return CatalogMenus(icon, {{0, nullptr, -1}, {11, "Copy file path", 2}, {21, "Delete", 0}, {31, "Properties", 1}},
                        {{0, nullptr, -1}, {41, "Kest fast string", -1}, {42, "Restore", -1}, {43, "Exit", -1}}, 16);
  }
  // As the main window rebuilds them: through the catalog cache.
  void Rebuild(CatalogMenus& menus) {
    ToolChecker checker(fs, links, drive, DriveSearch{drives, fs, box, nullptr}, &cache);
    cache.BeginRound();
    menus.RebuildMenus(RecordWalk(fs, root), checker,
                       [&](const std::string& program, int side) { return cache.IconOf(fs, icons, program, side); });
    cache.EndRound();
  }
};

TEST_F(MenusTest, BothMenusHoldTheCatalogAboveTheirFixedItems) {
  CatalogMenus menus = Make();
  Rebuild(menus);
  for (ToolMenu which : {ToolMenu::Targets, ToolMenu::Tray}) {
    HMENU m = menus.Menu(which);
    // Folders in listing order, then the tools reversed, then the four fixed items.
    std::vector<std::string> top;
    for (int i = 0; i < GetMenuItemCount(m); ++i) top.push_back(MenuText(m, i));
    std::vector<std::string> folders(top.begin(), top.begin() + 2);
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(top[2], "x");
    EXPECT_EQ(GetMenuItemCount(m), 3 + 4);
    EXPECT_EQ(GetSubMenu(m, top[0] == "A" ? 0 : 1), nullptr) << "an empty folder opens nothing";
    HMENU b = GetSubMenu(m, top[0] == "B" ? 0 : 1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GetMenuItemCount(b), 3);
    EXPECT_EQ(MenuText(b, 0), "Inner");
    // Tool images: the program's own icon, and the default one for a file without an icon.
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_DATA | MIIM_ID;
    std::map<std::string, ULONG_PTR> images;
    for (int i = 1; i < 3; ++i) {
      GetMenuItemInfoA(b, static_cast<UINT>(i), TRUE, &mii);
      // A name's "&" is doubled in the caption, so that it shows as itself; the item runs its
      // own file, not one rebuilt from the caption.
      const std::string name = MenuItemName(MenuText(b, i));
      images[name] = mii.dwItemData;
      const std::string* file = menus.ToolFile(static_cast<int>(mii.wID));
      ASSERT_NE(file, nullptr);
      EXPECT_EQ(*file, root + "\\B\\" + name + ".lnk");
    }
    EXPECT_EQ(MenuText(b, 1) == "z&&w" || MenuText(b, 2) == "z&&w", true);
    EXPECT_EQ(images["z&w"], static_cast<ULONG_PTR>(menu_image::kDefaultTool));
    EXPECT_GE(images["y"], static_cast<ULONG_PTR>(menu_image::kFirstToolIcon));
  }
  EXPECT_EQ(MenuText(menus.Menu(ToolMenu::Targets), 4), "Copy file path");
  EXPECT_EQ(MenuText(menus.Menu(ToolMenu::Tray), 6), "Exit");
  // The program's icon is extracted once and shared by both menus.
  EXPECT_EQ(ImageList_GetImageCount(menus.MenuImages()), menu_image::kFirstToolIcon + 1);

  menus.SetFixedItemsVisible(ToolMenu::Targets, false);
  EXPECT_EQ(GetMenuItemCount(menus.Menu(ToolMenu::Targets)), 3);
  menus.SetFixedItemsVisible(ToolMenu::Targets, true);
  EXPECT_EQ(GetMenuItemCount(menus.Menu(ToolMenu::Targets)), 7);
  EXPECT_EQ(MenuText(menus.Menu(ToolMenu::Targets), 6), "Properties");
}

TEST_F(MenusTest, ACatalogWithoutAToolOffersAddToolsAfterItsFolders) {
  CatalogMenus menus = Make();
  DeleteFileA((root + "\\x.lnk").c_str());
  DeleteFileA((root + "\\B\\y.lnk").c_str());
  DeleteFileA((root + "\\B\\z&w.lnk").c_str());
  Rebuild(menus);
  for (ToolMenu which : {ToolMenu::Targets, ToolMenu::Tray}) {
    HMENU m = menus.Menu(which);
    ASSERT_EQ(GetMenuItemCount(m), 3 + 4);
    EXPECT_EQ(MenuText(m, 2), "Add tools...");
    EXPECT_EQ(GetMenuItemID(m, 2), static_cast<UINT>(ids::addTools));
  }
  menus.SetFixedItemsVisible(ToolMenu::Targets, false);
  EXPECT_EQ(GetMenuItemCount(menus.Menu(ToolMenu::Targets)), 3) << "it stays when the entry commands go";

  // With a tool again it is gone.
  CreateShortcut(links, fs, program, root + "\\x.lnk", "");
  Rebuild(menus);
  for (ToolMenu which : {ToolMenu::Targets, ToolMenu::Tray}) {
    HMENU m = menus.Menu(which);
    for (int i = 0; i < GetMenuItemCount(m); ++i) EXPECT_NE(MenuText(m, i), "Add tools...");
  }
}

TEST_F(MenusTest, AThousandRebuildsLeaveNoHandlesBehind) {
  CatalogMenus menus = Make();
  for (int i = 0; i < 3; ++i) Rebuild(menus);  // let first-use caches settle
  std::size_t gdi = FreeGdi(), user = FreeUser();
  ASSERT_GT(gdi, 1000u);
  ASSERT_GT(user, 1000u);
  for (int i = 0; i < 1000; ++i) {
    Rebuild(menus);
    menus.SetFixedItemsVisible(ToolMenu::Targets, i % 2 == 0);
  }
  menus.SetFixedItemsVisible(ToolMenu::Targets, true);
  EXPECT_EQ(FreeGdi(), gdi);
  // The USER table is shared with the other processes of the prefix: allow a little noise.
  EXPECT_NEAR(static_cast<double>(FreeUser()), static_cast<double>(user), 8.0);
  EXPECT_EQ(ImageList_GetImageCount(menus.MenuImages()), menu_image::kFirstToolIcon + 1);
}

// The pictures are drawn on a grid of 16 units: at a side of 24 pixels (144 DPI) every point
// lands at one and a half times its place, and a unit is more than one pixel.
TEST(PictureStrip, DrawsItsPicturesAtTheSideItIsGiven) {
  win32::PictureStrip strip(2, win32::kPictureMask, 24);
  strip.At(1);
  strip.Line(RGB(0, 0, 255), 1, {{2, 10}, {14, 10}});
  strip.Dot(RGB(255, 0, 0), 16 + 4, 4);
  win32::OwnedBitmap bitmap = strip.Take();
  BITMAP info{};
  ASSERT_TRUE(GetObjectA(bitmap.get(), sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 48);
  EXPECT_EQ(info.bmHeight, 24);
  win32::OwnedMemoryDC dc(CreateCompatibleDC(nullptr));
  win32::ScopedSelect use(dc.get(), bitmap.get());
  EXPECT_EQ(GetPixel(dc.get(), 24 + 12, 15), RGB(0, 0, 255)) << "(8, 10) of the second picture";
  EXPECT_EQ(GetPixel(dc.get(), 24 + 8, 10), win32::kPictureMask) << "where it would be at 16 pixels";
  EXPECT_EQ(GetPixel(dc.get(), 24 + 12, 18), win32::kPictureMask);
  EXPECT_EQ(GetPixel(dc.get(), 24 + 6, 6), RGB(255, 0, 0)) << "the unit at (4, 4)";
  EXPECT_EQ(GetPixel(dc.get(), 24 + 7, 7), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc.get(), 12, 15), win32::kPictureMask) << "the first picture is left alone";
}

}  // namespace
}  // namespace kest
