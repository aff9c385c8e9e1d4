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

Point SnapToWorkArea(Point p, int width, int height, const WorkArea& a) {
  // Wide arithmetic: stored positions are taken as they are, however far off they lie.
  auto near = [](long long a, long long b) { return (a > b ? a - b : b - a) <= kSnapDistance; };
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

MainLayout LayoutMainWindow(int W, int H) {
  MainLayout l;
  l.titleStrip = Box{1, 1, W - 2, kTitleStripHeight};
  l.captionStrip = Box{1, 1 + kTitleStripHeight, W - 2, kCaptionStripHeight};
  l.bottomBar = Box{1, H - 1 - kBottomBarHeight, W - 2, kBottomBarHeight};
  l.grip = Box{W - 10, H - 11, 10, 11};
  int listTop = 1 + kTitleStripHeight + kCaptionStripHeight;
  l.list = Box{1, listTop, W - 2, std::max(0, H - 1 - kBottomBarHeight - listTop)};
  l.fileColumnWidth = W - 4;
  l.commandLine = Box{1, H - 42, W - 3, 19};
  l.captionButtonsTop = listTop - 10;
  l.toMiniLeft = W - 51;
  l.toTrayLeft = W - 35;
  l.closeCaptionLeft = W - 20;
  l.barButtonsTop = H - kBottomBarHeight;
  l.aboutLeft = W - 55;
  l.exitLeft = W - 30;
  return l;
}

}  // namespace kest
