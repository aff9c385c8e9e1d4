#pragma once
// A page of a window: a child window with the control-parent style, placed by its edges at
// 96 DPI and laid out anew, with its parent's font, at another DPI. The settings window's
// options and colour pages and the tools manager are pages.
#include <windows.h>

#include <vector>

#include "kit/window.h"
#include "platform/win32/handles.h"

namespace kest {

class Page : public Window {
 public:
  // Lays the page out again at another DPI, with the parent window's font made for it.
  void Rescale(HFONT font, int dpi);

 protected:
  // area: the page's place in its parent at 96 DPI.
  bool CreatePage(const WindowClass& cls, HWND parent, const RECT& area, int dpi, DWORD style = 0);
  // Takes the DPI and moves the page to its place at it, for a page that lays itself out.
  void MoveToDpi(int dpi);
  // Made without a place: Layout puts every control where it belongs at the DPI.
  HWND MakeControl(DWORD exStyle, const char* cls, const char* text, DWORD style, int id);
  // The font (and its bold twin) for every control the page made, then Layout.
  void TakeFont(HFONT font);
  // Puts the controls where they belong at the page's DPI; a page that places its own controls
  // as it is sized needs none.
  virtual void Layout() {}
  // A control at its place at 96 DPI, scaled to the page's DPI.
  void Place(HWND control, int x, int y, int width, int height) const;
  int Scaled(int size96) const;
  int Width96() const { return area_.right - area_.left; }
  HFONT Font() const { return font_; }
  HFONT BoldFont() const { return boldFont_.get(); }
  int PageDpi() const { return dpi_; }
  void OnFinalDestroy() override { boldFont_.reset(); }

 private:
  RECT area_{};
  int dpi_ = 96;
  HFONT font_ = nullptr;
  win32::OwnedFont boldFont_;
  std::vector<HWND> controls_;
};

}  // namespace kest
