#include "kit/bars.h"

#include "platform/win32/icons.h"

namespace kest {

win32::OwnedImageList MakeImageList(int side, int initial, int grow) {
  return win32::OwnedImageList(ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, initial, grow));
}

win32::OwnedImageList MakePictureList(int side, HBITMAP strip, int grow) {
  BITMAP info{};
  const int count = GetObjectA(strip, sizeof info, &info) && side > 0 ? info.bmWidth / side : 0;
  win32::OwnedImageList list = MakeImageList(side, count > 0 ? count : 1, grow);
  ImageList_AddMasked(list.get(), strip, win32::kPictureMask);  // the list keeps its own copy
  return list;
}

HWND CreateToolBar(HWND parent, int id, DWORD style, int x, int y, int width, int height) {
  HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | style, x, y, width, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (!bar) return nullptr;
  SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  if (auto tips = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0)))
    SetWindowLongPtrA(tips, GWL_STYLE, GetWindowLongPtrA(tips, GWL_STYLE) | TTS_NOPREFIX);
  return bar;
}

void GiveToolBarImages(HWND toolBar, HIMAGELIST images, int side) {
  if (!toolBar) return;
  SendMessageA(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  SendMessageA(toolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(side, side));
}

}  // namespace kest
