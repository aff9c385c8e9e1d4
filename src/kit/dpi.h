#pragma once
// The DPI a window is drawn at. Kest declares per-monitor awareness in its manifest; on systems
// before Windows 10 1607 every window is at the system DPI.
#include <windows.h>

namespace kest {

// The screen's DPI (LOGPIXELSY), read once.
int SystemDpi();
// The DPI of the window's monitor where the system tells it, the system DPI otherwise.
int WindowDpi(HWND window);
// The side of small icons (16 at 96 DPI) for a window.
int SmallIconSize(HWND window);
// A rectangle given at 96 DPI with its edges at the DPI, so that controls that touch at 96 DPI
// still touch; and a child window moved to it.
RECT ScaledRect(int x, int y, int width, int height, int dpi);
void PlaceScaled(HWND child, int x, int y, int width, int height, int dpi);
// A visible child control made without a place, for a layout that puts it where it belongs at
// the DPI.
HWND CreateUnplacedChild(HWND parent, DWORD exStyle, const char* cls, const char* text, DWORD style, int id);
// A child window moved to its 96-DPI area at the DPI, and drawn again.
void PlaceScaledArea(HWND child, const RECT& area, int dpi);
// The same font in bold; the caller owns it.
HFONT BoldFontOf(HFONT font);

}  // namespace kest
