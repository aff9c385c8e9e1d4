#pragma once
// The two tools menus (the target list's and the tray icon's) and the icon bar as Win32
// objects: menus, image lists and a toolbar, rebuilt from the catalog.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalog/tool_menus.h"
#include "platform/win32/handles.h"
#include "platform/win32/program_icons.h"

namespace kest {

enum class ToolMenu { Targets = 0, Tray = 1 };

struct FixedItem {
  int id;              // 0 for a separator
  const char* caption;
  int image;           // -1 for none
};

// A program's icon at side x side pixels as kept by the catalog cache (nullptr when it has none).
using CachedIcon = std::function<std::shared_ptr<const IconPixels>(const std::string& program, int side)>;

// Adds the icons of these programs to the list in one go, each program once, and notes each
// program's image in images; a program without an icon (or an empty one) gets fallback. The
// icons are asked for at the list's size.
void AddCachedProgramIcons(HIMAGELIST list, std::map<std::string, int>& images, int fallback,
                           const std::vector<std::string>& programs, const CachedIcon& cached);

class CatalogMenus {
 public:
  // defaultIcon: the default tool image (copied); fixed: the four items each menu ends with;
  // iconSide: the images' side in pixels (the small icon size at the owner's DPI).
  CatalogMenus(HICON defaultIcon, std::vector<FixedItem> targetFixed, std::vector<FixedItem> trayFixed,
               int iconSide);
  CatalogMenus(const CatalogMenus&) = delete;
  CatalogMenus& operator=(const CatalogMenus&) = delete;

  // Where the icons come from: the catalog cache.
  using CachedIcon = kest::CachedIcon;

  // Rebuilds both menus from one walk of the catalog, checking every tool on the way. A
  // catalog without a tool gets "Add tools..." (ids::addTools) after its folders.
  void RebuildMenus(const std::vector<WalkEvent>& events, ToolChecker& checker, const CachedIcon& cached);
  // Rebuilds the icon bar's buttons on the toolbar (which may be null).
  void RebuildIconBar(const std::vector<WalkEvent>& events, ToolChecker& checker, HWND toolbar,
                      const CachedIcon& cached);

  HMENU Menu(ToolMenu which) const { return menus_[static_cast<int>(which)].get(); }
  // Shows or hides the four fixed items at the end of a menu.
  void SetFixedItemsVisible(ToolMenu which, bool visible);

  // The tool file of a menu command, if it is one, and its 32-bit twin's (empty: none).
  const std::string* ToolFile(int commandId) const;
  std::string ToolTwin(int commandId) const;
  // Whether the menu holds a pair of tools; each pair's entry then says whether its twin will
  // run (x86Target), as the menu is about to open.
  bool HasPairs(ToolMenu which) const { return !pairs_[static_cast<int>(which)].empty(); }
  void ShowPairChoice(ToolMenu which, bool x86Target);
  // The shortcut file of an icon bar command, if it is one.
  const IconBarButton* IconBarTool(int commandId) const;

  HIMAGELIST MenuImages() const { return images2_.get(); }
  HIMAGELIST IconBarImages() const { return images3_.get(); }
  int IconSide() const { return side_; }
  // The owner moved to a screen of another DPI: both image lists are made again at the new side,
  // holding only their fixed images, so both menus and the icon bar must be rebuilt before they
  // are shown. Returns whether the side changed.
  bool SetIconSide(int side);
  // Owner drawing of the menu item images.
  bool MeasureItem(MEASUREITEMSTRUCT& item) const;
  bool DrawItem(const DRAWITEMSTRUCT& item) const;

 private:
  win32::OwnedMenu BuildMenu(const MenuNode& root, ToolMenu which, bool hasTool);
  void AppendFixed(HMENU menu, const std::vector<FixedItem>& fixed);
  void AddItems(HMENU menu, const MenuNode& node, ToolMenu which);
  int IconImage(HIMAGELIST list, std::map<std::string, int>& images, int fallback, const std::string& program,
                const CachedIcon& cached);

  void MakeImageLists();

  win32::OwnedIcon defaultIcon_;
  int side_;
  win32::OwnedImageList images2_;  // menus: six fixed images, then the tools'
  win32::OwnedImageList images3_;  // icon bar: the default image, then the tools'
  std::vector<FixedItem> fixed_[2];
  win32::OwnedMenu menus_[2];
  bool fixedVisible_[2] = {true, true};
  std::vector<std::string> tools_[2];  // each tool command's file, by its index in the range
  std::vector<std::string> twins_[2];  // and its twin's
  struct PairItem {
    UINT id;
    std::string name;
  };
  std::vector<PairItem> pairs_[2];     // the entries of pairs, with their names
  std::vector<IconBarButton> iconBar_;
};

}  // namespace kest
