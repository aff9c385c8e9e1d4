#include "kit/pictures.h"

#include <initializer_list>

#include "platform/win32/icons.h"
#include "window_rules/dpi.h"

namespace kest {

void DrawGlyph(HDC dc, const RECT& r, Glyph glyph, COLORREF colour, int dpi) {
  // The pictures are designed at 96 DPI: every offset from the centre is scaled.
  auto s = [dpi](int v) { return ScaleForDpi(v, dpi); };
  win32::OwnedPen pen(CreatePen(PS_SOLID, dpi >= 2 * kDefaultDpi ? dpi / kDefaultDpi : 1, colour));
  win32::ScopedSelect usePen(dc, pen.get());
  win32::ScopedSelect useBrush(dc, GetStockObject(NULL_BRUSH));
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  if (glyph == Glyph::OpenFile) {
    // A folder with its flap open.
    POINT body[] = {{cx - s(7), cy - s(4)}, {cx - s(3), cy - s(4)}, {cx - s(2), cy - s(3)}, {cx + s(5), cy - s(3)},
                    {cx + s(5), cy + s(5)}, {cx - s(7), cy + s(5)}, {cx - s(7), cy - s(4)}};
    Polyline(dc, body, 7);
    POINT flap[] = {{cx - s(7), cy + s(5)}, {cx - s(4), cy}, {cx + s(8), cy}, {cx + s(5), cy + s(5)}};
    Polyline(dc, flap, 4);
  } else if (glyph == Glyph::Settings) {
    // A wheel with spokes.
    Ellipse(dc, cx - s(4), cy - s(4), cx + s(5), cy + s(5));
    const POINT spokes[][2] = {{{cx, cy - s(7)}, {cx, cy - s(4)}}, {{cx, cy + s(5)}, {cx, cy + s(8)}},
                               {{cx - s(7), cy}, {cx - s(4), cy}}, {{cx + s(5), cy}, {cx + s(8), cy}},
                               {{cx - s(5), cy - s(5)}, {cx - s(3), cy - s(3)}},
                               {{cx + s(4), cy + s(4)}, {cx + s(6), cy + s(6)}},
                               {{cx + s(4), cy - s(4)}, {cx + s(6), cy - s(6)}},
                               {{cx - s(3), cy + s(4)}, {cx - s(5), cy + s(6)}}};
    for (auto& spoke : spokes) Polyline(dc, spoke, 2);
    SetPixel(dc, cx, cy, colour);
  }
}

void DrawNotePicture(HDC dc, const RECT& r, NotePicture picture, COLORREF fg, COLORREF bg, int dpi) {
  // Designed at 96 DPI: every offset from the centre is scaled.
  auto s = [dpi](int v) { return ScaleForDpi(v, dpi); };
  win32::OwnedPen pen(CreatePen(PS_SOLID, dpi >= 2 * kDefaultDpi ? dpi / kDefaultDpi : 1, fg));
  win32::OwnedBrush fill(CreateSolidBrush(bg));
  win32::ScopedSelect usePen(dc, pen.get());
  win32::ScopedSelect useBrush(dc, fill.get());
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  auto line = [&](int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
  };
  switch (picture) {
    case NotePicture::Copy:  // two pages, one over the other
      Rectangle(dc, cx - s(6), cy - s(6), cx + s(2), cy + s(4));
      Rectangle(dc, cx - s(2), cy - s(3), cx + s(6), cy + s(7));
      line(cx, cy, cx + s(4), cy);
      line(cx, cy + s(2), cx + s(4), cy + s(2));
      line(cx, cy + s(4), cx + s(3), cy + s(4));
      break;
    case NotePicture::Paste:  // a clipboard with its clip
      Rectangle(dc, cx - s(5), cy - s(5), cx + s(6), cy + s(7));
      Rectangle(dc, cx - s(2), cy - s(7), cx + s(3), cy - s(3));
      line(cx - s(3), cy - s(1), cx + s(4), cy - s(1));
      line(cx - s(3), cy + s(1), cx + s(4), cy + s(1));
      line(cx - s(3), cy + s(3), cx + s(2), cy + s(3));
      break;
    case NotePicture::Font:  // a capital A over a base line
      line(cx - s(5), cy + s(4), cx, cy - s(7));
      line(cx, cy - s(7), cx + s(5), cy + s(4));
      line(cx - s(3), cy, cx + s(3), cy);
      line(cx - s(6), cy + s(6), cx + s(7), cy + s(6));
      break;
    case NotePicture::Clear:  // a page crossed out
      Rectangle(dc, cx - s(5), cy - s(6), cx + s(5), cy + s(7));
      line(cx - s(3), cy - s(3), cx + s(4), cy + s(4));
      line(cx + s(3), cy - s(3), cx - s(4), cy + s(4));
      break;
    default:
      break;
  }
}

win32::OwnedBitmap DrawMenuPictures(int side) {
  win32::PictureStrip strip(5, win32::kPictureMask, side);
  auto line = [&](COLORREF c, int width, std::initializer_list<POINT> pts) { strip.Line(c, width, pts); };
  // 0: red cross.
  line(RGB(220, 0, 0), 2, {{3, 3}, {13, 13}});
  line(RGB(220, 0, 0), 2, {{13, 3}, {3, 13}});
  // 1: tick.
  line(RGB(0, 150, 0), 2, {{16 + 3, 8}, {16 + 6, 12}, {16 + 13, 3}});
  // 2: clipboard with a pencil.
  line(RGB(90, 60, 20), 1, {{32 + 3, 3}, {32 + 11, 3}, {32 + 11, 14}, {32 + 3, 14}, {32 + 3, 3}});
  line(RGB(60, 60, 60), 1, {{32 + 5, 2}, {32 + 9, 2}});
  line(RGB(0, 0, 160), 2, {{32 + 7, 11}, {32 + 14, 4}});
  // 3: empty brackets; 4: brackets around dots.
  for (int i = 3; i <= 4; ++i) {
    int x = 16 * i;
    line(RGB(0, 0, 0), 1, {{x + 5, 3}, {x + 3, 3}, {x + 3, 12}, {x + 5, 12}});
    line(RGB(0, 0, 0), 1, {{x + 10, 3}, {x + 12, 3}, {x + 12, 12}, {x + 10, 12}});
  }
  for (int x : {16 * 4 + 5, 16 * 4 + 7, 16 * 4 + 9}) strip.Dot(RGB(0, 0, 0), x, 10);
  return strip.Take();
}

win32::OwnedBitmap DrawToolsManagerPictures(int side) {
  win32::PictureStrip strip(tools_picture::kCount, win32::kPictureMask, side);
  HDC dc = strip.dc();
  auto line = [&](COLORREF c, int width, std::initializer_list<POINT> pts) { strip.Line(c, width, pts); };
  auto shape = [&](COLORREF fill, COLORREF edge, std::initializer_list<POINT> pts) { strip.Shape(fill, edge, pts); };
  auto folder = [&] {
    shape(RGB(250, 210, 80), RGB(150, 110, 20), {{1, 4}, {6, 4}, {7, 6}, {14, 6}, {14, 14}, {1, 14}});
  };
  const COLORREF dark = RGB(20, 40, 120), green = RGB(0, 140, 0), red = RGB(210, 0, 0);

  strip.At(tools_picture::kUp);  // an arrow up out of a folder's level
  line(dark, 2, {{8, 14}, {8, 3}});
  line(dark, 2, {{3, 8}, {8, 3}, {13, 8}});

  strip.At(tools_picture::kNewFolder);  // a folder with a spark
  folder();
  line(red, 1, {{12, 0}, {12, 5}});
  line(red, 1, {{10, 2}, {15, 2}});

  strip.At(tools_picture::kNewShortcut);  // a page with the shortcut arrow
  shape(RGB(255, 255, 255), RGB(80, 80, 80), {{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}});
  shape(RGB(255, 255, 255), dark, {{3, 8}, {9, 8}, {9, 14}, {3, 14}});
  line(dark, 1, {{4, 13}, {8, 9}});
  line(dark, 1, {{5, 9}, {8, 9}, {8, 12}});

  strip.At(tools_picture::kRefresh);  // two arrows round a circle
  {
    win32::OwnedPen pen(CreatePen(PS_SOLID, 2, green));
    win32::ScopedSelect use(dc, pen.get());
    Arc(dc, strip.Left() + 2, 2, strip.Left() + 14, 14, strip.Left() + 14, 4, strip.Left() + 2, 12);
    Arc(dc, strip.Left() + 2, 2, strip.Left() + 14, 14, strip.Left() + 2, 12, strip.Left() + 14, 4);
  }
  line(green, 1, {{10, 2}, {14, 3}, {13, 7}});

  strip.At(tools_picture::kApply);  // a tick
  line(green, 2, {{2, 8}, {6, 12}, {14, 3}});

  strip.At(tools_picture::kDelete);  // a cross
  line(red, 2, {{3, 3}, {13, 13}});
  line(red, 2, {{13, 3}, {3, 13}});

  strip.At(tools_picture::kRename);  // a pencil over a line of text
  line(RGB(80, 80, 80), 1, {{1, 14}, {15, 14}});
  shape(RGB(240, 200, 60), RGB(120, 80, 0), {{3, 12}, {4, 9}, {12, 1}, {15, 4}, {7, 12}});
  line(RGB(0, 0, 0), 1, {{3, 12}, {4, 11}});
  return strip.Take();
}

win32::OwnedBitmap DrawEye(int side) {
  win32::PictureStrip strip(1, win32::kPictureMask, side);
  strip.Disc(RGB(255, 255, 255), RGB(0, 0, 0), 0, 3, 16, 13);     // the white of the eye
  strip.Disc(RGB(40, 110, 200), RGB(20, 60, 140), 5, 4, 11, 12);  // iris
  strip.Disc(RGB(0, 0, 0), RGB(0, 0, 0), 7, 6, 9, 10);            // pupil
  return strip.Take();
}

}  // namespace kest
