#include "platform/win32/icons.h"

#include "platform/win32/handles.h"

namespace kest::win32 {

int AddIconToImageList(HIMAGELIST list, HICON icon) {
  if (!list || !icon) return -1;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = 16;
  bi.bmiHeader.biHeight = -16;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  OwnedMemoryDC dc(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  OwnedBitmap colour(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  OwnedBitmap mask(CreateBitmap(16, 16, 1, 1, nullptr));
  if (!colour || !mask) return -1;
  {
    ScopedSelect drawMask(dc.get(), mask.get());
    DrawIconEx(dc.get(), 0, 0, icon, 16, 16, 0, nullptr, DI_MASK);
  }
  {
    ScopedSelect drawColour(dc.get(), colour.get());
    DrawIconEx(dc.get(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  }
  // The image list copies both bitmaps.
  return ImageList_Add(list, colour.get(), mask.get());
}

}  // namespace kest::win32
