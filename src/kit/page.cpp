#include "kit/page.h"

#include "kit/dpi.h"
#include "window_rules/dpi.h"

namespace kest {

bool Page::CreatePage(const WindowClass& cls, HWND parent, const RECT& area, int dpi, DWORD style) {
  area_ = area;
  dpi_ = dpi;
  return CreatePageAt(cls, style, parent, area, dpi);
}

void Page::MoveToDpi(int dpi) {
  dpi_ = dpi;
  PlaceScaledArea(hwnd(), area_, dpi);
}

HWND Page::MakeControl(DWORD exStyle, const char* cls, const char* text, DWORD style, int id) {
  HWND control = CreateUnplacedChild(hwnd(), exStyle, cls, text, style, id);
  if (control) controls_.push_back(control);
  return control;
}

void Page::TakeFont(HFONT font) {
  font_ = font;
  boldFont_.reset(BoldFontOf(font));
  for (HWND c : controls_) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  Layout();
}

void Page::Rescale(HFONT font, int dpi) {
  dpi_ = dpi;
  TakeFont(font);
  PlaceScaledArea(hwnd(), area_, dpi);
}

void Page::Place(HWND control, int x, int y, int width, int height) const {
  PlaceScaled(control, x, y, width, height, dpi_);
}

int Page::Scaled(int size96) const { return ScaleForDpi(size96, dpi_); }

}  // namespace kest
