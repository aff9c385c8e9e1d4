#pragma once
// The three colours every window is drawn in, as Windows colour values (0x00BBGGRR).
#include <cstdint>

#include "app/settings_file.h"

namespace kest {

struct ColorScheme {
  std::uint32_t main = 0xC16100;     // lists and pages
  std::uint32_t caption = 0x000000;  // frames and caption strips
  std::uint32_t font = 0xFFFFFF;     // text
};

inline ColorScheme ReadColorScheme(SettingsFile& settings) {
  return ColorScheme{static_cast<std::uint32_t>(settings.read(opt::Col1)),
                     static_cast<std::uint32_t>(settings.read(opt::Col2)),
                     static_cast<std::uint32_t>(settings.read(opt::Col3))};
}

}  // namespace kest
