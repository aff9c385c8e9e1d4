#include "platform/win32/icons.h"

namespace kest::win32 {

int AddIconToImageList(HIMAGELIST list, HICON icon) {
  if (!list || !icon) return -1;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = 16;
  bi.bmiHeader.biHeight = -16;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP colour = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  int index = -1;
  if (colour && mask) {
    HGDIOBJ old = SelectObject(dc, mask);
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_MASK);
    SelectObject(dc, colour);
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    SelectObject(dc, old);
    index = ImageList_Add(list, colour, mask);
  }
  if (colour) DeleteObject(colour);
  if (mask) DeleteObject(mask);
  DeleteDC(dc);
  return index;
}

}  // namespace kest::win32
