#pragma once
// The first bytes of a program as a linker writes them, shared by the Windows test trees: enough
// for Kest to tell a PE32 (i386) from a PE32+ (AMD64) program, and nothing more.
#include <cstdint>
#include <string>

namespace kest::testutil {

inline std::string PeHead(bool plus) {
  std::string b(0x200, '\0');
  auto put16 = [&](std::size_t at, std::uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
  };
  b[0] = 'M';
  b[1] = 'Z';
  b[0x3C] = 0x40;  // e_lfanew
  b.replace(0x40, 4, std::string("PE\0\0", 4));
  put16(0x44, plus ? 0x8664 : 0x14C);  // machine
  put16(0x54, plus ? 0xF0 : 0xE0);     // size of the optional header
  put16(0x56, 0x0102);                 // an executable
  put16(0x58, plus ? 0x20B : 0x10B);   // PE32+ or PE32
  return b;
}

}  // namespace kest::testutil
