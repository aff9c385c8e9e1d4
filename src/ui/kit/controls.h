#pragma once
// Flat, owner-drawn buttons and hints shared by the program's frameless windows.
#include <windows.h>

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

// Puts an owned window into or out of the topmost band.
void SetTopmostBand(HWND window, bool topmost);
void AddHint(HWND hints, HWND owner, HWND control, const char* text);
void AddHintRect(HWND hints, HWND owner, UINT id, const RECT& area, const char* text);
void MoveHintRect(HWND hints, HWND owner, UINT id, const RECT& area);

}  // namespace kest
