#include "platform/win32/icons.h"

#include <vector>

#include "platform/win32/handles.h"

namespace kest::win32 {

int AddIconToImageList(HIMAGELIST list, HICON icon) {
  if (!list || !icon) return -1;
  // At the list's own size: 16 pixels at 96 DPI, more on a screen of higher DPI.
  int cx = 16, cy = 16;
  ImageList_GetIconSize(list, &cx, &cy);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = cx;
  bi.bmiHeader.biHeight = -cy;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  OwnedMemoryDC dc(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  OwnedBitmap colour(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  OwnedBitmap mask(CreateBitmap(cx, cy, 1, 1, nullptr));
  if (!colour || !mask) return -1;
  {
    ScopedSelect drawMask(dc.get(), mask.get());
    DrawIconEx(dc.get(), 0, 0, icon, cx, cy, 0, nullptr, DI_MASK);
  }
  {
    ScopedSelect drawColour(dc.get(), colour.get());
    DrawIconEx(dc.get(), 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
  }
  // The image list copies both bitmaps.
  return ImageList_Add(list, colour.get(), mask.get());
}

PictureStrip::PictureStrip(int count, COLORREF mask, int side) : side_(side > 0 ? side : kUnits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = side_ * count;
  bi.bmiHeader.biHeight = -side_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  WindowDC screen(nullptr);
  bitmap_.reset(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  dc_.reset(CreateCompatibleDC(screen.get()));
  previous_ = SelectObject(dc_.get(), bitmap_.get());
  // The pictures are drawn in units: kUnits of them make side pixels.
  SetMapMode(dc_.get(), MM_ANISOTROPIC);
  SetWindowExtEx(dc_.get(), kUnits, kUnits, nullptr);
  SetViewportExtEx(dc_.get(), side_, side_, nullptr);
  RECT all{0, 0, kUnits * count, kUnits};
  OwnedBrush background(CreateSolidBrush(mask));
  FillRect(dc_.get(), &all, background.get());
}

PictureStrip::~PictureStrip() {
  if (previous_) SelectObject(dc_.get(), previous_);
}

void PictureStrip::Line(COLORREF colour, int width, std::initializer_list<POINT> points) {
  OwnedPen pen(CreatePen(PS_SOLID, width, colour));
  ScopedSelect use(dc_.get(), pen.get());
  std::vector<POINT> v(points);
  for (POINT& p : v) p.x += x_;
  Polyline(dc_.get(), v.data(), static_cast<int>(v.size()));
}

void PictureStrip::Shape(COLORREF fill, COLORREF edge, std::initializer_list<POINT> points) {
  OwnedBrush brush(CreateSolidBrush(fill));
  OwnedPen pen(CreatePen(PS_SOLID, 1, edge));
  ScopedSelect useBrush(dc_.get(), brush.get());
  ScopedSelect usePen(dc_.get(), pen.get());
  std::vector<POINT> v(points);
  for (POINT& p : v) p.x += x_;
  Polygon(dc_.get(), v.data(), static_cast<int>(v.size()));
}

void PictureStrip::Disc(COLORREF fill, COLORREF edge, int left, int top, int right, int bottom) {
  OwnedBrush brush(CreateSolidBrush(fill));
  OwnedPen pen(CreatePen(PS_SOLID, 1, edge));
  ScopedSelect useBrush(dc_.get(), brush.get());
  ScopedSelect usePen(dc_.get(), pen.get());
  Ellipse(dc_.get(), x_ + left, top, x_ + right, bottom);
}

void PictureStrip::Dot(COLORREF colour, int x, int y) {
  // A rectangle rather than SetPixel, which would set one pixel at any size.
  OwnedBrush brush(CreateSolidBrush(colour));
  RECT r{x, y, x + 1, y + 1};
  FillRect(dc_.get(), &r, brush.get());
}

OwnedBitmap PictureStrip::Take() {
  if (previous_) SelectObject(dc_.get(), previous_);
  previous_ = nullptr;
  return std::move(bitmap_);
}

}  // namespace kest::win32
