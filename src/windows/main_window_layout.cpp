// The main window's controls, layout, frame and painting, laid out anew on a change of DPI.
#include <windowsx.h>

#include "core/texts.h"
#include "core/window_ids.h"
#include "kit/accessible.h"
#include "kit/bars.h"
#include "kit/controls.h"
#include "window_rules/dpi.h"
#include "window_rules/keys.h"
#include "window_rules/placement.h"
#include "windows/main_window.h"

namespace kest {

namespace {

constexpr UINT kHintTitleStrip = 1;

// The main window's fonts use the Cyrillic character set.
HFONT CyrillicFont(const char* face, int height, bool underline = false, int weight = FW_NORMAL) {
  return MakeFont(face, height, weight, underline, RUSSIAN_CHARSET);
}

RECT ToRect(const Box& b) { return RECT{b.x, b.y, b.x + b.width, b.y + b.height}; }

// The flat buttons of the caption strip and the bottom bar; x is the left edge at 96 DPI of those
// at the left ends (the layout places the others). keyOf: the command whose key the hint shows.
struct ButtonDef {
  int id;
  const char* caption;
  int x;
  const char* hint;
  int keyOf;
};
constexpr const char* kExitHint = "Exit";
constexpr const char* kToTrayHint = "Minimize to tray";
constexpr const char* kToMiniHint = "To mini mode";
const ButtonDef kCaptionButtons[] = {
    {ids::closeInMiniStrip, "x", 4, kExitHint, ids::exit},  {ids::trayInMiniStrip, "-", 19, kToTrayHint, ids::toTray},
    {ids::toMiniInMiniStrip, ">", 35, kToMiniHint, ids::toMini}, {ids::toMini, "<", 0, kToMiniHint, ids::toMini},
    {ids::toTray, "-", 0, kToTrayHint, ids::toTray},           {ids::closeCaption, "x", 0, kExitHint, ids::exit}};
const ButtonDef kBarButtons[] = {
    {ids::addFile, "", 2, "Open file", ids::addFile},         {ids::backup, "B", 32, "Backup file", ids::backup},
    {ids::restore, "R", 57, "Restore file", ids::restore},    {ids::settings, "", 87, text::kSettingsHint, ids::settings},
    {ids::notes, "S", 112, "String edit", ids::notes},        {ids::about, "A", 0, "Show about panel", ids::about},
    {ids::exit, "E", 0, "Bye Bye", ids::exit}};

std::string KeyNameOf(int command) {
  const KeyBinding* key = KeyOf(kMainWindowKeys, command);
  return key ? KeyName(key->key, key->modifiers) : std::string();
}

}  // namespace

void MainWindow::CreateFonts() {
  font_.reset(CyrillicFont("Courier New", Scaled(-11)));
  listFont_.reset(CyrillicFont("Courier New", Scaled(-11), true));
  barFont_.reset(CyrillicFont("Courier New", Scaled(-13), false, FW_BOLD));
  edFont_.reset(CyrillicFont("MS Serif", Scaled(-11)));
}

void MainWindow::CreateControls() {
  CreateFonts();
  targetList_.Create(hwnd(), ids::targetList, listFont_.get(), [this] { BeginWindowDrag(); });
  targetList_.SetTipDpi(Dpi());
  commandLineBox_.Create(hwnd(), ids::commandLine, edFont_.get(), [this] { InvalidateRect(targetList_.hwnd(), nullptr, TRUE); });
  // A list has no text to be read by, and the box's text is the command line it holds.
  SetAccessibleName(targetList_.hwnd(), "Target list");
  SetAccessibleName(commandLineBox_.hwnd(), "Command line");
  iconBar_ = CreateToolBar(hwnd(), ids::iconBar, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE, 0, 0,
                           Scaled(kMainDesignWidth), Scaled(24));

  MainLayout layout = LayoutMainWindow(Scaled(kMainDesignWidth), Scaled(kMainDesignHeight), Dpi());
  // Made in the order Tab takes them: the list, the bottom bar, then the caption strip.
  for (const ButtonDef& d : kBarButtons)
    AddFlatButton(d.id, d.caption, Scaled(d.x), layout.barButtonsTop, layout.barButton.width,
                  layout.barButton.height, d.hint, KeyNameOf(d.keyOf));
  for (const ButtonDef& d : kCaptionButtons)
    AddFlatButton(d.id, d.caption, Scaled(d.x), layout.captionButtonsTop, layout.captionButton.width,
                  layout.captionButton.height, d.hint, KeyNameOf(d.keyOf));
  SetKeys(kMainWindowKeys);
  AddHintArea(kHintTitleStrip, ToRect(layout.titleStrip), "Db click to mini mode");
}

void MainWindow::OnDpiChanged() {
  // New fonts first, then the controls that draw with them; the old fonts go after.
  win32::OwnedFont oldFont(font_.release()), oldList(listFont_.release()), oldBar(barFont_.release()),
      oldEd(edFont_.release());
  CreateFonts();
  SendMessageA(targetList_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), TRUE);
  SendMessageA(commandLineBox_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(edFont_.get()), TRUE);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  MainLayout l = LayoutMainWindow(rc.right, rc.bottom, Dpi());
  for (const ButtonDef& d : kCaptionButtons)
    PlaceChild(d.id, Scaled(d.x), 0, l.captionButton.width, l.captionButton.height);
  for (const ButtonDef& d : kBarButtons) PlaceChild(d.id, Scaled(d.x), 0, l.barButton.width, l.barButton.height);
  // The tops and the right-hand buttons: the suggested size may be the one the window has.
  OnSize(rc.right, rc.bottom);
  // Icons and pictures at the new DPI's size: the target list's at once, the menus' when they
  // next open, the icon bar's (filled only in a run begun in mini mode) straight after this.
  const int side = SmallIconSizeForDpi(Dpi());
  targetList_.SetIconSide(side);
  targetList_.SetTipDpi(Dpi());
  if (CatalogMenus* menus = shelf_.Menus(); menus && menus->SetIconSide(side)) {
    state_.menusOutOfDate = true;
    GiveToolBarImages(iconBar_, menus->IconBarImages(), side);
    if (SendMessageA(iconBar_, TB_BUTTONCOUNT, 0, 0) > 0) PostMessageA(hwnd(), msg::kSettingsApplied, 0, 0);
  }
}

void MainWindow::SetColors() {
  SetFrameColors(state_.colors);
  targetList_.SetColors(state_.colors);
  SetOpacity(state_.opacity);
}

// ---- Frame -----------------------------------------------------------------------------------

FramelessWindow::Strip MainWindow::StripAt(POINT p) const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  MainLayout l = LayoutMainWindow(rc.right, rc.bottom, Dpi());
  if (l.titleStrip.contains(p.x, p.y)) return Strip::Title;
  if (l.captionStrip.contains(p.x, p.y)) return Strip::Caption;
  if (l.bottomBar.contains(p.x, p.y)) return Strip::Bar;
  return Strip::None;
}

std::optional<RECT> MainWindow::GripRect() const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  return ToRect(LayoutMainWindow(rc.right, rc.bottom, Dpi()).grip);
}

void MainWindow::OnStripDoubleClick(Strip strip) {
  if (strip == Strip::Title || strip == Strip::Caption) EnterMiniMode();
}

void MainWindow::OnStripRightClick(Strip strip, POINT screen) {
  if (strip == Strip::Title) ShowMainMenu(screen);
}

HFONT MainWindow::ButtonFont(int id) const {
  bool bottom = id >= ids::addFile && id <= ids::exit;
  return bottom ? barFont_.get() : font_.get();
}

Glyph MainWindow::ButtonGlyph(int id) const {
  return id == ids::addFile ? Glyph::OpenFile : id == ids::settings ? Glyph::Settings : Glyph::None;
}

void MainWindow::ShowMainMenu(POINT screen) {
  win32::OwnedMenu menu(CreatePopupMenu());
  AppendMenuA(menu.get(), MF_STRING, ids::menuToMini, "To mini mide");
  AppendMenuA(menu.get(), MF_STRING, ids::menuToTray, "Minimize to tray");
  AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu.get(), MF_STRING, ids::menuExit, "Exit");
  SetMenuDefaultItem(menu.get(), ids::menuToMini, FALSE);
  ShowPopupMenu(hwnd(), menu.get(), screen);
}

void MainWindow::OnSize(int W, int H) {
  if (!targetList_.hwnd()) return;
  if (IsIconic(hwnd())) {
    OnMinimised();
    return;
  }
  MainLayout l = LayoutMainWindow(W, H, Dpi());
  targetList_.Place(l.list, l.fileColumnWidth);
  commandLineBox_.Place(l.commandLine);
  MoveChild(ids::toMini, l.toMiniLeft, l.captionButtonsTop);
  MoveChild(ids::toTray, l.toTrayLeft, l.captionButtonsTop);
  MoveChild(ids::closeCaption, l.closeCaptionLeft, l.captionButtonsTop);
  for (int id : {ids::addFile, ids::backup, ids::restore, ids::settings, ids::notes}) {
    RECT br{};
    GetWindowRect(GetDlgItem(hwnd(), id), &br);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&br), 2);
    MoveChild(id, br.left, l.barButtonsTop);
  }
  MoveChild(ids::about, l.aboutLeft, l.barButtonsTop);
  MoveChild(ids::exit, l.exitLeft, l.barButtonsTop);
  MoveHintArea(kHintTitleStrip, ToRect(l.titleStrip));
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void MainWindow::OnPaint(HDC dc) {
  PaintFrame(dc);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  MainLayout l = LayoutMainWindow(rc.right, rc.bottom, Dpi());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, FrameColors().font);
  win32::ScopedSelect useFont(dc, font_.get());
  RECT title = ToRect(l.titleStrip);
  DrawTextA(dc, text::kTitleStrip, -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  // The bottom bar's separating lines.
  win32::OwnedPen pen(CreatePen(PS_SOLID, 1, FrameColors().font));
  win32::ScopedSelect usePen(dc, pen.get());
  for (int x : l.separatorX) {
    MoveToEx(dc, x, l.bottomBar.y + Scaled(3), nullptr);
    LineTo(dc, x, l.bottomBar.y + l.bottomBar.height - Scaled(2));
  }
}

}  // namespace kest
