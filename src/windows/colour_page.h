#pragma once
// the colour page, "Color sheme": the three colour swatches, the opacity controls kept in step, and
// ".. apply".
#include <windows.h>

#include <functional>

#include "state/app_context.h"
#include "platform/win32/handles.h"
#include "kit/page.h"

namespace kest {

class ColourPage final : public Page {
 public:
  // settingsWindow: hidden while the colour dialog is up; applied: after ".. apply" has stored
  // and taken over the scheme, for the windows to recolour themselves.
  ColourPage(AppContext& ctx, HWND settingsWindow, std::function<void()> applied);
  ~ColourPage() override;
  // area: the page's place in the settings window at 96 DPI; dpi: the window's.
  bool Create(HWND parent, const RECT& area, HFONT font, int dpi);
  // The page's ".. apply", also run by the settings window's "Ok".
  void ApplyClick();
  // The page's own colours after an apply.
  void Recolour();

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(int id, int code, HWND control) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  void OnPaint(HDC dc) override;
  void OnFinalDestroy() override;
  void PickColour(int swatch);
  void OpacitySpinChanged();
  void OpacityBarChanged();
  void Layout() override;

  AppContext& ctx_;
  HWND settingsWindow_;
  std::function<void()> applied_;
  ColorScheme swatches_;
  HWND swatchButtons_[3] = {};
  HWND groups_[4] = {};     // the three colours' and "Transparency"
  HWND labels_[3] = {};
  HWND apply_ = nullptr;
  HWND spin_ = nullptr;     // opacitySpin's edit box
  HWND updown_ = nullptr;
  HWND opacityBar_ = nullptr;
  bool inStep_ = false;     // while one opacity control sets the other
  win32::OwnedBrush page_;
  COLORREF custom_[16] = {};
};

}  // namespace kest
