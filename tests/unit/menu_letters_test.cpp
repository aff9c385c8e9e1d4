// Typed letters in the pop-up menus: which item a letter runs or highlights.
#include "window_rules/menu_letters.h"

#include <gtest/gtest.h>

namespace kest {
namespace {

using Choice = MenuCharChoice;
constexpr auto kNone = MenuCharChoice::Kind::None;
constexpr auto kSelect = MenuCharChoice::Kind::Select;
constexpr auto kExecute = MenuCharChoice::Kind::Execute;

TEST(MenuLetters, TheOnlyItemStartingWithTheLetterIsRun) {
  const std::vector<std::string> names{"Debuggers", "Probe", "", "Copy file path", "Delete", "Properties"};
  EXPECT_EQ(ChooseByLetter(names, U'c', -1), (Choice{kExecute, 3}));
  EXPECT_EQ(ChooseByLetter(names, U'c', 4), (Choice{kExecute, 3})) << "wherever the highlight is";
}

TEST(MenuLetters, TheLetterMatchesInEitherCase) {
  const std::vector<std::string> names{"alpha", "Beta"};
  EXPECT_EQ(ChooseByLetter(names, U'A', -1), (Choice{kExecute, 0}));
  EXPECT_EQ(ChooseByLetter(names, U'b', -1), (Choice{kExecute, 1}));
}

TEST(MenuLetters, SeveralMatchesSelectTheNextAfterTheHighlightAndWrap) {
  const std::vector<std::string> names{"Debuggers", "Probe", "", "Copy file path", "Delete", "Properties"};
  EXPECT_EQ(ChooseByLetter(names, U'd', -1), (Choice{kSelect, 0})) << "nothing highlighted: the first";
  EXPECT_EQ(ChooseByLetter(names, U'd', 0), (Choice{kSelect, 4}));
  EXPECT_EQ(ChooseByLetter(names, U'D', 4), (Choice{kSelect, 0})) << "past the last it wraps";
  EXPECT_EQ(ChooseByLetter(names, U'p', 2), (Choice{kSelect, 5})) << "from a separator";
  EXPECT_EQ(ChooseByLetter(names, U'p', 5), (Choice{kSelect, 1}));
  EXPECT_EQ(ChooseByLetter(names, U'd', 3), (Choice{kSelect, 4})) << "from an item of another letter";
}

TEST(MenuLetters, NoMatchIsIgnoredAndSeparatorsNeverMatch) {
  const std::vector<std::string> names{"Probe", "", "Exit"};
  EXPECT_EQ(ChooseByLetter(names, U'x', -1), (Choice{kNone, -1}));
  EXPECT_EQ(ChooseByLetter({}, U'x', -1), (Choice{kNone, -1}));
  EXPECT_EQ(ChooseByLetter(names, U'\0', -1), (Choice{kNone, -1})) << "an empty name has no first letter";
  EXPECT_EQ(ChooseByLetter({"", "", "Exit"}, U'e', 0), (Choice{kExecute, 2}));
}

TEST(MenuLetters, NamesInOtherScriptsCompareTheirFirstCharacter) {
  const std::vector<std::string> names{"\xD0\xB0\xD0\xB1", "\xE5\xB7\xA5\xE5\x85\xB7", "\xF0\x9F\x90\x9E bug", "abc"};
  EXPECT_EQ(ChooseByLetter(names, U'\u0430', -1), (Choice{kExecute, 0}));
  EXPECT_EQ(ChooseByLetter(names, U'\u5DE5', -1), (Choice{kExecute, 1}));
  EXPECT_EQ(ChooseByLetter(names, U'\U0001F41E', -1), (Choice{kExecute, 2}));
  EXPECT_EQ(ChooseByLetter(names, U'\u0410', -1), (Choice{kNone, -1})) << "the caller lowers both sides";
}

TEST(MenuLetters, AnItemsNameIsItsCaptionWithoutTheMnemonicMark) {
  EXPECT_EQ(MenuItemName("&Probe"), "Probe");
  EXPECT_EQ(MenuItemName("A&B"), "AB");
  EXPECT_EQ(MenuItemName("&&Co"), "&Co");
  EXPECT_EQ(MenuItemName("End&"), "End");
  EXPECT_EQ(ChooseByLetter({MenuItemName("&Probe"), MenuItemName("&&Co")}, U'p', -1), (Choice{kExecute, 0}));
  EXPECT_EQ(ChooseByLetter({MenuItemName("&&Co")}, U'c', -1), (Choice{kNone, -1}));
}

}  // namespace
}  // namespace kest
