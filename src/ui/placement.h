#pragma once
// Where the main window is and how it is laid out: the keys written at exit, the closing
// fade, and the places of its strips and controls for a given size.
#include <vector>

#include "app/settings_file.h"

namespace kest {

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

// Writes the main window's place at exit: "NMLeft", "NMTop", "NMHeight", "NMWidth" and
// "IMOnStart" false in a run begun normally, the "IM" keys and "IMOnStart" true otherwise;
// then "Minimized". place is the window's normal (not minimised) place on the screen.
void WriteExitGeometry(SettingsFile& settings, bool normalMode, const Box& place, bool minimized);

// The opacities the closing fade goes through: one step at a time below the window's
// opacity down to 170; none when it is 170 or less.
std::vector<int> FadeSteps(int opacity);

inline constexpr int kMainDesignWidth = 277;
inline constexpr int kMainDesignHeight = 302;
inline constexpr int kTitleStripHeight = 11;
inline constexpr int kCaptionStripHeight = 17;
inline constexpr int kBottomBarHeight = 20;

// The main window's parts for a client size W x H. Buttons at the left ends of the strips
// keep their places; those at the right ends follow the right edge.
struct MainLayout {
  Box titleStrip, captionStrip, bottomBar, grip;
  Box list;
  int fileColumnWidth = 0;
  Box commandLine;
  int captionButtonsTop = 0;
  int sbToIcon2Left = 0, sbMin2Left = 0, sbClose2Left = 0;
  int barButtonsTop = 0;
  int sbAboutLeft = 0, sbCloseLeft = 0;
};
MainLayout LayoutMainWindow(int width, int height);

}  // namespace kest
