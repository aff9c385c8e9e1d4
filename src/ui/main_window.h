#pragma once
// TfKest: the application window. It owns the target list, the settings handle and the
// program's flags; closing it ends the program.
#include <memory>
#include <string>

#include "app/app_context.h"
#include "app/settings_file.h"
#include "app/single_instance.h"
#include "targets/target_list.h"
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

  // The one route of a path given on the command line or forwarded by a second start.
  void DispatchPath(const std::string& path);
  void AddTarget(const std::string& path);
  void ImportToolsFromDir(const std::string& sourceDir);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FormCreate();
  void HandleOwnArgument();
  PathDispatch Dispatch();
  void FormCloseQuery();
  void FormClose();
  void FormDestroy();
  void WMForwardedCommandLine();
  void Layout();
  void Paint();
  void SetOpacity(int alpha);

  AppContext& ctx_;
  std::unique_ptr<SettingsFile> settings_;
  TargetList targets_;
  TfKFS* kfs_ = nullptr;
  HWND lbFTC_ = nullptr;
  HFONT font_ = nullptr;
  HFONT listFont_ = nullptr;
  int opacity_ = 245;
  bool stayOnTop_ = false;
  bool normalMode_ = true;
  std::string lastChosenDir_;  // directory of the file last chosen in the open dialog
};

}  // namespace kest
