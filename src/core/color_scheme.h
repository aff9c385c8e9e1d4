#pragma once
#include <cstdint>

namespace kest {

// The three colours every window is drawn in, as Windows colour values (0x00BBGGRR).
struct ColorScheme {
  std::uint32_t main = 0xC16100;     // lists and pages
  std::uint32_t caption = 0x000000;  // frames and caption strips
  std::uint32_t font = 0xFFFFFF;     // text
};

}  // namespace kest
