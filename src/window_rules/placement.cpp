#include "window_rules/placement.h"

#include <algorithm>

namespace kest {

void WriteExitGeometry(SettingsFile& s, bool normalMode, const Box& place, bool minimized) {
  if (normalMode) {
    s.write(opt::NMLeft, place.x);
    s.write(opt::NMTop, place.y);
    s.write(opt::NMHeight, place.height);
    s.write(opt::NMWidth, place.width);
    s.write(opt::IMOnStart, false);
  } else {
    s.write(opt::IMLeft, place.x);
    s.write(opt::IMTop, place.y);
    s.write(opt::IMWidth, place.width);
    s.write(opt::IMHeight, place.height);
    s.write(opt::IMOnStart, true);
  }
  s.write(opt::Minimized, minimized);
}

std::vector<int> FadeSteps(int opacity) {
  std::vector<int> steps;
  if (opacity <= 170) return steps;
  for (int alpha = std::min(opacity, 255); alpha >= 170; --alpha) steps.push_back(alpha);
  return steps;
}

Box StoredToPixels(const Box& s, int dpi) {
  return Box{ScaleForDpi(s.x, dpi), ScaleForDpi(s.y, dpi), ScaleForDpi(s.width, dpi), ScaleForDpi(s.height, dpi)};
}

Box PixelsToStored(const Box& p, int dpi) {
  return Box{UnscaleForDpi(p.x, dpi), UnscaleForDpi(p.y, dpi), UnscaleForDpi(p.width, dpi),
             UnscaleForDpi(p.height, dpi)};
}

Point SnapToWorkArea(Point p, int width, int height, const WorkArea& a, int distance) {
  // Wide arithmetic: stored positions are taken as they are, however far off they lie.
  auto near = [distance](long long a, long long b) { return (a > b ? a - b : b - a) <= distance; };
  const long long right = static_cast<long long>(a.right) - width;
  const long long bottom = static_cast<long long>(a.bottom) - height;
  if (near(a.left, p.x)) p.x = a.left;
  if (near(right, p.x)) p.x = static_cast<int>(right);
  if (near(a.top, p.y)) p.y = a.top;
  if (near(bottom, p.y)) p.y = static_cast<int>(bottom);
  return p;
}

Size GripSize(Point topLeft, Point cursor, Size minimum) {
  long long width = static_cast<long long>(cursor.x) - topLeft.x;
  long long height = static_cast<long long>(cursor.y) - topLeft.y;
  return Size{width > minimum.width ? static_cast<int>(std::min<long long>(width, 0x7FFF)) : minimum.width,
              height > minimum.height ? static_cast<int>(std::min<long long>(height, 0x7FFF)) : minimum.height};
}

MainLayout LayoutMainWindow(int W, int H, int dpi) {
  auto s = [dpi](int v) { return ScaleForDpi(v, dpi); };
  // The one-pixel frame stays one pixel; everything inside it grows.
  const int title = s(kTitleStripHeight), caption = s(kCaptionStripHeight), bar = s(kBottomBarHeight);
  MainLayout l;
  l.titleStrip = Box{1, 1, W - 2, title};
  l.captionStrip = Box{1, 1 + title, W - 2, caption};
  l.bottomBar = Box{1, H - 1 - bar, W - 2, bar};
  l.grip = Box{W - s(10), H - s(11), s(10), s(11)};
  int listTop = 1 + title + caption;
  l.list = Box{1, listTop, W - 2, std::max(0, H - 1 - bar - listTop)};
  l.fileColumnWidth = W - 4;
  l.commandLine = Box{1, H - 1 - bar - s(21), W - 3, s(19)};
  l.captionButtonsTop = listTop - s(10);
  l.toMiniLeft = W - s(51);
  l.toTrayLeft = W - s(35);
  l.closeCaptionLeft = W - s(20);
  l.barButtonsTop = H - bar;
  l.aboutLeft = W - s(55);
  l.exitLeft = W - s(30);
  l.captionButton = Size{s(16), s(10)};
  l.barButton = Size{s(25), s(18)};
  l.separatorX[0] = s(29);
  l.separatorX[1] = s(84);
  l.separatorX[2] = s(139);
  return l;
}

}  // namespace kest
