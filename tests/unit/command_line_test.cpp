#include "core/command_line.h"

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace kest {
namespace {

TEST(ParseCommandLine, FormsTheProgramIsStartedWith) {
  // Start without argument: the quoted executable and its trailing blank.
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe" )"), "");
  // Explorer's "Load into Kest": quoted exe, blank, path, closing quote.
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe" D:\work\app.exe")"), R"(D:\work\app.exe)");
  // Blanks inside paths, on both sides.
  EXPECT_EQ(ParseCommandLine(R"("C:\Program Files\Kest\Kest.exe" D:\my work\a b.exe")"),
            R"(D:\my work\a b.exe)");
  // The registered commands put the path right after the executable's quote: the drive
  // letter must survive.
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe"D:\work\a.exe")"), R"(D:\work\a.exe)");
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe"D:\tools dir")"), R"(D:\tools dir)");
  // A bare start as Wine and CreateProcess make it, without the trailing blank, is not an
  // argument naming the executable itself.
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe")"), "");
  EXPECT_EQ(ParseCommandLine(R"("Z:\tmp\Kest.exe")"), "");
  // An unquoted executable with a quoted argument, as typed in a console.
  EXPECT_EQ(ParseCommandLine(R"(Kest.exe "D:\a b.exe")"), R"(D:\a b.exe)");
  // Only one blank is a separator; a second belongs to the argument.
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe"  x")"), " x");
}

TEST(ParseCommandLine, OnlyAClosingQuoteIsDropped) {
  // A path dropped on Kest.exe or typed without quotes keeps its last character; trailing
  // blanks are the command line's.
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe" D:\a.exe)"), R"(D:\a.exe)");
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe" D:\a b.exe  )"), R"(D:\a b.exe)");
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe"   )"), "");
  EXPECT_EQ(ParseCommandLine(R"(C:\k\Kest.exe D:\a.exe)"), R"(D:\a.exe)");
  EXPECT_EQ(ParseCommandLine("Kest.exe \t D:\\a.exe "), R"(D:\a.exe)");
  // The walk stops at the last quote before the final character.
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe" "D:\a.exe")"), R"(D:\a.exe)");
  EXPECT_EQ(ParseCommandLine(R"("C:\k\Kest.exe"")"), "");
}

TEST(ParseCommandLine, NeverReadsBeforeTheStart) {
  EXPECT_EQ(ParseCommandLine(""), "");
  EXPECT_EQ(ParseCommandLine("\""), "");
  EXPECT_EQ(ParseCommandLine("x"), "");
  EXPECT_EQ(ParseCommandLine("ab"), "");
  EXPECT_EQ(ParseCommandLine("Kest.exe"), "");
  EXPECT_EQ(ParseCommandLine(R"(Kest.exe")"), "");
  // A quote only at the very start is the executable's own: no argument.
  EXPECT_EQ(ParseCommandLine(R"("abc)"), "");
  EXPECT_EQ(ParseCommandLine(R"(""")"), "");
}

TEST(AbsolutePath, AbsolutePathsStayExactlyAsTheyAre) {
  for (const char* path : {R"(C:\x\..\y.)", "c:/x", R"(\\server\share\x)", R"(\\?\C:\x\..)", R"(\\.\pipe\x)", "//s/sh/x"})
    EXPECT_EQ(paths::AbsolutePath(R"(D:\cases\)", path), path);
  EXPECT_EQ(paths::AbsolutePath(R"(D:\cases\)", ""), "");
  EXPECT_EQ(paths::AbsolutePath("", "sample.bin"), "sample.bin") << "no current directory to go by";
  EXPECT_EQ(paths::AbsolutePath(R"(odd\place\)", "sample.bin"), "sample.bin");
}

TEST(AbsolutePath, RelativeNamesJoinTheCurrentDirectory) {
  const std::string cwd = R"(C:\cases\day 1\)";
  EXPECT_EQ(paths::AbsolutePath(cwd, "sample.bin"), R"(C:\cases\day 1\sample.bin)");
  EXPECT_EQ(paths::AbsolutePath(R"(C:\cases\day 1)", "sample.bin"), R"(C:\cases\day 1\sample.bin)");
  EXPECT_EQ(paths::AbsolutePath(cwd, R"(.\sample.bin)"), R"(C:\cases\day 1\sample.bin)");
  EXPECT_EQ(paths::AbsolutePath(cwd, R"(..\day 2\.\x/y.exe)"), R"(C:\cases\day 2\x\y.exe)");
  EXPECT_EQ(paths::AbsolutePath(cwd, R"(..\..\..\..\x.exe)"), R"(C:\x.exe)") << "never above the root";
  EXPECT_EQ(paths::AbsolutePath(cwd, "."), R"(C:\cases\day 1)");
  EXPECT_EQ(paths::AbsolutePath(cwd, R"(kits\)"), R"(C:\cases\day 1\kits\)");
  EXPECT_EQ(paths::AbsolutePath(R"(C:\)", ".."), R"(C:\)");
  // Trailing dots and blanks belong to the name.
  EXPECT_EQ(paths::AbsolutePath(cwd, "evil.exe. . "), R"(C:\cases\day 1\evil.exe. . )");
  EXPECT_EQ(paths::AbsolutePath(cwd, R"(dots...\x.)"), R"(C:\cases\day 1\dots...\x.)");
  // On a share, the share is the root.
  EXPECT_EQ(paths::AbsolutePath(R"(\\srv\share\cases\)", R"(..\..\x.exe)"), R"(\\srv\share\x.exe)");
}

TEST(AbsolutePath, RootedAndDriveRelativeNames) {
  EXPECT_EQ(paths::AbsolutePath(R"(C:\cases\)", R"(\tools\x.exe)"), R"(C:\tools\x.exe)");
  EXPECT_EQ(paths::AbsolutePath(R"(\\srv\share\cases\)", R"(\x.exe)"), R"(\\srv\share\x.exe)");
  // "D:x" is in the current directory when that is on drive D, else at the root of D.
  EXPECT_EQ(paths::AbsolutePath(R"(d:\cases\)", R"(D:x.exe)"), R"(d:\cases\x.exe)");
  EXPECT_EQ(paths::AbsolutePath(R"(C:\cases\)", R"(D:x.exe)"), R"(D:\x.exe)");
  EXPECT_EQ(paths::AbsolutePath(R"(C:\cases\)", R"(d:..\x.exe)"), R"(d:\x.exe)");
  EXPECT_EQ(paths::AbsolutePath(R"(\\srv\share\)", R"(D:x.exe)"), R"(D:\x.exe)");
  EXPECT_EQ(paths::AbsolutePath(R"(D:\cases\)", "D:"), R"(D:\cases)");
}

}  // namespace
}  // namespace kest
