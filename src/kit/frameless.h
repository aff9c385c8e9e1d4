#pragma once
// What every frameless window of the program shares: strips that move it (a drag begins once
// the mouse has moved, so a double click on a strip still arrives), a resize grip with its own
// tracking and a minimum size, the cursors, flat buttons with hints, the colours and the
// layered opacity with its colour key.
#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "core/color_scheme.h"
#include "platform/win32/handles.h"
#include "kit/controls.h"
#include "kit/window.h"

namespace kest {

// The window's own background colour, which the layered window leaves out.
inline constexpr COLORREF kTransparencyKey = RGB(0, 128, 0);

class FramelessWindow : public Window {
 public:
  int Opacity() const { return opacity_; }
  // Sets the layered window's opacity (0..255) with the transparency key; it is drawn no less
  // opaque than the visible floor.
  void SetOpacity(int alpha);
  // The DPI the window is drawn at (that of its monitor), and a 96-DPI size at it.
  int Dpi() const { return dpi_; }
  int Scaled(int size96) const;

 protected:
  enum class Strip { None, Title, Caption, Bar };

  // The minimum size is given at 96 DPI.
  explicit FramelessWindow(SIZE minimumSize) : minimumSize_(minimumSize) {}

  // The window's parts, in client coordinates.
  virtual Strip StripAt(POINT client) const = 0;
  virtual std::optional<RECT> GripRect() const { return std::nullopt; }
  // Events of the parts.
  virtual void OnStripDoubleClick(Strip) {}
  virtual void OnStripRightClick(Strip, POINT /*screen*/) {}
  virtual void OnGripResized() {}
  // The window has moved to a monitor of another DPI (Dpi() is the new one): fonts and child
  // windows are made again at it; the window is then given the system's suggested rectangle.
  virtual void OnDpiChanged() {}
  // Before every position change, ahead of the edge snapping.
  virtual void OnPositionChanging(WINDOWPOS& /*pos*/) {}
  // Windows that snap to the work area's edges turn this on.
  void SnapToEdges(bool on) { snaps_ = on; }
  // The font and picture of a flat button.
  virtual HFONT ButtonFont(int /*id*/) const { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
  virtual Glyph ButtonGlyph(int /*id*/) const { return Glyph::None; }
  virtual COLORREF ButtonTextColour(int /*id*/) const { return colors_.font; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Release the mouse and let the system move the window as if its caption were dragged.
  void BeginWindowDrag();
  // Colours of the frame, strips and flat buttons.
  void SetFrameColors(const ColorScheme& colors);
  const ColorScheme& FrameColors() const { return colors_; }
  // Fills the client area with the caption colour inside a grey border and draws the grip.
  void PaintFrame(HDC dc);

  // A flat button showing its caption; its hint (with its key, when it has one) shows under the
  // mouse. A screen reader reads the caption, or the hint for a caption of one character or none.
  HWND AddFlatButton(int id, const char* caption, int x, int y, int width, int height,
                     const char* hint = nullptr, const std::string& key = std::string());
  void MoveChild(int id, int x, int y);
  // The child with this id moved and sized (after a change of DPI, say); nothing without one.
  void PlaceChild(int id, int x, int y, int width, int height);
  void ResizeChild(int id, int width, int height);
  void AddHintArea(UINT id, const RECT& area, const char* text);
  void MoveHintArea(UINT id, const RECT& area);

 private:
  HWND Hints();
  bool OnMousePress(UINT message, POINT p);
  void OnMouseMove();
  bool OnSetCursor(HWND under, int hit);
  void Snap(WINDOWPOS& pos);

  SIZE minimumSize_;
  int dpi_ = 96;
  ColorScheme colors_;
  int opacity_ = 255;
  bool resizing_ = false;
  bool snaps_ = false;
  struct PendingDrag {
    POINT at;
    UINT button;  // the message of the press
    Strip strip;
  };
  std::optional<PendingDrag> pending_;
  HWND hints_ = nullptr;
  std::map<int, std::wstring> captions_;  // what each flat button shows, by id
};

}  // namespace kest
