#include "catalog/mini_folder.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kest {
namespace {

using Strings = std::vector<std::string>;
const std::string kRoot = R"(C:\k\root)";

TEST(MiniFolder, FoldersBecomeLabelsAndOnlyLnkFilesBecomeButtons) {
  fakes::FakeFileSystem fs;
  fs.dir(kRoot);
  fs.dir(kRoot + R"(\B)");  // listing order, not alphabetical
  fs.file(kRoot + R"(\y.pif)");
  fs.dir(kRoot + R"(\A)");
  fs.file(kRoot + R"(\x.lnk)");
  fs.file(kRoot + R"(\UP.LNK)");
  fs.file(kRoot + R"(\z.Lnk)");
  fs.file(kRoot + R"(\lnk)");
  fs.file(kRoot + R"(\w.lnk)", 0);
  fs.file(kRoot + R"(\.hidden.lnk)");
  fs.dir(kRoot + R"(\.old)");
  fs.dir(kRoot + R"(\Locked)", 17);
  fs.file(kRoot + R"(\odd.lnk)", 10);
  fs.dir(kRoot + R"(\Archived)", 48);  // a tool, but not a shortcut
  fs.file(kRoot + R"(\A\inner.lnk)");

  MiniFolderContent c = ListMiniFolder(fs, kRoot);
  EXPECT_EQ(c.folders, (Strings{"B", "A"}));
  EXPECT_EQ(c.shortcuts, (Strings{kRoot + R"(\x.lnk)", kRoot + R"(\w.lnk)"}));

  // One folder only: the content of A shows when A is listed.
  EXPECT_EQ(ListMiniFolder(fs, kRoot + R"(\A)").shortcuts, Strings{kRoot + R"(\A\inner.lnk)"});
}

TEST(MiniFolder, AFolderThatCannotBeListedIsEmpty) {
  fakes::FakeFileSystem fs;
  MiniFolderContent c = ListMiniFolder(fs, kRoot);
  EXPECT_TRUE(c.folders.empty());
  EXPECT_TRUE(c.shortcuts.empty());
}

TEST(MiniNavigation, OpensLabelsAndGoesBackNoHigherThanTheTop) {
  MiniNavigation nav;
  nav.Reset(R"(C:\k\)");
  EXPECT_EQ(nav.shown(), kRoot);
  EXPECT_EQ(nav.top(), kRoot);

  EXPECT_FALSE(nav.Back()) << "at the top nothing happens";
  EXPECT_EQ(nav.shown(), kRoot);

  nav.Open("A");
  EXPECT_EQ(nav.shown(), kRoot + R"(\A)");
  nav.Open("Deep");
  EXPECT_TRUE(nav.Back());
  EXPECT_EQ(nav.shown(), kRoot + R"(\A)");
  EXPECT_TRUE(nav.Back());
  EXPECT_EQ(nav.shown(), kRoot);
  EXPECT_FALSE(nav.Back());

  // A folder named like the catalog root itself still leads back to the top, and no higher.
  nav.Open("root");
  EXPECT_TRUE(nav.Back());
  EXPECT_EQ(nav.shown(), kRoot);
  EXPECT_FALSE(nav.Back());
  EXPECT_EQ(nav.shown(), kRoot);

  // A new show starts at the root again.
  nav.Open("A");
  nav.Reset(R"(C:\k\)");
  EXPECT_EQ(nav.shown(), kRoot);
}

TEST(MiniNavigation, ATrailingBackslashIsDroppedFirst) {
  MiniNavigation nav;
  nav.Reset(R"(C:\k\)");
  nav.Open("");  // the shown folder now ends in a backslash
  EXPECT_EQ(nav.shown(), kRoot + "\\");
  EXPECT_FALSE(nav.Back()) << "without its backslash it is the top folder";
  EXPECT_EQ(nav.shown(), kRoot);

  nav.Open("A");
  nav.Open("");
  EXPECT_TRUE(nav.Back());
  EXPECT_EQ(nav.shown(), kRoot);
}

TEST(MiniLayout, LongCaptionsWidenThePanel) {
  EXPECT_EQ(WidenedForCaption(120, 30, 8), 240);
  EXPECT_EQ(WidenedForCaption(300, 30, 8), 300);
  EXPECT_EQ(WidenedForCaption(240, 30, 8), 240);
  EXPECT_EQ(WidenedForCaption(120, 15, 8), 120);
  EXPECT_EQ(WidenedForCaption(120, static_cast<std::size_t>(-1), 8), 32767) << "kept within reach";

  using namespace mini_layout;
  EXPECT_EQ(LabelTop(0), kBorder + 16);
  EXPECT_EQ(LabelTop(2), kBorder + 16 + 36);
}

}  // namespace
}  // namespace kest
