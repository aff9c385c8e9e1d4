#pragma once
// MainWindow: the application window. It carries the taskbar button, owns the program's other
// windows, and its closing ends the program. The shared state lives in AppState.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "state/app_context.h"
#include "core/single_instance.h"
#include "state/window_roles.h"
#include "windows/catalog_menus.h"
#include "windows/tool_shelf.h"
#include "catalog/launch.h"
#include "platform/win32/handles.h"
#include "windows/command_line_box.h"
#include "windows/forward_receiver.h"
#include "kit/frameless.h"
#include "windows/target_list_view.h"
#include "windows/tray_icon.h"
#include "window_rules/tray_rules.h"

namespace kest {

class MainWindow final : public FramelessWindow, public MainHost {
 public:
  // shelf: the tools side, whose menus this window shows and whose launches it hosts.
  MainWindow(AppContext& ctx, ToolShelf& shelf);
  ~MainWindow() override;

  bool Create();
  // The first frame: the window with its list, as soon as the list is loaded (a run begun in
  // mini mode has shown the mini window instead).
  void Show();
  // What the first frame does not show, in the order the user can reach it: the default tool
  // icon and the menus, the tray icon, then the catalog read ahead of the first menu.
  void FinishStart();
  // The note window, once it exists (and nothing after it is gone).
  void SetNotePane(NotePane* notes) { notes_ = notes; }
  // Makes the mini window of mini mode; set before Create.
  using MiniFactory = std::function<std::unique_ptr<MiniPane>(MainHost& host, HWND owner, int left, int top,
                                                              int opacity)>;
  void SetMiniFactory(MiniFactory factory) { miniFactory_ = std::move(factory); }
  // Opens the settings window modally and returns when it has closed.
  using Opener = std::function<void(MainHost& host)>;
  void SetSettingsOpener(Opener opener) { settingsOpener_ = std::move(opener); }
  void SetAboutOpener(Opener opener) { aboutOpener_ = std::move(opener); }
  // The find box of Ctrl+F in the target list (main_window_tools.cpp); what it runs runs on
  // target, the current one as it opened.
  using FindOpener = std::function<void(MainHost& host, const std::string& target)>;
  void SetFindOpener(FindOpener opener) { findOpener_ = std::move(opener); }
  // Starts COM on this thread; called before the first thing that needs it, again harmlessly.
  void SetComStarter(std::function<void()> start) { startCom_ = std::move(start); }

  // The one route of a path given on the command line or forwarded by a second start.
  void DispatchPath(const std::string& path);
  void ImportToolsFromDir(const std::string& sourceDir);

  // MainHost.
  void AddDroppedTarget(const std::string& path) override { targetList_.AddDroppedFile(path); }
  void ShowMain() override;
  void OpenSettings() override {
    if (settingsOpener_) settingsOpener_(*this);
  }
  WindowHandle MainHandle() const override { return hwnd(); }
  void SchemeApplied() override {
    SetColors();
    if (notes_) notes_->SchemeApplied();
  }
  void StayOnTopChanged() override;
  std::string FocusedTarget() const override { return targetList_.FocusedPath().value_or(std::string()); }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate() override;
  void OnSize(int width, int height) override;
  void OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR& header) override;
  bool OnMeasureItem(MEASUREITEMSTRUCT& item) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  void OnPaint(HDC dc) override;
  bool OnClose() override;
  // The forwarding message: what it answers.
  LRESULT OnForward(WPARAM from, LPARAM lParam);
  void OnDestroy() override;
  void OnFinalDestroy() override;

  // Frame.
  Strip StripAt(POINT client) const override;
  std::optional<RECT> GripRect() const override;
  void OnStripDoubleClick(Strip strip) override;
  void OnStripRightClick(Strip strip, POINT screen) override;
  void OnPositionChanging(WINDOWPOS& pos) override;
  HFONT ButtonFont(int id) const override;
  Glyph ButtonGlyph(int id) const override;

  void OnDpiChanged() override;
  // Escape, wherever the keys are in the window, stops a hashing.
  void OnEscapeKey() override { targetList_.CancelHashing(); }

  // Creation and close, in their order.
  void CreateFonts();
  void CreateControls();
  void SetColors();
  void LoadDefaultIcon();
  void AddTrayIcon();
  // COM, the default icon and the menus, the tray icon: once, after the first frame or before a
  // first frame that shows tools.
  void MakeWhatTheFrameDoesNotShow();
  void StartCom() {
    if (startCom_) startCom_();
  }
  PathDispatch Dispatch();
  void WriteExitOptions();
  void WriteExitState();
  // The normal place on the screen in 96-DPI units, as it is stored.
  Box StoredPlace() const;
  void EndSession();
  void ShowMainMenu(POINT screen);

  // Modes and the tray icon.
  void EnterMiniMode();
  void MinimizeToTray();
  void OnMinimised();
  void EndMiniMode();
  void RestoreFromTray();
  // A second start without a file: the main window on the screen and in front, the keys in the
  // target list.
  void ComeBack();
  void OnTrayClick();
  void OnTrayMouseMove();
  void OnTrayMessage(UINT mouseMessage);
  void ShowTrayMenu(POINT screen);
  void ToggleNotesFromTray();

  // Tools (main_window_tools.cpp).
  void ShowToolsMenu(POINT screen);
  void FillIconBarFromRoot();
  // A command chosen from a tools menu, on the target and the entry taken as the menu opened
  // (a file forwarded while it was open becomes current, but is not what the menu was for).
  void RunMenuCommand(int id, const std::string& target, const std::optional<TargetListView::EntryRef>& entry);
  // A launch's command line, to be edited in the command-line box before it runs.
  void EditCommandLine(const std::string& line, const std::string& directory);
  // A key pressed in the target list: Ctrl+F opens the find box.
  void OnListKey(WORD key);

  AppContext& ctx_;
  AppState& state_;
  ToolShelf& shelf_;
  NotePane* notes_ = nullptr;
  MiniFactory miniFactory_;
  std::function<void()> startCom_;
  Opener settingsOpener_;
  Opener aboutOpener_;
  FindOpener findOpener_;
  std::unique_ptr<MiniPane> mini_;
  TrayIcon tray_;
  win32::OwnedIcon trayIcon_;  // the program's icon at the shell's small icon size
  bool startFinished_ = false;  // the default icon, the menus and the tray icon made
  ForwardReceiver forwards_;
  bool closing_ = false;  // the close is under way: forwards that can go elsewhere are refused
  TrayClick trayClick_;
  bool noteChecked_ = false;  // the check mark of the tray menu's note entry, "Kest fast string"
  TargetListView targetList_;
  CommandLineBox commandLineBox_;
  HWND iconBar_ = nullptr;  // the icon bar, on a panel no mode shows
  HWND lastFocus_ = nullptr;  // the control that had the keys when the window was last left
  win32::OwnedFont font_, listFont_, barFont_, edFont_;
};

}  // namespace kest
