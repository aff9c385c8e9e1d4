#include "window_rules/menu_letters.h"

#include "platform/ascii_case.h"
#include "platform/utf8.h"

namespace kest {

namespace {

// The first character of a UTF-8 text; a byte outside any sequence stands for itself.
char32_t FirstCharacter(const std::string& s) {
  return s.empty() ? 0 : utf8::CodePointAt(s, 0, utf8::SequenceAt(s, 0));
}

}  // namespace

std::string MenuItemName(const std::string& caption) {
  std::string name;
  name.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 == caption.size()) break;
      ++i;  // "&x" is x, "&&" is "&"
    }
    name += caption[i];
  }
  return name;
}

std::string MenuCaptionOf(const std::string& name) {
  std::string caption;
  caption.reserve(name.size());
  for (char c : name) {
    if (c == '&') caption += '&';
    caption += c;
  }
  return caption;
}

MenuCharChoice ChooseByLetter(const std::vector<std::string>& names, char32_t letter, int highlighted) {
  if (letter == 0) return {};
  const char32_t wanted = AsciiLower(letter);
  std::vector<int> matches;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (!names[i].empty() && AsciiLower(FirstCharacter(names[i])) == wanted) matches.push_back(static_cast<int>(i));
  if (matches.empty()) return {};
  if (matches.size() == 1) return {MenuCharChoice::Kind::Execute, matches.front()};
  for (int i : matches)
    if (i > highlighted) return {MenuCharChoice::Kind::Select, i};
  return {MenuCharChoice::Kind::Select, matches.front()};
}

}  // namespace kest
