#pragma once
// Where the main window is and how it is laid out: the keys written at exit, the closing
// fade, and the places of its strips and controls for a given size.
#include <vector>

#include "core/settings_file.h"
#include "window_rules/dpi.h"

namespace kest {

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

// A stored place (96-DPI units, as Tools.ini keeps it) in pixels of a screen at this DPI, and
// back: positions and sizes alike.
Box StoredToPixels(const Box& stored, int dpi);
Box PixelsToStored(const Box& pixels, int dpi);

// Writes the main window's place at exit: "NMLeft", "NMTop", "NMHeight", "NMWidth" and
// "IMOnStart" false in a run begun normally, the "IM" keys and "IMOnStart" true otherwise;
// then "Minimized". place is the window's normal (not minimised) place on the screen.
void WriteExitGeometry(SettingsFile& settings, bool normalMode, const Box& place, bool minimized);

// No window is ever drawn less opaque than this, whatever the stored value: a window a user
// cannot see cannot be clicked either, in this run or the next.
inline constexpr int kMinimumOpacity = 30;
inline int VisibleOpacity(int alpha) { return alpha < kMinimumOpacity ? kMinimumOpacity : alpha; }

// The opacities the closing fade goes through: one step at a time from the window's opacity
// down to 170; none when it is 170 or less.
std::vector<int> FadeSteps(int opacity);

// Edge snapping of the main and note windows: a proposed position within 10 pixels
// (inclusive) of an edge of the work area lands on it, 10 pixels scaled at another DPI; the right
// edge wins over the left and the bottom over the top when both are in reach.
struct WorkArea {
  int left = 0, top = 0, right = 0, bottom = 0;
};
inline constexpr int kSnapDistance = 10;
struct Point {
  int x = 0, y = 0;
};
Point SnapToWorkArea(Point proposed, int width, int height, const WorkArea& area,
                     int distance = kSnapDistance);
inline int SnapDistanceForDpi(int dpi) { return ScaleForDpi(kSnapDistance, dpi); }

// The size the grip gives for the cursor at (cursorX, cursorY): the distance from the window's
// top-left corner, but never less than the minimum.
struct Size {
  int width = 0, height = 0;
};
Size GripSize(Point windowTopLeft, Point cursor, Size minimum);

inline constexpr int kMainDesignWidth = 277;
inline constexpr int kMainDesignHeight = 302;
inline constexpr int kTitleStripHeight = 11;
inline constexpr int kCaptionStripHeight = 17;
inline constexpr int kBottomBarHeight = 20;

// The main window's parts for a client size W x H at a DPI (the sizes above are at 96 DPI).
// Buttons at the left ends of the strips keep their places; those at the right ends follow the
// right edge.
struct MainLayout {
  Box titleStrip, captionStrip, bottomBar, grip;
  Box list;
  int fileColumnWidth = 0;
  Box commandLine;
  int captionButtonsTop = 0;
  int toMiniLeft = 0, toTrayLeft = 0, closeCaptionLeft = 0;
  int barButtonsTop = 0;
  int aboutLeft = 0, exitLeft = 0;
  Size captionButton, barButton;
  int separatorX[3] = {};  // the bottom bar's separating lines
};
MainLayout LayoutMainWindow(int width, int height, int dpi = kDefaultDpi);

}  // namespace kest
