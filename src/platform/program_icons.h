#pragma once
// A program's icon as the menus show it, read where no window is needed (also off the
// user-interface thread).
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kest {

// 16 x 16 pixels, top row first: 32-bit colour and the 1-bit mask in rows of two bytes, the
// way the image lists take them. Plain data, so that it can be kept and handed between threads.
struct IconPixels {
  std::array<std::uint32_t, 16 * 16> colour{};
  std::array<std::uint8_t, 16 * 2> mask{};
};

class ProgramIcons {
 public:
  virtual ~ProgramIcons() = default;
  // The program's first icon drawn at 16 x 16; nothing when it has none (not a program).
  virtual std::optional<IconPixels> extract(const std::string& program) = 0;
};

}  // namespace kest
