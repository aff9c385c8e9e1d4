#include "windows/catalog_menus.h"

#include "kit/bars.h"
#include "kit/controls.h"
#include "kit/pictures.h"
#include "platform/win32/icons.h"
#include "catalog/tool_pairs.h"
#include "core/window_ids.h"
#include "window_rules/menu_letters.h"

namespace kest {

namespace {

// The side of the list's images: the icons are asked for at it.
int ImageSide(HIMAGELIST list) {
  int side = 0, height = 0;
  return ImageList_GetIconSize(list, &side, &height) ? side : 0;
}


}  // namespace

CatalogMenus::CatalogMenus(HICON defaultIcon, std::vector<FixedItem> targetFixed, std::vector<FixedItem> trayFixed,
                           int iconSide)
    : defaultIcon_(CopyIcon(defaultIcon)), side_(iconSide) {
  fixed_[0] = std::move(targetFixed);
  fixed_[1] = std::move(trayFixed);
  MakeImageLists();
  for (int m = 0; m < 2; ++m) {
    menus_[m].reset(CreatePopupMenu());
    AppendFixed(menus_[m].get(), fixed_[m]);
  }
}

void CatalogMenus::MakeImageLists() {
  images2_ = MakePictureList(side_, DrawMenuPictures(side_).get(), 256);
  // Drawn at the list's size, from the icon's nearest image.
  win32::AddIconToImageList(images2_.get(), defaultIcon_.get());  // image 5
  images3_ = MakeImageList(side_, 8, 256);
  win32::AddIconToImageList(images3_.get(), defaultIcon_.get());  // image 0
}

bool CatalogMenus::SetIconSide(int side) {
  if (side == side_ || side <= 0) return false;
  side_ = side;
  MakeImageLists();
  iconBar_.clear();
  return true;
}

int CatalogMenus::IconImage(HIMAGELIST list, std::map<std::string, int>& images, int fallback,
                            const std::string& program, const CachedIcon& cached) {
  auto it = images.find(program);
  if (it != images.end()) return it->second;
  int image = fallback;
  if (auto pixels = cached(program, ImageSide(list))) {
    int added = win32::AddIconsToImageList(list, {pixels.get()});
    if (added >= 0) image = added;
  }
  images.emplace(program, image);
  return image;
}

void AddCachedProgramIcons(HIMAGELIST list, std::map<std::string, int>& images, int fallback,
                           const std::vector<std::string>& programs, const CachedIcon& cached) {
  const int side = ImageSide(list);
  std::vector<std::shared_ptr<const IconPixels>> kept;
  std::vector<const IconPixels*> strip;
  std::vector<std::string> named;
  for (const std::string& program : programs) {
    if (!images.emplace(program, fallback).second || program.empty()) continue;
    if (auto pixels = cached(program, side)) {
      strip.push_back(pixels.get());
      named.push_back(program);
      kept.push_back(std::move(pixels));
    }
  }
  int first = win32::AddIconsToImageList(list, strip);
  if (first < 0) return;
  for (std::size_t i = 0; i < named.size(); ++i) images[named[i]] = first + static_cast<int>(i);
}

void CatalogMenus::RebuildMenus(const std::vector<WalkEvent>& events, ToolChecker& checker, const CachedIcon& cached) {
  ImageList_SetImageCount(images2_.get(), menu_image::kFirstToolIcon);
  // The icon of a program is taken once per rebuild and shown in both menus.
  std::map<std::string, int> icons;
  auto iconImage = [&](const std::string& program) {
    return IconImage(images2_.get(), icons, menu_image::kDefaultTool, program, cached);
  };
  // Every shortcut is read before any icon is taken, and the icons before the menus are
  // built: under Wine these kinds of work slow each other down when they alternate. A tool
  // relocated while the menus are built has its icon taken again from the new place.
  std::vector<std::string> programs;
  for (const WalkEvent& e : events)
    if (e.type == WalkEvent::Type::Tool) programs.push_back(checker.Resolve(e.path));
  AddCachedProgramIcons(images2_.get(), icons, menu_image::kDefaultTool, programs, cached);
  for (int m = 0; m < 2; ++m) {
    MenuNode root = BuildToolMenu(events, checker, iconImage);
    tools_[m].clear();
    twins_[m].clear();
    pairs_[m].clear();
    menus_[m] = BuildMenu(root, static_cast<ToolMenu>(m), HasTool(events));
    fixedVisible_[m] = true;
  }
}

win32::OwnedMenu CatalogMenus::BuildMenu(const MenuNode& root, ToolMenu which, bool hasTool) {
  win32::OwnedMenu menu(CreatePopupMenu());
  AddItems(menu.get(), root, which);
  // Without a single tool the menu shows the way to the tools manager.
  if (!hasTool) AppendPictureMenuItem(menu.get(), ids::addTools, kAddToolsCaption, -1);
  AppendFixed(menu.get(), fixed_[static_cast<int>(which)]);
  return menu;
}

void CatalogMenus::AddItems(HMENU menu, const MenuNode& node, ToolMenu which) {
  const int m = static_cast<int>(which);
  for (const MenuNode& child : node.children) {
    // A name's "&" is shown as itself, never taken for a mnemonic mark.
    const std::string caption = MenuCaptionOf(child.caption);
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STRING | MIIM_BITMAP | MIIM_DATA | MIIM_ID;
    mii.dwTypeData = const_cast<char*>(caption.c_str());
    mii.hbmpItem = HBMMENU_CALLBACK;
    mii.dwItemData = static_cast<ULONG_PTR>(child.image);
    if (child.kind == MenuNode::Kind::Tool) {
      auto range = which == ToolMenu::Targets ? ToolCommandRange::TargetMenu : ToolCommandRange::TrayMenu;
      if (auto id = ToolCommandId(range, tools_[m].size())) {
        mii.wID = static_cast<UINT>(*id);
        // The item runs the file it was made from: its caption is only what is shown.
        tools_[m].push_back(child.file);
        twins_[m].push_back(child.twin);
        if (!child.twin.empty()) pairs_[m].push_back({mii.wID, child.caption});
      } else {
        // Past the end of the menu's command range: shown, but it cannot be chosen.
        mii.fMask |= MIIM_STATE;
        mii.fState = MFS_GRAYED;
      }
    } else if (!child.children.empty()) {
      // The menu owns a submenu once it is inserted.
      win32::OwnedMenu sub(CreatePopupMenu());
      AddItems(sub.get(), child, which);
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = sub.release();
    }
    // An empty folder is a plain item that does nothing.
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mii);
  }
}

void CatalogMenus::AppendFixed(HMENU menu, const std::vector<FixedItem>& fixed) {
  for (const FixedItem& f : fixed) AppendPictureMenuItem(menu, f.id, f.caption, f.image);
}

void CatalogMenus::SetFixedItemsVisible(ToolMenu which, bool visible) {
  const int m = static_cast<int>(which);
  if (fixedVisible_[m] == visible) return;
  HMENU menu = menus_[m].get();
  if (visible) {
    AppendFixed(menu, fixed_[m]);
  } else {
    for (std::size_t i = 0; i < fixed_[m].size(); ++i)
      DeleteMenu(menu, static_cast<UINT>(GetMenuItemCount(menu) - 1), MF_BYPOSITION);
  }
  fixedVisible_[m] = visible;
}

const std::string* CatalogMenus::ToolFile(int commandId) const {
  auto tool = ToolOfCommand(commandId);
  if (!tool || tool->range == ToolCommandRange::IconBar) return nullptr;
  const auto& tools = tools_[static_cast<int>(tool->range)];
  return tool->index < tools.size() ? &tools[tool->index] : nullptr;
}

std::string CatalogMenus::ToolTwin(int commandId) const {
  auto tool = ToolOfCommand(commandId);
  if (!tool || tool->range == ToolCommandRange::IconBar) return std::string();
  const auto& twins = twins_[static_cast<int>(tool->range)];
  return tool->index < twins.size() ? twins[tool->index] : std::string();
}

void CatalogMenus::ShowPairChoice(ToolMenu which, bool x86Target) {
  const int m = static_cast<int>(which);
  for (const PairItem& pair : pairs_[m]) {
    const std::string caption = MenuCaptionOf(PairCaption(pair.name, x86Target));
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = const_cast<char*>(caption.c_str());
    // By command: the entry may stand in any submenu.
    SetMenuItemInfoA(menus_[m].get(), pair.id, FALSE, &mii);
  }
}

const IconBarButton* CatalogMenus::IconBarTool(int commandId) const {
  auto tool = ToolOfCommand(commandId);
  if (!tool || tool->range != ToolCommandRange::IconBar || tool->index >= iconBar_.size()) return nullptr;
  return &iconBar_[tool->index];
}

void CatalogMenus::RebuildIconBar(const std::vector<WalkEvent>& events, ToolChecker& checker, HWND toolbar,
                                  const CachedIcon& cached) {
  ImageList_SetImageCount(images3_.get(), 1);
  if (toolbar) {
    for (int i = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0)) - 1; i >= 0; --i)
      SendMessageA(toolbar, TB_DELETEBUTTON, i, 0);
  }
  std::map<std::string, int> icons;
  std::vector<std::string> programs;
  for (const WalkEvent& e : events)
    if (e.type == WalkEvent::Type::Tool) programs.push_back(checker.Resolve(e.path));
  AddCachedProgramIcons(images3_.get(), icons, 0, programs, cached);
  iconBar_ = BuildIconBar(events, checker, [&](const std::string& program) {
    return IconImage(images3_.get(), icons, 0, program, cached);
  });
  if (!toolbar) return;
  for (std::size_t i = 0; i < iconBar_.size(); ++i) {
    auto id = ToolCommandId(ToolCommandRange::IconBar, i);
    if (!id) break;  // no command left for the rest
    TBBUTTON b{};
    b.iBitmap = iconBar_[i].image;
    b.idCommand = *id;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
    SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b));
  }
}

bool CatalogMenus::MeasureItem(MEASUREITEMSTRUCT& item) const { return MeasurePictureMenuItem(item, images2_.get()); }

bool CatalogMenus::DrawItem(const DRAWITEMSTRUCT& item) const { return DrawPictureMenuItem(item, images2_.get()); }

}  // namespace kest
