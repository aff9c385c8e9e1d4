#include "window_rules/menu_letters.h"

#include "platform/utf8.h"

namespace kest {

namespace {

// The first character of a UTF-8 text; a byte outside any sequence stands for itself.
char32_t FirstCharacter(const std::string& s) {
  if (s.empty()) return 0;
  auto byte = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[k])); };
  switch (utf8::SequenceAt(s, 0)) {
    case 2: return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3: return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    case 4: return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    default: return byte(0);
  }
}

char32_t FoldAscii(char32_t c) { return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c; }

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

MenuCharChoice ChooseByLetter(const std::vector<std::string>& names, char32_t letter, int highlighted) {
  if (letter == 0) return {};
  const char32_t wanted = FoldAscii(letter);
  std::vector<int> matches;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (!names[i].empty() && FoldAscii(FirstCharacter(names[i])) == wanted) matches.push_back(static_cast<int>(i));
  if (matches.empty()) return {};
  if (matches.size() == 1) return {MenuCharChoice::Kind::Execute, matches.front()};
  for (int i : matches)
    if (i > highlighted) return {MenuCharChoice::Kind::Select, i};
  return {MenuCharChoice::Kind::Select, matches.front()};
}

}  // namespace kest
