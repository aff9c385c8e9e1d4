// The program icon: six images, 16 and 32 pixels in 256 colours, 16, 24, 32 and 48 in 32-bit colour.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kest_version.h"

namespace {

std::uint32_t Le(const std::vector<unsigned char>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + static_cast<std::size_t>(i));
  return v;
}

TEST(ProgramIcon, HoldsTheSixImagesInOrder) {
  std::ifstream in(KEST_SOURCE_DIR "/res/kest.ico", std::ios::binary);
  ASSERT_TRUE(in) << "res/kest.ico is missing";
  std::vector<unsigned char> ico((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(ico.size(), 6u);
  EXPECT_EQ(Le(ico, 0, 2), 0u);  // reserved
  EXPECT_EQ(Le(ico, 2, 2), 1u);  // icon
  ASSERT_EQ(Le(ico, 4, 2), 6u);
  struct Want { unsigned size, bpp; } want[] = {{16, 8}, {32, 8}, {16, 32}, {24, 32}, {32, 32}, {48, 32}};
  for (int i = 0; i < 6; ++i) {
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

// The manifest is made from res/kest.manifest.in at configure time; its assembly version must be
// the project's, as the version information's is, and not a number someone forgot to bump.
TEST(Manifest, AssemblyVersionIsTheProjectVersion) {
  std::ifstream in(KEST_GENERATED_DIR "/kest.manifest", std::ios::binary);
  ASSERT_TRUE(in) << "the generated kest.manifest is missing";
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Kest's own identity is the first assemblyIdentity; the common controls' one comes later.
  std::size_t identity = text.find("<assemblyIdentity");
  ASSERT_NE(identity, std::string::npos);
  std::size_t end = text.find("/>", identity);
  ASSERT_NE(end, std::string::npos);
  std::string element = text.substr(identity, end - identity);
  EXPECT_NE(element.find("name=\"Kest.Kest\""), std::string::npos) << element;
  std::size_t at = element.find(" version=\"");
  ASSERT_NE(at, std::string::npos) << element;
  at += 10;
  std::string version = element.substr(at, element.find('"', at) - at);
  EXPECT_EQ(version, std::string(KEST_VERSION) + ".0");
}

}  // namespace
