#include "catalog/catalog_menus.h"

#include "platform/win32/icons.h"

namespace kest {

namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// The menus' five drawn images: cross, tick, clipboard with pencil, empty brackets, brackets
// around dots.
HBITMAP DrawFixedImages() {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = 16 * 5;
  bi.bmiHeader.biHeight = -16;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT all{0, 0, 16 * 5, 16};
  HBRUSH mask = CreateSolidBrush(kMaskColour);
  FillRect(dc, &all, mask);
  DeleteObject(mask);
  auto line = [&](COLORREF c, int width, std::initializer_list<POINT> pts) {
    HPEN pen = CreatePen(PS_SOLID, width, c);
    HGDIOBJ o = SelectObject(dc, pen);
    std::vector<POINT> v(pts);
    Polyline(dc, v.data(), static_cast<int>(v.size()));
    SelectObject(dc, o);
    DeleteObject(pen);
  };
  // 0: red cross.
  line(RGB(220, 0, 0), 2, {{3, 3}, {13, 13}});
  line(RGB(220, 0, 0), 2, {{13, 3}, {3, 13}});
  // 1: tick.
  line(RGB(0, 150, 0), 2, {{16 + 3, 8}, {16 + 6, 12}, {16 + 13, 3}});
  // 2: clipboard with a pencil.
  line(RGB(90, 60, 20), 1, {{32 + 3, 3}, {32 + 11, 3}, {32 + 11, 14}, {32 + 3, 14}, {32 + 3, 3}});
  line(RGB(60, 60, 60), 1, {{32 + 5, 2}, {32 + 9, 2}});
  line(RGB(0, 0, 160), 2, {{32 + 7, 11}, {32 + 14, 4}});
  // 3: empty brackets; 4: brackets around dots.
  for (int i = 3; i <= 4; ++i) {
    int x = 16 * i;
    line(RGB(0, 0, 0), 1, {{x + 5, 3}, {x + 3, 3}, {x + 3, 12}, {x + 5, 12}});
    line(RGB(0, 0, 0), 1, {{x + 10, 3}, {x + 12, 3}, {x + 12, 12}, {x + 10, 12}});
  }
  for (int x : {16 * 4 + 5, 16 * 4 + 7, 16 * 4 + 9}) SetPixel(dc, x, 10, RGB(0, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  return bmp;
}

}  // namespace

CatalogMenus::CatalogMenus(HICON defaultIcon, std::vector<FixedItem> targetFixed, std::vector<FixedItem> trayFixed) {
  fixed_[0] = std::move(targetFixed);
  fixed_[1] = std::move(trayFixed);
  images2_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 256);
  HBITMAP fixed = DrawFixedImages();
  ImageList_AddMasked(images2_, fixed, kMaskColour);
  DeleteObject(fixed);
  ImageList_AddIcon(images2_, defaultIcon);  // image 5
  images3_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 256);
  ImageList_AddIcon(images3_, defaultIcon);  // image 0
  for (int m = 0; m < 2; ++m) {
    menus_[m] = CreatePopupMenu();
    AppendFixed(menus_[m], fixed_[m]);
  }
}

CatalogMenus::~CatalogMenus() {
  for (HMENU m : menus_)
    if (m) DestroyMenu(m);
  ImageList_Destroy(images2_);
  ImageList_Destroy(images3_);
}

int CatalogMenus::IconImage(HIMAGELIST list, std::map<std::string, int>& cache, int fallback,
                            const std::string& program) {
  auto it = cache.find(program);
  if (it != cache.end()) return it->second;
  int image = fallback;
  HICON icon = program.empty() ? nullptr : ExtractIconA(nullptr, program.c_str(), 0);
  // ExtractIconA gives 1, or under Wine nothing, for a file that is no program.
  if (icon != nullptr && icon != reinterpret_cast<HICON>(1)) {
    int added = win32::AddIconToImageList(list, icon);
    if (added >= 0) image = added;
    DestroyIcon(icon);
  }
  cache.emplace(program, image);
  return image;
}

void CatalogMenus::RebuildMenus(const std::vector<WalkEvent>& events, ToolChecker& checker) {
  ImageList_SetImageCount(images2_, menu_image::kFirstToolIcon);
  // The icon of a program is taken once per rebuild and shown in both menus.
  std::map<std::string, int> icons;
  auto iconImage = [&](const std::string& program) {
    return IconImage(images2_, icons, menu_image::kDefaultTool, program);
  };
  // Every shortcut is read before any icon is taken, and the icons before the menus are
  // built: under Wine these kinds of work slow each other down when they alternate. A tool
  // relocated while the menus are built has its icon taken again from the new place.
  for (const WalkEvent& e : events)
    if (e.type == WalkEvent::Type::Tool) checker.Resolve(e.path);
  for (const WalkEvent& e : events)
    if (e.type == WalkEvent::Type::Tool) iconImage(checker.Resolve(e.path));
  for (int m = 0; m < 2; ++m) {
    MenuNode root = BuildToolMenu(events, checker, iconImage);
    if (menus_[m]) DestroyMenu(menus_[m]);
    tools_[m].clear();
    menus_[m] = BuildMenu(root, static_cast<ToolMenu>(m));
    fixedVisible_[m] = true;
  }
}

HMENU CatalogMenus::BuildMenu(const MenuNode& root, ToolMenu which) {
  HMENU menu = CreatePopupMenu();
  std::vector<std::string> path;
  AddItems(menu, root, path, which);
  AppendFixed(menu, fixed_[static_cast<int>(which)]);
  return menu;
}

void CatalogMenus::AddItems(HMENU menu, const MenuNode& node, std::vector<std::string>& path, ToolMenu which) {
  const int m = static_cast<int>(which);
  for (const MenuNode& child : node.children) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STRING | MIIM_BITMAP | MIIM_DATA | MIIM_ID;
    mii.dwTypeData = const_cast<char*>(child.caption.c_str());
    mii.hbmpItem = HBMMENU_CALLBACK;
    mii.dwItemData = static_cast<ULONG_PTR>(child.image);
    path.push_back(child.caption);
    if (child.kind == MenuNode::Kind::Tool) {
      mii.wID = static_cast<UINT>((which == ToolMenu::Targets ? kTargetMenuToolBase : kTrayMenuToolBase) +
                                  static_cast<int>(tools_[m].size()));
      tools_[m].push_back(path);
    } else if (!child.children.empty()) {
      HMENU sub = CreatePopupMenu();
      AddItems(sub, child, path, which);
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = sub;
    }
    // An empty folder is a plain item that does nothing.
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mii);
    path.pop_back();
  }
}

void CatalogMenus::AppendFixed(HMENU menu, const std::vector<FixedItem>& fixed) {
  for (const FixedItem& f : fixed) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    if (f.id == 0) {
      mii.fMask = MIIM_FTYPE;
      mii.fType = MFT_SEPARATOR;
    } else {
      mii.fMask = MIIM_STRING | MIIM_ID | MIIM_DATA | (f.image >= 0 ? MIIM_BITMAP : 0);
      mii.wID = static_cast<UINT>(f.id);
      mii.dwTypeData = const_cast<char*>(f.caption);
      mii.hbmpItem = f.image >= 0 ? HBMMENU_CALLBACK : nullptr;
      mii.dwItemData = static_cast<ULONG_PTR>(f.image);
    }
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mii);
  }
}

void CatalogMenus::SetFixedItemsVisible(ToolMenu which, bool visible) {
  const int m = static_cast<int>(which);
  if (fixedVisible_[m] == visible) return;
  if (visible) {
    AppendFixed(menus_[m], fixed_[m]);
  } else {
    for (std::size_t i = 0; i < fixed_[m].size(); ++i)
      DeleteMenu(menus_[m], static_cast<UINT>(GetMenuItemCount(menus_[m]) - 1), MF_BYPOSITION);
  }
  fixedVisible_[m] = visible;
}

const std::vector<std::string>* CatalogMenus::ToolCaptions(int commandId) const {
  for (int m = 0; m < 2; ++m) {
    int base = m == 0 ? kTargetMenuToolBase : kTrayMenuToolBase;
    int k = commandId - base;
    if (k >= 0 && k < kToolIdSpan && static_cast<std::size_t>(k) < tools_[m].size()) return &tools_[m][k];
  }
  return nullptr;
}

const IconBarButton* CatalogMenus::IconBarTool(int commandId) const {
  int k = commandId - kIconBarToolBase;
  if (k < 0 || static_cast<std::size_t>(k) >= iconBar_.size()) return nullptr;
  return &iconBar_[k];
}

void CatalogMenus::RebuildIconBar(const std::vector<WalkEvent>& events, ToolChecker& checker, HWND toolbar) {
  ImageList_SetImageCount(images3_, 1);
  if (toolbar) {
    for (int i = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0)) - 1; i >= 0; --i)
      SendMessageA(toolbar, TB_DELETEBUTTON, i, 0);
  }
  std::map<std::string, int> icons;
  iconBar_ = BuildIconBar(events, checker, [&](const std::string& program) {
    return IconImage(images3_, icons, 0, program);
  });
  if (!toolbar) return;
  for (std::size_t i = 0; i < iconBar_.size(); ++i) {
    TBBUTTON b{};
    b.iBitmap = iconBar_[i].image;
    b.idCommand = kIconBarToolBase + static_cast<int>(i);
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
    SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b));
  }
}

bool CatalogMenus::MeasureItem(MEASUREITEMSTRUCT& item) const {
  if (item.CtlType != ODT_MENU) return false;
  item.itemWidth = 19;  // a little room between the image and the caption
  item.itemHeight = 16;
  return true;
}

bool CatalogMenus::DrawItem(const DRAWITEMSTRUCT& item) const {
  if (item.CtlType != ODT_MENU) return false;
  int image = static_cast<int>(item.itemData);
  if (image < 0) return true;
  int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - 16) / 2;
  ImageList_Draw(images2_, image, item.hDC, item.rcItem.left, y, ILD_TRANSPARENT);
  return true;
}

}  // namespace kest
