// The windows' keys: their names in hints, the one key a command has, and the stepping of pages.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "window_rules/keys.h"

namespace kest {
namespace {

TEST(KeysTest, NamesReadAsWindowsWritesThem) {
  EXPECT_EQ(KeyName('B', kCtrl), "Ctrl+B");
  EXPECT_EQ(KeyName(vk::kTab, kCtrl | kShift), "Ctrl+Shift+Tab");
  EXPECT_EQ(KeyName(vk::kComma, kCtrl), "Ctrl+,");
  EXPECT_EQ(KeyName(vk::kF4, kAlt), "Alt+F4");
  EXPECT_EQ(KeyName(vk::kF1 + 11, 0), "F12");
  EXPECT_EQ(KeyName(vk::kEscape, 0), "Esc");
  EXPECT_EQ(KeyName(vk::kPageDown, kCtrl), "Ctrl+PgDn");
}

TEST(KeysTest, EveryMainWindowCommandHasOneKeyAndNoKeyTwoCommands) {
  std::set<std::pair<unsigned, unsigned>> seen;
  for (const KeyBinding& k : kMainWindowKeys) {
    EXPECT_TRUE(seen.insert({k.key, k.modifiers}).second) << KeyName(k.key, k.modifiers);
    // Plain letters are the target list's search, and F1 is help.
    EXPECT_NE(k.modifiers, 0u) << KeyName(k.key, k.modifiers);
    EXPECT_NE(std::make_pair(k.key, k.modifiers), std::make_pair(unsigned{'F'}, unsigned{kCtrl})) << "the find box's";
  }
  for (int command : {ids::addFile, ids::backup, ids::restore, ids::settings, ids::notes, ids::about, ids::toMini,
                      ids::toTray, ids::exit})
    EXPECT_NE(KeyOf(kMainWindowKeys, command), nullptr) << command;
  EXPECT_EQ(KeyName(KeyOf(kMainWindowKeys, ids::backup)->key, KeyOf(kMainWindowKeys, ids::backup)->modifiers),
            "Ctrl+B");
  EXPECT_EQ(KeyOf(kMainWindowKeys, ids::copyPath), nullptr);
}

TEST(KeysTest, HintsShowTheirKey) {
  EXPECT_EQ(HintWithKey("Backup file", "Ctrl+B"), "Backup file (Ctrl+B)");
  EXPECT_EQ(HintWithKey("Mail me", ""), "Mail me");
}

TEST(KeysTest, PagesStepRoundBothWays) {
  EXPECT_EQ(SteppedPage(0, 1, 3), 1);
  EXPECT_EQ(SteppedPage(2, 1, 3), 0);
  EXPECT_EQ(SteppedPage(0, -1, 3), 2);
  EXPECT_EQ(SteppedPage(1, -4, 3), 0);
  EXPECT_EQ(SteppedPage(5, 1, 0), 0);
}

}  // namespace
}  // namespace kest
