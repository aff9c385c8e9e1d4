#pragma once
// Counting and cutting text by characters. Kest's strings are UTF-8 wherever Windows honours
// the manifest's UTF-8 code page; elsewhere they are in the system's code page, and a byte that
// starts no valid UTF-8 sequence counts as one character, as it did before.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kest::utf8 {

// The length of the valid UTF-8 sequence starting at s[i], or 0 when none starts there.
inline std::size_t SequenceAt(std::string_view s, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  auto cont = [&](std::size_t k) { return k < s.size() && (byte(k) & 0xC0) == 0x80; };
  unsigned char c = byte(i);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return cont(i + 1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (!cont(i + 1) || !cont(i + 2)) return 0;
    unsigned char d = byte(i + 1);
    if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d > 0x9F)) return 0;  // overlong, surrogates
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (!cont(i + 1) || !cont(i + 2) || !cont(i + 3)) return 0;
    unsigned char d = byte(i + 1);
    if ((c == 0xF0 && d < 0x90) || (c == 0xF4 && d > 0x8F)) return 0;
    return 4;
  }
  return 0;
}

// The character of the valid sequence of n bytes (as SequenceAt gives it, 1 to 4) at s[i].
inline char32_t CodePointAt(std::string_view s, std::size_t i, std::size_t n) {
  auto byte = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k])); };
  switch (n) {
    case 2: return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3: return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    case 4: return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    default: return byte(0);
  }
}

// The character's UTF-8 bytes at the end of out.
inline void AppendCodePoint(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

inline bool IsValid(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    std::size_t n = SequenceAt(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// Characters: one for each UTF-8 sequence, and one for each byte outside any.
inline std::size_t Characters(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); ++count) {
    std::size_t n = SequenceAt(s, i);
    i += n ? n : 1;
  }
  return count;
}

// What Windows counts: UTF-16 units (a character beyond the first 65,536 takes two).
inline std::size_t Utf16Units(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t n = SequenceAt(s, i);
    count += n == 4 ? 2 : 1;
    i += n ? n : 1;
  }
  return count;
}

// The longest start of s of at most maxUnits UTF-16 units, never cut inside a character.
inline std::string CutToUtf16Units(std::string_view s, std::size_t maxUnits) {
  std::size_t units = 0, i = 0;
  while (i < s.size()) {
    std::size_t n = SequenceAt(s, i);
    std::size_t u = n == 4 ? 2 : 1;
    if (units + u > maxUnits) break;
    units += u;
    i += n ? n : 1;
  }
  return std::string(s.substr(0, i));
}

// The text with every line that is not valid UTF-8 taken through fromLegacy (the system's own
// code page): a file written by an older Kest keeps its names. Line ends stay as they are.
inline std::string LegacyLinesToUtf8(std::string_view text,
                                     const std::function<std::string(std::string_view)>& fromLegacy) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(start, end - start);
    out += IsValid(line) ? std::string(line) : fromLegacy(line);
    start = end;
  }
  return out;
}

}  // namespace kest::utf8
