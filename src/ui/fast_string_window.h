#pragma once
// TfKFS: the per-target note window. It lives, hidden until asked for, for the whole run.
#include "app/app_context.h"
#include "app/settings_file.h"
#include "ui/window_base.h"

namespace kest {

inline constexpr const char* kFastStringWindowClass = "TfKFS";

class TfKFS final : public Window {
 public:
  TfKFS(AppContext& ctx, SettingsFile& settings);
  bool Create(HWND owner);
  bool IsShown() const { return hwnd() && IsWindowVisible(hwnd()); }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  AppContext& ctx_;
  SettingsFile& settings_;
};

}  // namespace kest
