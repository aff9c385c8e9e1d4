#include "kit/dpi.h"

#include "window_rules/dpi.h"

namespace kest {

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    int value = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return UsableDpi(value);
  }();
  return dpi;
}

int WindowDpi(HWND window) {
  // Looked up at run time: user32 has it from Windows 10 1607 on, and is loaded already, so no
  // library is searched for (nor taken from the current directory).
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = [] {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<GetDpiForWindowFn>(
                        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
                  : nullptr;
  }();
  if (getDpiForWindow && window) {
    UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return UsableDpi(static_cast<int>(dpi));
  }
  return SystemDpi();
}

int SmallIconSize(HWND window) { return SmallIconSizeForDpi(WindowDpi(window)); }

RECT ScaledRect(int x, int y, int width, int height, int dpi) {
  return RECT{ScaleForDpi(x, dpi), ScaleForDpi(y, dpi), ScaleForDpi(x + width, dpi), ScaleForDpi(y + height, dpi)};
}

void PlaceScaled(HWND child, int x, int y, int width, int height, int dpi) {
  if (!child) return;
  RECT r = ScaledRect(x, y, width, height, dpi);
  SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceScaledArea(HWND child, const RECT& area, int dpi) {
  RECT r = ScaledRect(area.left, area.top, area.right - area.left, area.bottom - area.top, dpi);
  SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(child, nullptr, TRUE);
}

HFONT BoldFontOf(HFONT font) {
  LOGFONTA lf{};
  GetObjectA(font, sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  return CreateFontIndirectA(&lf);
}

HWND CreateUnplacedChild(HWND parent, DWORD exStyle, const char* cls, const char* text, DWORD style, int id) {
  return CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

}  // namespace kest
