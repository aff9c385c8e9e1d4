#pragma once
// Icons into 16 x 16 image lists.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

#include "platform/win32/handles.h"

namespace kest::win32 {

// Adds the icon, drawn at the list's size (16 x 16 mostly) with its mask, to the image list; returns its index or -1.
// ImageList_AddIcon does the same but costs about forty times as much under Wine, which
// matters for catalogs of thousands of tools.
int AddIconToImageList(HIMAGELIST list, HICON icon);

// The colour the pictures drawn in code leave out when they go into an image list.
inline constexpr COLORREF kPictureMask = RGB(255, 0, 255);

// A strip of 16 x 16 pictures drawn in code, side by side on the colour the image list is told
// to leave out. Points are taken from the left edge of the picture chosen with At.
class PictureStrip {
 public:
  PictureStrip(int count, COLORREF mask);
  PictureStrip(const PictureStrip&) = delete;
  PictureStrip& operator=(const PictureStrip&) = delete;
  ~PictureStrip();

  void At(int index) { x_ = 16 * index; }
  int Left() const { return x_; }
  HDC dc() const { return dc_.get(); }
  void Line(COLORREF colour, int width, std::initializer_list<POINT> points);
  void Shape(COLORREF fill, COLORREF edge, std::initializer_list<POINT> points);
  void Disc(COLORREF fill, COLORREF edge, int left, int top, int right, int bottom);
  // The finished strip, out of the drawing context.
  OwnedBitmap Take();

 private:
  OwnedMemoryDC dc_;
  OwnedBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  int x_ = 0;
};

}  // namespace kest::win32
