#include "platform/ascii_case.h"

#include <gtest/gtest.h>

namespace kest {
namespace {

TEST(AsciiCase, OnlyAsciiLettersFold) {
  EXPECT_EQ(AsciiLowered("C:\\Tools\\RUN.BAT @[`{"), "c:\\tools\\run.bat @[`{");
  // Bytes of UTF-8 and of a code page stand for themselves: "É" in UTF-8 and in 1252, "Я".
  EXPECT_EQ(AsciiLowered("\xC3\x89\xC9\xD0\xAF"), "\xC3\x89\xC9\xD0\xAF");
  EXPECT_EQ(AsciiLower(U'Q'), U'q');
  EXPECT_EQ(AsciiLower(U'\u0410'), U'\u0410');

  EXPECT_TRUE(EqualsIgnoringAsciiCase("Count", "cOUNT"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("Count", "Counts"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\x89", "\xC3\xA9")) << "É and é are not ASCII";
  EXPECT_FALSE(EqualsIgnoringAsciiCase("@", "`")) << "the neighbours of the letters do not fold";
}

}  // namespace
}  // namespace kest
