#pragma once
// Icons into image lists, and pictures drawn in code at any size.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

#include "platform/win32/handles.h"

namespace kest::win32 {

// Adds the icon, drawn at the list's size with its mask, to the image list; returns its index or -1.
// ImageList_AddIcon does the same but costs about forty times as much under Wine, which
// matters for catalogs of thousands of tools.
int AddIconToImageList(HIMAGELIST list, HICON icon);

// The colour the pictures drawn in code leave out when they go into an image list.
inline constexpr COLORREF kPictureMask = RGB(255, 0, 255);

// A strip of side x side pictures drawn in code, side by side on the colour the image list is
// told to leave out. Every picture is drawn on a grid of 16 x 16 units, which the drawing
// context maps to side pixels, so the same drawing serves every DPI; pens scale with it. Points
// are taken from the left edge of the picture chosen with At.
class PictureStrip {
 public:
  PictureStrip(int count, COLORREF mask, int side);
  PictureStrip(const PictureStrip&) = delete;
  PictureStrip& operator=(const PictureStrip&) = delete;
  ~PictureStrip();

  static constexpr int kUnits = 16;
  void At(int index) { x_ = kUnits * index; }
  // In units, as every point given here.
  int Left() const { return x_; }
  HDC dc() const { return dc_.get(); }
  void Line(COLORREF colour, int width, std::initializer_list<POINT> points);
  void Shape(COLORREF fill, COLORREF edge, std::initializer_list<POINT> points);
  void Disc(COLORREF fill, COLORREF edge, int left, int top, int right, int bottom);
  // One unit square, at x taken from the strip's left edge (not the picture's).
  void Dot(COLORREF colour, int x, int y);
  // The finished strip, out of the drawing context.
  OwnedBitmap Take();

 private:
  OwnedMemoryDC dc_;
  OwnedBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  int side_ = 16;
  int x_ = 0;
};

}  // namespace kest::win32
