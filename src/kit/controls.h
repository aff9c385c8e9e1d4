#pragma once
// Flat, owner-drawn buttons and hints shared by the program's frameless windows.
#include <windows.h>

#include <string>

namespace kest {

enum class Glyph { None, OpenFile, Settings };

// The fonts the program's windows are drawn in (Courier New of 11 pixels, mostly).
HFONT MakeFont(const char* face, int height, int weight = FW_NORMAL, bool underline = false,
               BYTE charset = DEFAULT_CHARSET);

HWND CreateFlatButton(HWND parent, int id, const char* caption, int x, int y, int width, int height);
// Draws a flat button: its caption (or glyph) in the text colour on the background colour;
// pressed buttons are drawn inverted.
void DrawFlatButton(const DRAWITEMSTRUCT& item, COLORREF background, COLORREF text, HFONT font,
                    Glyph glyph = Glyph::None);

HWND CreateHintWindow(HWND owner);

// A window's whole text, however long (no fixed buffer cuts a name of any script).
std::string WindowTextOf(HWND window);

// Room for the file name an open dialog gives back: long paths, and UTF-8's bytes.
inline constexpr DWORD kOpenDialogBytes = 32768;

// Puts an owned window into or out of the topmost band.
void SetTopmostBand(HWND window, bool topmost);
void AddHint(HWND hints, HWND owner, HWND control, const char* text);
void AddHintRect(HWND hints, HWND owner, UINT id, const RECT& area, const char* text);
void MoveHintRect(HWND hints, HWND owner, UINT id, const RECT& area);

}  // namespace kest
