#pragma once
// Flat, owner-drawn buttons, hints and pop-up menus shared by the program's windows.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "kit/pictures.h"

namespace kest {


// The fonts the program's windows are drawn in (Courier New of 11 pixels, mostly).
HFONT MakeFont(const char* face, int height, int weight = FW_NORMAL, bool underline = false,
               BYTE charset = DEFAULT_CHARSET);

// A flat button takes the focus by Tab; text is its window text, which is its accessible name.
HWND CreateFlatButton(HWND parent, int id, const char* text, int x, int y, int width, int height);
// Draws a flat button: its caption (the window text when none is given; or the glyph, drawn at
// the DPI) in the text colour on the background colour; pressed buttons are drawn inverted,
// and the focused one has a focus rectangle.
void DrawFlatButton(const DRAWITEMSTRUCT& item, COLORREF background, COLORREF text, HFONT font,
                    Glyph glyph = Glyph::None, int dpi = 96, const wchar_t* caption = nullptr);
// The focus rectangle of an owner-drawn button that has the focus, inside its edge.
void DrawButtonFocus(const DRAWITEMSTRUCT& item);

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

// Pop-up menus. The owner's window is brought to the front first and sent a null message
// after, or a menu opened from the notification area would not close when the user clicks
// elsewhere; every pop-up menu goes the same way, so none of them is the odd one out.
// ShowPopupMenu: the choice arrives at the owner as WM_COMMAND.
void ShowPopupMenu(HWND owner, HMENU menu, POINT screen);
// PickFromPopupMenu: the chosen command is returned (0 when the menu was closed without one)
// and no WM_COMMAND is sent.
int PickFromPopupMenu(HWND owner, HMENU menu, POINT screen);

// Menu items with a picture from an image list before the caption, at the list's size (the
// small icon size at the owner's DPI). The item's data is the picture's index in the list (-1:
// none); the menu's owner answers WM_MEASUREITEM and WM_DRAWITEM with the two calls below, which
// leave anything but menu items to the caller. id 0 appends a separator.
void AppendPictureMenuItem(HMENU menu, int id, const char* caption, int image);
bool MeasurePictureMenuItem(MEASUREITEMSTRUCT& item, HIMAGELIST pictures);
bool DrawPictureMenuItem(const DRAWITEMSTRUCT& item, HIMAGELIST pictures);

// Typed letters in pop-up menus (window_rules/menu_letters.h): the answer to WM_MENUCHAR
// from the names of the open menu's items. Separators and disabled items take no part.
LRESULT AnswerMenuChar(HWND owner, WPARAM wParam, HMENU menu);
// Wine runs MNC_EXECUTE and MNC_CLOSE but passes over MNC_SELECT: after an MNC_SELECT the
// owner is posted this message (wParam the item, lParam the menu), and FinishMenuCharSelect
// highlights the item when the system has not.
UINT MenuCharSelectMessage();
void FinishMenuCharSelect(HWND owner, WPARAM wParam, LPARAM lParam);

}  // namespace kest
