#pragma once
// A program's icon as the menus show it, read where no window is needed (also off the
// user-interface thread).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kest {

// side x side pixels, top row first: 32-bit colour and the 1-bit mask, each mask row in whole
// 16-bit words, the way the image lists take them. Plain data, so that it can be kept and handed
// between threads.
struct IconPixels {
  int side = 0;
  std::vector<std::uint32_t> colour;
  std::vector<std::uint8_t> mask;

  // Bytes in a row of the mask.
  static int MaskStride(int side) { return (side + 15) / 16 * 2; }
};

class ProgramIcons {
 public:
  virtual ~ProgramIcons() = default;
  // The program's first icon drawn at side x side; nothing when it has none (not a program).
  virtual std::optional<IconPixels> extract(const std::string& program, int side) = 0;
  // The file's icon of that index (as the system counts a file's icons).
  virtual std::optional<IconPixels> extractAt(const std::string& file, int index, int side) {
    return index == 0 ? extract(file, side) : std::nullopt;
  }
};

}  // namespace kest
