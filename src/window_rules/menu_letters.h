#pragma once
// Typed letters in the program's pop-up menus. Their items carry no "&" mnemonic, so the
// system finds nothing for a typed letter and asks the menu's owner (WM_MENUCHAR): the items
// whose name starts with the letter are the candidates. One candidate is run as if clicked (a
// folder opens); of several, the next one after the highlighted item is highlighted, wrapping,
// so that pressing the letter again cycles through them.
#include <string>
#include <vector>

namespace kest {

struct MenuCharChoice {
  enum class Kind { None, Select, Execute } kind = Kind::None;
  int index = -1;  // the item's position in the menu
  bool operator==(const MenuCharChoice&) const = default;
};

// The name of an item: its caption without the "&" that marks a mnemonic ("&&" is one "&").
std::string MenuItemName(const std::string& caption);
// The caption that shows a name as it is: each "&" doubled, so none becomes an underline.
std::string MenuCaptionOf(const std::string& name);

// names: the names of the menu's items in order, in UTF-8; an empty name (a separator, an item
// that cannot be chosen) never matches. The first character is compared exactly, ASCII letters
// in either case; the caller lowers the letters of other scripts on both sides when it can.
// highlighted: the highlighted item's position, -1 for none.
MenuCharChoice ChooseByLetter(const std::vector<std::string>& names, char32_t letter, int highlighted);

}  // namespace kest
