#pragma once
// TfKest: the application window. It owns the target list, the settings handle and the
// program's flags; closing it ends the program.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "app/app_context.h"
#include "app/settings_file.h"
#include "app/single_instance.h"
#include "catalog/catalog_menus.h"
#include "catalog/launch.h"
#include "targets/target_list.h"
#include "ui/color_scheme.h"
#include "ui/window_base.h"

namespace kest {

class TfKFS;

inline constexpr const char* kMainWindowText = "Kest_main";

class TfKest final : public Window {
 public:
  explicit TfKest(AppContext& ctx);
  ~TfKest() override;

  bool Create();
  void Show();
  SettingsFile& Settings() { return *settings_; }
  void SetFastStringWindow(TfKFS* kfs) { kfs_ = kfs; }
  const std::string& CurrentTarget() const { return currentTarget_; }

  // The one route of a path given on the command line or forwarded by a second start.
  void DispatchPath(const std::string& path);
  void AddTarget(const std::string& path);
  void ImportToolsFromDir(const std::string& sourceDir);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Creation and close, in their order.
  void FormCreate();
  void CreateControls();
  void SetColors();
  void LoadDefaultIcon();
  void HandleOwnArgument();
  PathDispatch Dispatch();
  void FormCloseQuery();
  void FormClose();
  void FormDestroy();
  void WMForwardedCommandLine();

  // Target list.
  void LoadTargets();
  std::string ShownTargetPath(const std::string& path);
  void SelectOnly(int index);
  std::optional<std::size_t> SelectedEntry() const;
  std::optional<std::size_t> FocusedEntry() const;
  std::optional<std::string> FocusedPath() const;
  void lbFTCMouseDown(bool leftButton, bool onEmptySpace);
  void lbFTCDblClick();
  void lbFTCKeyDown(WPARAM key);
  void lbFTCKeyUp(WPARAM key);
  void pMenu1Popup(POINT screen);
  void N11Click();
  void N21Click();
  void N31Click();
  void OpenHLP();
  void sbAddFileClick();
  void DropFiles(HDROP drop);
  std::optional<std::string> RunOpenDialog();

  // Tools.
  void FillMenuFromRoot();
  void FillIconBarFromRoot();
  LaunchServices Launching();
  void pMenuItemClickEx(const std::vector<std::string>& captions);
  void pTBIconItemClickEx(const IconBarButton& button);
  bool edCLKeyDown(WPARAM key);

  // Frame.
  void OnCommand(int id);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  bool OnSetCursor(HWND under, int hit);
  void OnMouseDown(POINT p, bool right);
  void OnDoubleClick(POINT p);
  void BeginWindowDrag();
  void ShowMainMenu(POINT screen);
  void Layout();
  void Paint();
  void SetOpacity(int alpha);
  RECT TitleStrip() const;
  RECT CaptionStrip() const;
  RECT BottomBar() const;
  RECT Grip() const;

  AppContext& ctx_;
  std::unique_ptr<SettingsFile> settings_;
  TargetList targets_;
  std::string currentTarget_;
  std::string helpFile_;
  TfKFS* kfs_ = nullptr;
  ColorScheme colors_;
  HWND lbFTC_ = nullptr;
  HWND edCL_ = nullptr;
  HWND hints_ = nullptr;
  WNDPROC listDefaultProc_ = nullptr;
  WNDPROC editDefaultProc_ = nullptr;
  HWND tbIcon_ = nullptr;  // the icon bar, on a panel no mode shows
  std::unique_ptr<CatalogMenus> menus_;
  bool menusOutOfDate_ = true;
  HIMAGELIST imageList1_ = nullptr;
  HFONT font_ = nullptr;
  HFONT listFont_ = nullptr;
  HFONT barFont_ = nullptr;
  HFONT edFont_ = nullptr;
  int opacity_ = 245;
  bool stayOnTop_ = false;
  bool normalMode_ = true;
  bool commandLineEditing_ = false;
  std::string openDialogDir_;  // initial directory of the open dialog
  std::string lastChosenFile_;  // the file last chosen in the open dialog
};

}  // namespace kest
