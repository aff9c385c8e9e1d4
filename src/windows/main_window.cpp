#include "windows/main_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include "core/single_instance.h"
#include "core/texts.h"
#include "core/window_messages.h"
#include "catalog/tool_catalog.h"
#include "platform/win32/win32_platform.h"
#include "settings/directory_import.h"
#include "targets/backup.h"
#include "windows/main_window_ids.h"
#include "window_rules/placement.h"

namespace kest {

namespace {

constexpr UINT kHintTitleStrip = 1;
// The search for left-behind forwarding atoms has finished.
constexpr UINT kForwardSearchDone = msg::kUser + 101;
constexpr UINT_PTR kForwardSearchTimer = 1;
constexpr WindowClass kMainClass{kMainWindowClass, CS_DBLCLKS, nullptr};

// The main window's fonts use the Cyrillic character set.
HFONT CyrillicFont(const char* face, int height, bool underline = false, int weight = FW_NORMAL) {
  return MakeFont(face, height, weight, underline, RUSSIAN_CHARSET);
}

RECT ToRect(const Box& b) { return RECT{b.x, b.y, b.x + b.width, b.y + b.height}; }

// The window's normal place on the screen, also while it is minimised.
Box NormalPlace(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (IsIconic(w) && GetWindowPlacement(w, &wp)) {
    // The normal position is given in work-area coordinates.
    r = wp.rcNormalPosition;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoA(MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY), &mi))
      OffsetRect(&r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
  }
  return Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

TfKest::TfKest(AppContext& ctx)
    : FramelessWindow(SIZE{220, 200}),
      ctx_(ctx),
      state_(ctx.state),
      forwards_(ctx.atoms, kForwardSearchDone, kForwardSearchTimer),
      lbFTC_(ctx),
      edCL_(ctx) {}

// The window goes while the object and what it owns are still whole.
TfKest::~TfKest() {
  if (hwnd()) DestroyWindow(hwnd());
}

bool TfKest::Create() {
  return CreateWindowFor(kMainClass, WS_EX_LAYERED | WS_EX_APPWINDOW, text::kMainWindowText,
                         WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, CW_USEDEFAULT,
                         CW_USEDEFAULT, kMainDesignWidth, kMainDesignHeight, nullptr) != nullptr;
}

void TfKest::Show() {
  if (!mini_ || !mini_->IsShown()) {
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
  }
  // With the window on the screen, the catalog is read ahead of the first menu.
  StartCatalogReadAhead();
}

void TfKest::ShowMain() {
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

LRESULT TfKest::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == lbFTC_.hwnd()) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (p.x == -1 && p.y == -1) GetCursorPos(&p);
        pMenu1Popup(p);
      }
      return 0;
    case WM_DROPFILES:
      lbFTC_.DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == edCL_.hwnd()) return CommandLineBox::Colors(reinterpret_cast<HDC>(wParam));
      break;
    case msg::kForwardedCommandLine:
      forwards_.OnForward(hwnd(), lParam, [this](const std::string& path) { DispatchPath(path); });
      return 0;
    case WM_TIMER:
      if (wParam == forwards_.TimerId()) {
        forwards_.OnTimer(hwnd());
        return 0;
      }
      break;
    case kForwardSearchDone:
      forwards_.OnSearchDone(hwnd(), [this](const std::string& path) { DispatchPath(path); });
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The system ends the process once this returns: what the run holds is saved now.
      if (wParam) EndSession();
      return 0;
    case msg::kTrayCallback:
      OnTrayMessage(static_cast<UINT>(lParam));
      return 0;
    case msg::kCatalogChanged:
      // The icon bar serves only a run that began in mini mode.
      if (!state_.normalMode) FillIconBarFromRoot();
      return 0;
    default:
      if (message == tray_.TaskbarCreatedMessage() && message != 0) {
        tray_.AddAgain();
        return 0;
      }
      break;
  }
  return FramelessWindow::HandleMessage(message, wParam, lParam);
}

// ---- Creation, close, destruction -------------------------------------------------------

void TfKest::OnCreate() {
  AppState& s = state_;
  s.LoadOptions();
  lbFTC_.openDialogDir = s.settings().readLastDir();
  SetOpacity(s.opacity);
  DragAcceptFiles(hwnd(), TRUE);
  CreateControls();
  SetColors();
  s.menusOutOfDate = true;
  LoadDefaultIcon();
  lbFTC_.LoadTargets();
  DispatchOwnArgument(ctx_.commandLine, ctx_.fs, Dispatch(), ctx_.box, hwnd());
  lbFTC_.SelectLast();
  lbFTC_.helpFile = s.settings().read(opt::hlp);
  int left = s.settings().read(opt::NMLeft);
  int top = s.settings().read(opt::NMTop);
  int height = s.settings().read(opt::NMHeight);
  int width = s.settings().read(opt::NMWidth);
  SnapToEdges(true);
  SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOACTIVATE | SWP_NOZORDER);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  OnSize(rc.right, rc.bottom);
  tray_.Add(hwnd(), LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)), TrayTip(s.currentTarget()));
  // A run begun in mini mode shows the mini window in place of the main window.
  if (!s.normalMode) ToIconBarMode();
  forwards_.Listen(hwnd(), win32::ForwardNoticeName());
}

void TfKest::CreateControls() {
  font_.reset(CyrillicFont("Courier New", -11));
  listFont_.reset(CyrillicFont("Courier New", -11, true));
  barFont_.reset(CyrillicFont("Courier New", -13, false, FW_BOLD));
  edFont_.reset(CyrillicFont("MS Serif", -11));
  lbFTC_.Create(hwnd(), ids::lbFTC, listFont_.get(), [this] { BeginWindowDrag(); });
  edCL_.Create(hwnd(), ids::edCL, edFont_.get(), [this] { InvalidateRect(lbFTC_.hwnd(), nullptr, TRUE); });
  tbIcon_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE,
                            0, 0, kMainDesignWidth, 24, hwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::tbIcon)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(tbIcon_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

  struct Def { int id; const char* caption; int x; const char* hint; };
  const Def caption[] = {{ids::sbClose3, "x", 4, nullptr}, {ids::sbMin3, "-", 19, nullptr},
                         {ids::sbToIcon3, ">", 35, nullptr}, {ids::sbToIcon2, "<", 0, nullptr},
                         {ids::sbMin2, "-", 0, nullptr},    {ids::sbClose2, "x", 0, nullptr}};
  const Def bottom[] = {{ids::sbAddFile, "", 2, "Open file"},       {ids::sbBACKUP, "B", 32, "Backup file"},
                        {ids::sbRESTORE, "R", 57, "Restore file"},  {ids::sbToolsEdit, "", 87, text::kSettingsHint},
                        {ids::sbRich, "S", 112, "String edit"},     {ids::sbAbout, "A", 0, "Show about panel"},
                        {ids::sbClose, "E", 0, "Bye Bye"}};
  MainLayout layout = LayoutMainWindow(kMainDesignWidth, kMainDesignHeight);
  for (const Def& d : caption) AddFlatButton(d.id, d.caption, d.x, layout.captionButtonsTop, 16, 10, d.hint);
  for (const Def& d : bottom) AddFlatButton(d.id, d.caption, d.x, layout.barButtonsTop, 25, 18, d.hint);
  AddHintArea(kHintTitleStrip, ToRect(layout.titleStrip), "Db click to mini mode");
}

void TfKest::SetColors() {
  SetFrameColors(state_.colors);
  lbFTC_.SetColors(state_.colors);
  SetOpacity(state_.opacity);
}

void TfKest::LoadDefaultIcon() {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  std::string shell32 = std::string(system) + "\\Shell32.dll";
  HICON extracted = ExtractIconA(GetModuleHandleA(nullptr), shell32.c_str(), 2);
  bool own = extracted == nullptr || extracted == reinterpret_cast<HICON>(1);
  win32::OwnedIcon owned(own ? nullptr : extracted);
  HICON icon = own ? LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)) : extracted;
  menus_ = std::make_unique<CatalogMenus>(
      icon,
      std::vector<FixedItem>{{0, nullptr, -1},
                             {ids::N11, "Copy file path", menu_image::kCopy},
                             {ids::N21, "Delete", menu_image::kDelete},
                             {ids::N31, "Properties", menu_image::kProperties}},
      std::vector<FixedItem>{{0, nullptr, -1},
                             {ids::miKFS, text::kFastStringCaption, -1},
                             {ids::Restore1, "Restore", -1},
                             {ids::Exit3, "Exit", -1}});
  SendMessageA(tbIcon_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(menus_->IconBarImages()));
  lbFTC_.AddDefaultImage(icon);
}

PathDispatch TfKest::Dispatch() {
  return PathDispatch{[this](const std::string& p) { lbFTC_.AddTarget(p); },
                      [this](const std::string& p) { ImportToolsFromDir(p); },
                      [this](const std::string& p) { ReportControlCharacters(ctx_.box, hwnd(), p); }};
}

void TfKest::DispatchPath(const std::string& path) { kest::DispatchPath(ctx_.fs, path, Dispatch()); }

void TfKest::ImportToolsFromDir(const std::string& sourceDir) {
  kest::ImportToolsFromDir(ImportServices{ctx_.fs, ctx_.links, ctx_.box, hwnd(), ctx_.exeDir,
                                          [this] { MarkMenusOutOfDate(); }},
                           sourceDir, ToolCatalog::RootOf(ctx_.exeDir) + "\\");
}

bool TfKest::OnClose() {
  try {
    FormCloseQuery();
    FormClose();
  } catch (const std::exception& e) {
    // Reported once; the user may still leave, or Kest could never end on a locked or
    // read-only Tools.ini.
    if (ctx_.box.ask(hwnd(), std::string(e.what()) + "\r\n" + text::kQuitWithoutSettings, text::kCaption,
                     MbButtons::YesNo, MbIcon::Warning) != MbAnswer::Yes)
      return true;
  }
  if (notes_ && !notes_->SaveForExit(true)) return true;
  for (int alpha : FadeSteps(Opacity())) SetOpacity(alpha);
  if (notes_) notes_->Destroy();
  DestroyWindow(hwnd());
  return true;
}

void TfKest::FormCloseQuery() {
  SettingsFile& s = state_.settings();
  s.write(opt::KFSOpened, notes_ && notes_->IsShown());
  s.write(opt::Drive, std::string(1, state_.workDrive.letter));
  s.write(opt::LastDir, LastDirOf(lbFTC_.LastChosenFile()));
}

void TfKest::FormClose() {
  lbFTC_.WriteTargets();
  WriteExitGeometry(state_.settings(), state_.normalMode, NormalPlace(hwnd()), IsIconic(hwnd()) != FALSE);
  state_.settings().write(opt::abValue, Opacity());
}

void TfKest::EndSession() {
  // What a close saves, with no fade and no question to hold the logoff up; each part is
  // tried on its own, so that one refused write keeps none of the others from the file.
  auto quietly = [](const std::function<void()>& write) {
    try {
      write();
    } catch (const std::exception&) {
    }
  };
  quietly([this] { FormCloseQuery(); });
  quietly([this] { lbFTC_.WriteTargets(); });
  quietly([this] {
    WriteExitGeometry(state_.settings(), state_.normalMode, NormalPlace(hwnd()), IsIconic(hwnd()) != FALSE);
  });
  quietly([this] { state_.settings().write(opt::abValue, Opacity()); });
  if (notes_) notes_->SessionEnding();
}

void TfKest::OnDestroy() {
  tray_.Remove();
  // The quick line goes before the marker, so that no later start announces to this copy.
  forwards_.Stop();
  ReleaseInstanceMarker(ctx_.atoms);
  PostQuitMessage(0);
}

void TfKest::OnFinalDestroy() {
  // The owned windows and the controls are gone; what they used can go now.
  mini_.reset();
  menus_.reset();
  font_.reset();
  listFont_.reset();
  barFont_.reset();
  edFont_.reset();
}

// ---- Routing ---------------------------------------------------------------------------------

void TfKest::OnCommand(int id, int, HWND) {
  switch (id) {
    case ids::sbClose:
    case ids::sbClose2:
    case ids::sbClose3:
    case ids::miExit:
    case ids::Exit3:
      PostMessageA(hwnd(), WM_CLOSE, 0, 0);
      break;
    case ids::sbMin2:
    case ids::sbMin3:
    case ids::miMinimizeToTray:
      MinimizeToTray();
      break;
    case ids::sbToIcon2:
    case ids::sbToIcon3:
    case ids::miToMini:
      ToIconBarMode();
      break;
    case ids::Restore1:
      Restore1Click();
      break;
    case ids::miKFS:
      miKFSClick();
      break;
    case ids::sbAddFile:
      lbFTC_.sbAddFileClick(hwnd());
      break;
    case ids::sbBACKUP:
      BackupTarget(ctx_.fs, ctx_.box, hwnd(), lbFTC_.FocusedPath());
      break;
    case ids::sbRESTORE:
      RestoreTarget(ctx_.fs, ctx_.box, hwnd(), lbFTC_.FocusedPath());
      break;
    case ids::sbToolsEdit:
      if (settingsOpener_) settingsOpener_(*this);
      break;
    case ids::sbAbout:
      if (aboutOpener_) aboutOpener_(*this);
      break;
    case ids::sbRich:
      if (notes_) notes_->Toggle();
      break;
    case ids::N11:
      lbFTC_.N11Click();
      break;
    case ids::N21:
      lbFTC_.N21Click();
      break;
    case ids::N31:
      lbFTC_.N31Click();
      break;
    default:
      if (menus_) {
        if (auto* captions = menus_->ToolCaptions(id)) {
          std::vector<std::string> copy = *captions;  // the launch's questions run a message loop
          pMenuItemClickEx(copy);
        } else if (auto* button = menus_->IconBarTool(id)) {
          IconBarButton copy = *button;
          pTBIconItemClickEx(copy);
        }
      }
      break;
  }
}

LRESULT TfKest::OnNotify(NMHDR& hdr) {
  if (hdr.hwndFrom == lbFTC_.hwnd() && hdr.code == NM_DBLCLK) lbFTC_.lbFTCDblClick();
  if (hdr.code == TTN_GETDISPINFOA && menus_) {
    // The icon bar's hints: "name [group]".
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(&hdr);
    if (const IconBarButton* b = menus_->IconBarTool(static_cast<int>(hdr.idFrom)))
      info->lpszText = const_cast<char*>(b->hint.c_str());
  }
  return 0;
}

bool TfKest::OnMeasureItem(MEASUREITEMSTRUCT& item) { return menus_ && menus_->MeasureItem(item); }

bool TfKest::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_MENU) return false;
  if (menus_) menus_->DrawItem(item);
  return true;
}

// ---- Frame -----------------------------------------------------------------------------------

FramelessWindow::Strip TfKest::StripAt(POINT p) const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  MainLayout l = LayoutMainWindow(rc.right, rc.bottom);
  if (l.titleStrip.contains(p.x, p.y)) return Strip::Title;
  if (l.captionStrip.contains(p.x, p.y)) return Strip::Caption;
  if (l.bottomBar.contains(p.x, p.y)) return Strip::Bar;
  return Strip::None;
}

std::optional<RECT> TfKest::GripRect() const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  return ToRect(LayoutMainWindow(rc.right, rc.bottom).grip);
}

void TfKest::OnStripDoubleClick(Strip strip) {
  if (strip == Strip::Title || strip == Strip::Caption) ToIconBarMode();
}

void TfKest::OnStripRightClick(Strip strip, POINT screen) {
  if (strip == Strip::Title) ShowMainMenu(screen);
}

HFONT TfKest::ButtonFont(int id) const {
  bool bottom = id >= ids::sbAddFile && id <= ids::sbClose;
  return bottom ? barFont_.get() : font_.get();
}

Glyph TfKest::ButtonGlyph(int id) const {
  return id == ids::sbAddFile ? Glyph::OpenFile : id == ids::sbToolsEdit ? Glyph::Settings : Glyph::None;
}

void TfKest::ShowMainMenu(POINT screen) {
  win32::OwnedMenu menu(CreatePopupMenu());
  AppendMenuA(menu.get(), MF_STRING, ids::miToMini, "To mini mide");
  AppendMenuA(menu.get(), MF_STRING, ids::miMinimizeToTray, "Minimize to tray");
  AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu.get(), MF_STRING, ids::miExit, "Exit");
  SetMenuDefaultItem(menu.get(), ids::miToMini, FALSE);
  SetForegroundWindow(hwnd());
  TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
  PostMessageA(hwnd(), WM_NULL, 0, 0);
}

void TfKest::OnSize(int W, int H) {
  if (!lbFTC_.hwnd()) return;
  if (IsIconic(hwnd())) {
    pMinimize();
    return;
  }
  MainLayout l = LayoutMainWindow(W, H);
  lbFTC_.Place(l.list, l.fileColumnWidth);
  edCL_.Place(l.commandLine);
  MoveChild(ids::sbToIcon2, l.sbToIcon2Left, l.captionButtonsTop);
  MoveChild(ids::sbMin2, l.sbMin2Left, l.captionButtonsTop);
  MoveChild(ids::sbClose2, l.sbClose2Left, l.captionButtonsTop);
  for (int id : {ids::sbAddFile, ids::sbBACKUP, ids::sbRESTORE, ids::sbToolsEdit, ids::sbRich}) {
    RECT br{};
    GetWindowRect(GetDlgItem(hwnd(), id), &br);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&br), 2);
    MoveChild(id, br.left, l.barButtonsTop);
  }
  MoveChild(ids::sbAbout, l.sbAboutLeft, l.barButtonsTop);
  MoveChild(ids::sbClose, l.sbCloseLeft, l.barButtonsTop);
  MoveHintArea(kHintTitleStrip, ToRect(l.titleStrip));
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void TfKest::OnPaint(HDC dc) {
  PaintFrame(dc);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  MainLayout l = LayoutMainWindow(rc.right, rc.bottom);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, FrameColors().font);
  win32::ScopedSelect useFont(dc, font_.get());
  RECT title = ToRect(l.titleStrip);
  DrawTextA(dc, text::kTitleStrip, -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  // The bottom bar's separating lines.
  win32::OwnedPen pen(CreatePen(PS_SOLID, 1, FrameColors().font));
  win32::ScopedSelect usePen(dc, pen.get());
  for (int x : {29, 84, 139}) {
    MoveToEx(dc, x, l.bottomBar.y + 3, nullptr);
    LineTo(dc, x, l.bottomBar.y + l.bottomBar.height - 2);
  }
}

}  // namespace kest
