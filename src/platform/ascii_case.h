#pragma once
// Letters compared without regard to case in ASCII only, as the system compares file
// extensions, device names, drive letters and the profile functions' names: a byte of any
// other character (in UTF-8 or a code page) stands for itself.
#include <string>
#include <string_view>

namespace kest {

// 'A' to 'Z' lowered, any other character (char, or a code point as char32_t) as it is.
template <class Char>
constexpr Char AsciiLower(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

inline std::string AsciiLowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = AsciiLower(c);
  return lowered;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

}  // namespace kest
