#include "kit/frameless.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "kit/dpi.h"
#include "platform/win32/text_encoding.h"
#include "window_rules/keys.h"
#include "window_rules/placement.h"

namespace kest {

namespace {
bool Inside(const RECT& r, POINT p) { return PtInRect(&r, p) != FALSE; }
}  // namespace

void FramelessWindow::SetOpacity(int alpha) {
  opacity_ = alpha & 0xFF;
  SetLayeredWindowAttributes(hwnd(), kTransparencyKey, static_cast<BYTE>(VisibleOpacity(opacity_)),
                             LWA_ALPHA | LWA_COLORKEY);
}

int FramelessWindow::Scaled(int size96) const { return ScaleForDpi(size96, dpi_); }

void FramelessWindow::BeginWindowDrag() {
  pending_.reset();
  ReleaseCapture();
  SendMessageA(hwnd(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void FramelessWindow::SetFrameColors(const ColorScheme& colors) {
  colors_ = colors;
  if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
}

void FramelessWindow::PaintFrame(HDC dc) {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  win32::OwnedBrush frame(CreateSolidBrush(colors_.caption));
  FillRect(dc, &rc, frame.get());
  win32::OwnedBrush border(CreateSolidBrush(RGB(128, 128, 128)));
  FrameRect(dc, &rc, border.get());
  if (auto grip = GripRect()) {
    win32::OwnedPen pen(CreatePen(PS_SOLID, std::max(1, dpi_ / 96), colors_.font));
    win32::ScopedSelect use(dc, pen.get());
    for (int i = 2; i <= 8; i += 3) {
      MoveToEx(dc, grip->right - 1 - Scaled(i), grip->bottom - 1, nullptr);
      LineTo(dc, grip->right, grip->bottom - 2 - Scaled(i));
    }
  }
}

HWND FramelessWindow::Hints() {
  if (!hints_) hints_ = CreateHintWindow(hwnd());
  return hints_;
}

HWND FramelessWindow::AddFlatButton(int id, const char* caption, int x, int y, int width, int height,
                                    const char* hint, const std::string& key) {
  std::wstring shown = win32::Utf8ToWide(caption);
  // The default accessible name of a button is its window text: a letter or a picture says
  // nothing, its hint does.
  const char* name = hint && shown.size() <= 1 ? hint : caption;
  HWND b = CreateFlatButton(hwnd(), id, name, x, y, width, height);
  captions_[id] = std::move(shown);
  if (hint) AddHint(Hints(), hwnd(), b, HintWithKey(hint, key).c_str());
  return b;
}

void FramelessWindow::MoveChild(int id, int x, int y) {
  HWND child = GetDlgItem(hwnd(), id);
  if (!child) return;
  SetWindowPos(child, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FramelessWindow::PlaceChild(int id, int x, int y, int width, int height) {
  if (HWND child = GetDlgItem(hwnd(), id))
    SetWindowPos(child, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FramelessWindow::ResizeChild(int id, int width, int height) {
  if (HWND child = GetDlgItem(hwnd(), id))
    SetWindowPos(child, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FramelessWindow::AddHintArea(UINT id, const RECT& area, const char* text) {
  AddHintRect(Hints(), hwnd(), id, area, text);
}

void FramelessWindow::MoveHintArea(UINT id, const RECT& area) {
  if (hints_) MoveHintRect(hints_, hwnd(), id, area);
}

bool FramelessWindow::OnMousePress(UINT message, POINT p) {
  auto grip = GripRect();
  if (message == WM_LBUTTONDOWN && grip && Inside(*grip, p)) {
    // The cursor jumps onto the bottom-right corner, so the corner follows it from there.
    RECT wr{};
    GetWindowRect(hwnd(), &wr);
    SetCursorPos(wr.right, wr.bottom);
    resizing_ = true;
    SetCapture(hwnd());
    return true;
  }
  Strip strip = StripAt(p);
  if (strip == Strip::None) return false;
  POINT screen = p;
  ClientToScreen(hwnd(), &screen);
  pending_ = PendingDrag{screen, message, strip};
  SetCapture(hwnd());
  return true;
}

void FramelessWindow::OnMouseMove() {
  POINT cursor;
  GetCursorPos(&cursor);
  if (resizing_) {
    RECT wr{};
    GetWindowRect(hwnd(), &wr);
    Size size = GripSize(Point{wr.left, wr.top}, Point{cursor.x, cursor.y},
                         Size{Scaled(static_cast<int>(minimumSize_.cx)), Scaled(static_cast<int>(minimumSize_.cy))});
    SetWindowPos(hwnd(), nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    OnGripResized();
    return;
  }
  if (pending_ && (std::abs(cursor.x - pending_->at.x) >= GetSystemMetrics(SM_CXDRAG) ||
                   std::abs(cursor.y - pending_->at.y) >= GetSystemMetrics(SM_CYDRAG)))
    BeginWindowDrag();
}

bool FramelessWindow::OnSetCursor(HWND under, int hit) {
  if (hit != HTCLIENT) return false;
  if (under != hwnd()) {
    char cls[16] = {};
    GetClassNameA(under, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") != 0) return false;
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
    return true;
  }
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(hwnd(), &p);
  auto grip = GripRect();
  LPCSTR cursor = (grip && Inside(*grip, p)) || resizing_ ? IDC_SIZENWSE
                  : StripAt(p) == Strip::Title           ? IDC_SIZEALL
                                                         : IDC_ARROW;
  SetCursor(LoadCursorA(nullptr, cursor));
  return true;
}

void FramelessWindow::Snap(WINDOWPOS& pos) {
  // No snapping while the grip is held, and none for a change that does not move the window.
  if (!snaps_ || resizing_ || (pos.flags & SWP_NOMOVE)) return;
  int width = pos.cx, height = pos.cy;
  if (pos.flags & SWP_NOSIZE) {
    RECT wr{};
    GetWindowRect(hwnd(), &wr);
    width = wr.right - wr.left;
    height = wr.bottom - wr.top;
  }
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  Point p = SnapToWorkArea(Point{pos.x, pos.y}, width, height,
                           WorkArea{work.left, work.top, work.right, work.bottom}, SnapDistanceForDpi(dpi_));
  pos.x = p.x;
  pos.y = p.y;
}

LRESULT FramelessWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      dpi_ = WindowDpi(hwnd());
      break;
    case WM_DPICHANGED: {
      dpi_ = UsableDpi(HIWORD(wParam));
      OnDpiChanged();
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    }
    case WM_WINDOWPOSCHANGING: {
      auto& pos = *reinterpret_cast<WINDOWPOS*>(lParam);
      OnPositionChanging(pos);
      Snap(pos);
      break;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint fills everything
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (OnMousePress(message, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return 0;
      break;
    case WM_MOUSEMOVE:
      if (resizing_ || pending_) {
        OnMouseMove();
        return 0;
      }
      break;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP: {
      std::optional<PendingDrag> press = pending_;
      bool wasResizing = resizing_;
      resizing_ = false;
      pending_.reset();
      if (wasResizing || press) ReleaseCapture();
      if (press && press->button == WM_RBUTTONDOWN && message == WM_RBUTTONUP) {
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd(), &screen);
        OnStripRightClick(press->strip, screen);
      }
      if (wasResizing || press) return 0;
      break;
    }
    case WM_CAPTURECHANGED:
      resizing_ = false;
      pending_.reset();
      break;
    case WM_LBUTTONDBLCLK: {
      Strip strip = StripAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (strip != Strip::None) {
        OnStripDoubleClick(strip);
        return 0;
      }
      break;
    }
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      break;
    case WM_DRAWITEM: {
      auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType == ODT_BUTTON) {
        auto caption = captions_.find(static_cast<int>(item.CtlID));
        DrawFlatButton(item, colors_.caption, ButtonTextColour(static_cast<int>(item.CtlID)),
                       ButtonFont(static_cast<int>(item.CtlID)), ButtonGlyph(static_cast<int>(item.CtlID)), dpi_,
                       caption != captions_.end() ? caption->second.c_str() : nullptr);
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace kest
