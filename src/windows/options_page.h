#pragma once
// the options page: the settings window's options page, with the option boxes in the group "Options".
// The lower half (the work-file mover) comes with the mover.
#include <windows.h>

#include <functional>
#include <string>

#include "state/app_context.h"
#include "platform/win32/handles.h"
#include "settings/options.h"
#include "kit/page.h"

namespace kest {

class OptionsPage final : public Page {
 public:
  // effects: what the boxes change beyond the settings file (the page adds how a box is shown);
  // focusedTarget: the target the work files are moved to.
  OptionsPage(AppContext& ctx, OptionEffects effects, std::function<std::string()> focusedTarget);
  ~OptionsPage() override;
  // area: the page's place in the settings window at 96 DPI; dpi: the window's.
  bool Create(HWND parent, const RECT& area, HFONT font, int dpi);
  OptionsModel& Model() { return model_; }
  // The page's colours after the scheme was applied.
  void Recolour();

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(int id, int code, HWND control) override;
  void OnPaint(HDC dc) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  void MoveWorkFilesClick();
  void Layout() override;
  void OnFinalDestroy() override {
    brush_.reset();
    Page::OnFinalDestroy();
  }

  AppContext& ctx_;
  OptionsModel model_;
  std::function<std::string()> focusedTarget_;
  HWND boxes_[kOptionCount] = {};
  HWND group_ = nullptr;
  HWND mover_ = nullptr;
  HWND moverText_ = nullptr;
  HWND extensions_ = nullptr;
  HWND moveButton_ = nullptr;
  HWND hints_ = nullptr;
  win32::OwnedBrush brush_;
};

}  // namespace kest
