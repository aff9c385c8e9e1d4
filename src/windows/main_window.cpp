#include "windows/main_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include "core/single_instance.h"
#include "core/texts.h"
#include "core/window_ids.h"
#include "kit/bars.h"
#include "catalog/tool_catalog.h"
#include "platform/win32/program_icons.h"
#include "platform/win32/forward_notice.h"
#include "settings/directory_import.h"
#include "targets/backup.h"
#include "window_rules/dpi.h"
#include "window_rules/placement.h"
#include "platform/kest_error.h"

namespace kest {

namespace {

constexpr WindowClass kMainClass{kMainWindowClass, CS_DBLCLKS, nullptr};

UINT ComeBackMessage() {
  static const UINT message = RegisterWindowMessageA(kComeBackMessage);
  return message;
}

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

MainWindow::MainWindow(AppContext& ctx, ToolShelf& shelf)
    : FramelessWindow(SIZE{220, 200}),
      ctx_(ctx),
      state_(ctx.state),
      shelf_(shelf),
      forwards_(ctx.atoms, msg::kForwardSearchDone, timers::kForwardSearch),
      targetList_(ctx, shelf.TargetFacts()),
      commandLineBox_(ctx) {
  // COM starts with the first shortcut read, also a stored one: a start without any keeps it
  // for the end of the start.
  targetList_.SetComStarter([this] { StartCom(); });
}

// The window goes while the object and what it owns are still whole.
MainWindow::~MainWindow() {
  if (hwnd()) DestroyWindow(hwnd());
}

bool MainWindow::Create() {
  // Control-parent: Tab moves between the target list and the buttons.
  return CreateWindowFor(kMainClass, WS_EX_LAYERED | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, text::kMainWindowText,
                         WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, CW_USEDEFAULT,
                         CW_USEDEFAULT, kMainDesignWidth, kMainDesignHeight, nullptr) != nullptr;
}

void MainWindow::Show() {
  if (!mini_ || !mini_->IsShown()) {
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
  }
}

void MainWindow::MakeWhatTheFrameDoesNotShow() {
  StartCom();
  if (startFinished_) return;
  LoadDefaultIcon();
  AddTrayIcon();
  startFinished_ = true;
}

void MainWindow::FinishStart() {
  // A run begun in mini mode did this before its first frame, which shows tools.
  MakeWhatTheFrameDoesNotShow();
  // With the window on the screen, the catalog is read ahead of the first menu, and the
  // targets' icons are worked out once what waits now is done.
  shelf_.StartReadAhead();
  targetList_.BeginIcons();
}

void MainWindow::ShowMain() {
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == targetList_.hwnd()) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (p.x == -1 && p.y == -1) GetCursorPos(&p);
        ShowToolsMenu(p);
      }
      return 0;
    case WM_DROPFILES:
      targetList_.DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == commandLineBox_.hwnd()) return CommandLineBox::Colors(reinterpret_cast<HDC>(wParam));
      break;
    case msg::kForwardedCommandLine:
      return OnForward(wParam, lParam);
    case WM_TIMER:
      if (wParam == forwards_.TimerId()) {
        // A copy that is closing leaves the atoms to the starts that wait to take them back.
        if (closing_) KillTimer(hwnd(), wParam);
        else forwards_.OnTimer(hwnd());
        return 0;
      }
      break;
    case msg::kForwardSearchDone:
      // A search begun before the close leaves what it found to the starts that were refused:
      // each takes its atom back and runs as the new copy.
      if (closing_) forwards_.OnSearchDone(hwnd(), {});
      else forwards_.OnSearchDone(hwnd(), [this](const std::string& path) { DispatchPath(path); });
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
    case WM_KEYDOWN:
      // Escape anywhere in the main window stops a hashing.
      if (wParam == VK_ESCAPE) {
        targetList_.CancelHashing();
        return 0;
      }
      break;
    case WM_ACTIVATE:
      // The control that had the keys gets them back when the window is active again.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd(), focus)) lastFocus_ = focus;
      }
      break;
    case WM_SETFOCUS: {
      HWND to = lastFocus_ && IsChild(hwnd(), lastFocus_) && IsWindowVisible(lastFocus_) ? lastFocus_ : targetList_.hwnd();
      if (to) SetFocus(to);
      return 0;
    }
    case msg::kSettingsApplied:
      // The icon bar serves only a run that began in mini mode.
      if (!state_.normalMode) FillIconBarFromRoot();
      return 0;
    default:
      if (message == tray_.TaskbarCreatedMessage() && message != 0) {
        tray_.AddAgain();
        return 0;
      }
      if (message == ComeBackMessage() && message != 0) {
        ComeBack();
        return 0;
      }
      break;
  }
  return FramelessWindow::HandleMessage(message, wParam, lParam);
}

// ---- Creation, close, destruction -------------------------------------------------------

void MainWindow::OnCreate() {
  AppState& s = state_;
  // The tools' questions are this window's, and so are a launch's command line and its tray.
  shelf_.SetOwner(ToolShelf::Owner{
      hwnd(), [this](const std::string& line, const std::string& directory) { EditCommandLine(line, directory); },
      [this] { MinimizeToTray(); }});
  {
    // The options are read from one reading of the file, not one pass of it each.
    SettingsFile::Batch batch(s.settings());
    s.LoadOptions();
    targetList_.openDialogDir = s.settings().readLastDir();
    SetOpacity(s.opacity);
    // As DragAcceptFiles would, without loading the shell before the first frame.
    SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
    CreateControls();
    SetColors();
    s.menusOutOfDate = true;
    targetList_.LoadTargets();
  }
  // Outside the batch: the argument may bring up questions, and other copies may write meanwhile.
  DispatchOwnArgument(ctx_.commandLine, ctx_.fs, Dispatch(), ctx_.box, hwnd());
  // Paths sent by starts that found this window while it was being made go in after it.
  forwards_.Ready(hwnd(), [this](const std::string& path) { DispatchPath(path); });
  targetList_.SelectLast();
  SettingsFile::Batch batch(s.settings());
  targetList_.helpFile = s.settings().read(opt::hlp);
  // The stored place is in 96-DPI units.
  Box place = StoredToPixels(Box{s.settings().read(opt::NMLeft), s.settings().read(opt::NMTop),
                                 s.settings().read(opt::NMWidth), s.settings().read(opt::NMHeight)},
                             Dpi());
  SnapToEdges(true);
  SetWindowPos(hwnd(), nullptr, place.x, place.y, place.width, place.height, SWP_NOACTIVATE | SWP_NOZORDER);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  OnSize(rc.right, rc.bottom);
  // A run begun in mini mode shows the mini window in place of the main window, and its tools.
  if (!s.normalMode) {
    MakeWhatTheFrameDoesNotShow();
    EnterMiniMode();
  }
  // A start without administrator rights reaches a copy that has them: its file, and its call
  // to come back to the screen.
  win32::AcceptForwardsFromLowerRights(hwnd(), msg::kForwardedCommandLine);
  win32::AcceptForwardsFromLowerRights(hwnd(), ComeBackMessage());
  forwards_.Listen(hwnd(), win32::ForwardNoticeName());
}

Box MainWindow::StoredPlace() const { return PixelsToStored(NormalPlace(hwnd()), Dpi()); }

void MainWindow::AddTrayIcon() {
  // At the shell's small icon size, from the image of that size, so that it is not stretched.
  trayIcon_.reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
  tray_.Add(hwnd(), trayIcon_ ? trayIcon_.get() : LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)),
            TrayTip(state_.currentTarget()));
  // Into the band again: under Wine, adding the icon while the window is on the screen takes the
  // window out.
  if (state_.stayOnTop) SetTopmostBand(hwnd(), true);
}

void MainWindow::LoadDefaultIcon() {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  // Taken large: the menus and the list draw it at their own size, at any DPI.
  constexpr int kDefaultIconSide = 32;
  win32::OwnedIcon owned;
  if (auto pixels = ctx_.icons.extractAt(std::string(system) + "\\Shell32.dll", 2, kDefaultIconSide))
    owned = win32::IconFromPixels(*pixels);
  HICON icon = owned ? owned.get() : LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  shelf_.MakeMenus(icon, SmallIconSizeForDpi(Dpi()));
  GiveToolBarImages(iconBar_, shelf_.Menus()->IconBarImages(), SmallIconSizeForDpi(Dpi()));
  targetList_.AddDefaultImage(icon);
}

PathDispatch MainWindow::Dispatch() {
  // A folder given is made into shortcuts through COM (a shortcut given starts it as it is read).
  return PathDispatch{[this](const std::string& p) { targetList_.AddTarget(p); },
                      [this](const std::string& p) { ImportToolsFromDir(p); },
                      [this](const std::string& p) { ReportControlCharacters(ctx_.box, hwnd(), p); }};
}

void MainWindow::DispatchPath(const std::string& path) { kest::DispatchPath(ctx_.fs, path, Dispatch()); }

void MainWindow::ImportToolsFromDir(const std::string& sourceDir) {
  // Shortcuts are made through COM, which a start given a folder needs before its first frame.
  StartCom();
  kest::ImportToolsFromDir(ImportServices{ctx_.fs, ctx_.links, ctx_.box, hwnd(), ctx_.exeDir,
                                          [this] { state_.menusOutOfDate = true; }},
                           sourceDir, ToolCatalog::RootOf(ctx_.dataDir) + "\\");
}

LRESULT MainWindow::OnForward(WPARAM from, LPARAM lParam) {
  // While the window closes, a start that reads the answer, and the quick line, are refused:
  // the start takes its atom back and runs as the new copy once this window has gone.
  if (closing_ && from != kForwardFromOlderStart) return kForwardRefused;
  if (!closing_) {
    forwards_.OnForward(hwnd(), lParam, [this](const std::string& path) { DispatchPath(path); });
    return kForwardTaken;
  }
  // An older start cannot be told: its path is taken, and written before the window goes. It
  // goes at the end of the list without becoming current, so that the note, which is being
  // saved for the exit, does not follow it.
  PathDispatch closing = Dispatch();
  closing.addTarget = [this](const std::string& path) { targetList_.AddTargetAtEnd(path); };
  forwards_.OnForward(hwnd(), lParam, [this, &closing](const std::string& path) {
    kest::DispatchPath(ctx_.fs, path, closing);
  });
  try {
    targetList_.WriteTargets();
  } catch (const std::exception&) {
    // Kept due and tried again while the close's question is open.
  }
  return kForwardTaken;
}

bool MainWindow::OnClose() {
  // Forwards are refused from here until the window has gone, or the close is given up.
  closing_ = true;
  struct KeptRunning {
    bool& closing;
    bool gone = false;
    ~KeptRunning() {
      if (!gone) closing = false;
    }
  } keptRunning{closing_};
  try {
    SettingsFile::Batch batch(state_.settings());
    WriteExitOptions();
    WriteExitState();
  } catch (const std::exception& e) {
    // Reported once; the user may still leave, or Kest could never end on a locked or
    // read-only Tools.ini.
    if (ctx_.box.ask(hwnd(), ErrorText(e) + "\r\n" + text::kQuitWithoutSettings, text::kCaption,
                     MbButtons::YesNo, MbIcon::Warning) != MbAnswer::Yes)
      return true;
  }
  if (notes_ && !notes_->SaveForExit(true)) return true;
  keptRunning.gone = true;
  for (int alpha : FadeSteps(Opacity())) SetOpacity(alpha);
  if (notes_) notes_->Destroy();
  DestroyWindow(hwnd());
  return true;
}

void MainWindow::WriteExitOptions() {
  SettingsFile& s = state_.settings();
  s.write(opt::KFSOpened, notes_ && notes_->IsShown());
  s.write(opt::Drive, std::string(1, state_.workDrive.letter));
  s.write(opt::LastDir, LastDirOf(targetList_.LastChosenFile()));
}

void MainWindow::WriteExitState() {
  targetList_.WriteTargets();
  WriteExitGeometry(state_.settings(), state_.normalMode, StoredPlace(), IsIconic(hwnd()) != FALSE);
  state_.settings().write(opt::abValue, Opacity());
}

void MainWindow::EndSession() {
  // What a close saves, with no fade and no question to hold the logoff up; each part is
  // tried on its own, so that one refused write keeps none of the others from the file.
  auto quietly = [](const std::function<void()>& write) {
    try {
      write();
    } catch (const std::exception&) {
    }
  };
  SettingsFile::Batch batch(state_.settings());
  quietly([this] { WriteExitOptions(); });
  quietly([this] { targetList_.WriteTargets(); });
  quietly([this] {
    WriteExitGeometry(state_.settings(), state_.normalMode, StoredPlace(), IsIconic(hwnd()) != FALSE);
  });
  quietly([this] { state_.settings().write(opt::abValue, Opacity()); });
  if (notes_) notes_->SessionEnding();
}

void MainWindow::OnDestroy() {
  tray_.Remove();
  // A hashing stops; the list hears of no more facts (their reader ends with the tool shelf).
  targetList_.StopWork();
  // The quick line goes before the marker, so that no later start announces to this copy.
  forwards_.Stop();
  if (ctx_.holdsInstanceMarker) ReleaseInstanceMarker(ctx_.atoms);
  ctx_.holdsInstanceMarker = false;
  PostQuitMessage(0);
}

void MainWindow::OnFinalDestroy() {
  // The owned windows and the controls are gone; what they used can go now.
  mini_.reset();
  trayIcon_.reset();
  font_.reset();
  listFont_.reset();
  barFont_.reset();
  edFont_.reset();
}

// ---- Routing ---------------------------------------------------------------------------------

void MainWindow::OnCommand(int id, int code, HWND) {
  // A key of the window: Ctrl was pressed in the target list, which takes it for a launch's
  // "edit the command line", and the command's questions or window may take its release.
  constexpr int kFromKey = 1;
  const bool fromKey = code == kFromKey;
  if (fromKey) state_.commandLineEditing = false;
  switch (id) {
    case ids::exit:
    case ids::closeCaption:
    case ids::closeInMiniStrip:
    case ids::menuExit:
    case ids::trayExit:
      PostMessageA(hwnd(), WM_CLOSE, 0, 0);
      break;
    case ids::toTray:
    case ids::trayInMiniStrip:
    case ids::menuToTray:
      MinimizeToTray();
      break;
    case ids::toMini:
    case ids::toMiniInMiniStrip:
    case ids::menuToMini:
      EnterMiniMode();
      break;
    case ids::trayRestore:
      RestoreFromTray();
      break;
    case ids::trayNotes:
      ToggleNotesFromTray();
      break;
    case ids::addFile:
      targetList_.AddFileFromDialog(hwnd());
      break;
    // The current target, which the selection shows: the focus alone may stand elsewhere
    // (Ctrl and the arrows move it), and R would copy over a file the user did not choose.
    case ids::backup:
      BackupTarget(ctx_.fs, ctx_.box, hwnd(), targetList_.SelectedPath());
      break;
    case ids::restore:
      RestoreTarget(ctx_.fs, ctx_.box, hwnd(), targetList_.SelectedPath());
      break;
    case ids::settings:
    case ids::addTools:
      OpenSettings();
      break;
    case ids::about:
      if (aboutOpener_) aboutOpener_(*this);
      break;
    case ids::notes:
      if (!notes_) break;
      notes_->Toggle();
      break;
    case ids::copyPath:
      targetList_.CopyFocusedPath();
      break;
    case ids::copyHashes:
      targetList_.CopyFocusedHashes();
      break;
    case ids::deleteTarget:
      targetList_.DeleteFocusedTarget();
      break;
    case ids::properties:
      targetList_.ShowFocusedProperties();
      break;
    default:
      if (const IconBarButton* button = shelf_.Menus() ? shelf_.Menus()->IconBarTool(id) : nullptr) {
        // Copies: the launch's questions run a message loop.
        const std::string file = button->file, twin = button->twin;
        shelf_.LaunchAsButton(file, twin);
      }
      break;
  }
}

LRESULT MainWindow::OnNotify(NMHDR& hdr) {
  if (hdr.hwndFrom == targetList_.hwnd()) {
    if (hdr.code == NM_DBLCLK) targetList_.OpenCurrentTarget();
    if (hdr.code == LVN_KEYDOWN) OnListKey(reinterpret_cast<NMLVKEYDOWN&>(hdr).wVKey);
    return targetList_.OnNotify(hdr);
  }
  if (hdr.code == TTN_GETDISPINFOA && shelf_.Menus()) {
    // The icon bar's hints: "name [group]".
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(&hdr);
    if (const IconBarButton* b = shelf_.Menus()->IconBarTool(static_cast<int>(hdr.idFrom)))
      info->lpszText = const_cast<char*>(b->hint.c_str());
  }
  return 0;
}

bool MainWindow::OnMeasureItem(MEASUREITEMSTRUCT& item) { return shelf_.Menus() && shelf_.Menus()->MeasureItem(item); }

bool MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_MENU) return false;
  if (shelf_.Menus()) shelf_.Menus()->DrawItem(item);
  return true;
}

}  // namespace kest
