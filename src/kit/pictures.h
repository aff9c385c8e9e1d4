#pragma once
// Every picture Kest draws in code rather than loads: the flat buttons' glyphs, the note
// window's bar, the tools menus' fixed images, the tools manager's toolbar and the mini window's
// eye. Strips are drawn on a grid of 16 units mapped onto the side asked for (PictureStrip), the
// others scaled from their 96-DPI offsets, so that each serves every DPI.
#include <windows.h>

#include "platform/win32/handles.h"

namespace kest {

// The picture a flat button shows in place of a caption.
enum class Glyph { None, OpenFile, Settings };
// In colour, around the rectangle's centre, at the DPI.
void DrawGlyph(HDC dc, const RECT& r, Glyph glyph, COLORREF colour, int dpi);

// The note window's bar buttons, in fg over bg around the rectangle's centre.
enum class NotePicture { Copy, Paste, Font, Clear };
void DrawNotePicture(HDC dc, const RECT& r, NotePicture picture, COLORREF fg, COLORREF bg, int dpi);

// The tools menus' five images, side by side, in the order of menu_image (catalog/tool_menus.h):
// a cross, a tick, a clipboard with a pencil, empty brackets, brackets around dots.
win32::OwnedBitmap DrawMenuPictures(int side);

// The tools manager's toolbar and menu pictures, in this order.
namespace tools_picture {
enum : int { kUp, kNewFolder, kNewShortcut, kRefresh, kApply, kDelete, kRename, kCount };
}
win32::OwnedBitmap DrawToolsManagerPictures(int side);

// The mini window's image for a tool without an icon of its own: an eye.
win32::OwnedBitmap DrawEye(int side);

}  // namespace kest
