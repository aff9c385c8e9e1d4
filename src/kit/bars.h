#pragma once
// Tool bars and the image lists they and the menus draw from, made one way everywhere.
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/handles.h"

namespace kest {

// An image list of side x side pictures with masks, room for `initial` and growing by `grow`.
win32::OwnedImageList MakeImageList(int side, int initial, int grow);
// An image list holding a strip of pictures drawn on the kit's mask colour (see pictures.h).
win32::OwnedImageList MakePictureList(int side, HBITMAP strip, int grow);
// A tool bar child of parent; its hints, which name tools and folders, show an "&" as itself.
HWND CreateToolBar(HWND parent, int id, DWORD style, int x, int y, int width, int height);
// Hands the tool bar its image list of side x side pictures; the caller keeps it alive.
void GiveToolBarImages(HWND toolBar, HIMAGELIST images, int side);

}  // namespace kest
