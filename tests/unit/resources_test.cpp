// The program icon: five images, 16 and 32 pixels in 256 colours, 16, 32 and 48 in 32-bit colour.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::uint32_t Le(const std::vector<unsigned char>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + static_cast<std::size_t>(i));
  return v;
}

TEST(ProgramIcon, HoldsTheFiveImagesInOrder) {
  std::ifstream in(KEST_SOURCE_DIR "/res/kest.ico", std::ios::binary);
  ASSERT_TRUE(in) << "res/kest.ico is missing";
  std::vector<unsigned char> ico((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(ico.size(), 6u);
  EXPECT_EQ(Le(ico, 0, 2), 0u);  // reserved
  EXPECT_EQ(Le(ico, 2, 2), 1u);  // icon
  ASSERT_EQ(Le(ico, 4, 2), 5u);
  struct Want { unsigned size, bpp; } want[] = {{16, 8}, {32, 8}, {16, 32}, {32, 32}, {48, 32}};
  for (int i = 0; i < 5; ++i) {
    std::size_t e = 6 + 16 * static_cast<std::size_t>(i);
    unsigned w = Le(ico, e, 1), h = Le(ico, e + 1, 1);
    std::uint32_t bytes = Le(ico, e + 8, 4), offset = Le(ico, e + 12, 4);
    ASSERT_LE(offset + bytes, ico.size()) << "image " << i;
    // The image itself is a DIB: its header says the real size and colour depth.
    EXPECT_EQ(Le(ico, offset, 4), 40u) << "image " << i;
    EXPECT_EQ(w, want[i].size) << "image " << i;
    EXPECT_EQ(h, want[i].size) << "image " << i;
    EXPECT_EQ(Le(ico, offset + 4, 4), want[i].size) << "image " << i;
    EXPECT_EQ(Le(ico, offset + 8, 4), 2 * want[i].size) << "image " << i;  // XOR and AND masks
    EXPECT_EQ(Le(ico, offset + 14, 2), want[i].bpp) << "image " << i;
  }
}

}  // namespace
