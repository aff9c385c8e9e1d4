#pragma once
// Programs and icon files made by the tests themselves, byte by byte as a linker or an icon
// editor lays them out: a PE32 or PE32+ with one resource section holding an icon group and its
// 16-pixel icon of one colour, or one whose resources lie in one of the ways malware ships them.
// Plain C++, for every test tree.
#include <cstdint>
#include <string>

namespace kest::testutil {

enum class IconFlaw {
  None,
  NoResources,        // a program without any icon
  GroupClaimsTooMany, // the icon group lists 32,767 icons and holds one
  PastTheEnd,         // the icon's data entry points far beyond the file, with a huge size
  LyingBitmap,        // the icon's bitmap header claims 32,767 x 32,767 pixels
  LyingPng,           // the icon is a PNG whose header claims 65,535 x 65,535 pixels
  LoopingDirectory,   // a resource directory entry leads back to the root directory
  CutInDirectory,     // the file ends inside its resource directory
};

namespace pe_detail {
inline void Put(std::string& b, std::size_t at, std::uint64_t v, int bytes) {
  if (b.size() < at + static_cast<std::size_t>(bytes)) b.resize(at + static_cast<std::size_t>(bytes));
  for (int i = 0; i < bytes; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i) & 0xFF);
}
// A 16 x 16, 32-bit icon image: its bitmap header, the colour rows (bottom up) and the mask.
inline std::string IconImage(std::uint32_t colour, IconFlaw flaw) {
  std::string b;
  if (flaw == IconFlaw::LyingPng) {
    b = std::string("\x89PNG\r\n\x1A\n", 8);
    Put(b, 8, 0x0D000000, 4);  // IHDR length 13, big-endian
    b += "IHDR";
    Put(b, 16, 0xFFFF0000, 4);  // width 65535, big-endian
    Put(b, 20, 0xFFFF0000, 4);  // height 65535
    b += std::string("\x08\x06\0\0\0", 5);
    b += std::string(4, '\0');  // a CRC that is no CRC, and no image data
    return b;
  }
  const std::uint32_t side = flaw == IconFlaw::LyingBitmap ? 0x7FFF : 16;
  Put(b, 0, 40, 4);
  Put(b, 4, side, 4);
  Put(b, 8, side * 2, 4);
  Put(b, 12, 1, 2);
  Put(b, 14, 32, 2);
  b.resize(40);
  for (int i = 0; i < 16 * 16; ++i) Put(b, b.size(), 0xFF000000u | colour, 4);
  b.append(16 * 4, '\0');  // the mask: every pixel drawn
  return b;
}
}  // namespace pe_detail

// A program of one 16-pixel icon of that colour (0xRRGGBB), with the flaw.
inline std::string IconProgram(std::uint32_t colour, IconFlaw flaw = IconFlaw::None, bool plus = false) {
  using pe_detail::Put;
  constexpr std::uint32_t kRsrcRva = 0x1000, kRsrcAt = 0x200;
  const bool resources = flaw != IconFlaw::NoResources;
  // The resource section: root (icons, groups), a name level and a language level for each, two
  // data entries, then the group and the image.
  std::string r;
  auto directory = [&r](std::size_t at, std::uint32_t id, std::uint32_t to) {
    Put(r, at + 14, 1, 2);  // one entry, by id
    Put(r, at + 16, id, 4);
    Put(r, at + 20, to, 4);
  };
  const std::uint32_t root = 0, iconNames = 0x20, iconLangs = 0x38, groupNames = 0x50, groupLangs = 0x68;
  const std::uint32_t iconEntry = 0x80, groupEntry = 0x90, groupData = 0xA0, imageData = 0xC0;
  const std::string image = pe_detail::IconImage(colour, flaw);
  Put(r, root + 14, 2, 2);
  Put(r, root + 16, 3, 4);  // RT_ICON
  Put(r, root + 20, 0x80000000u | iconNames, 4);
  Put(r, root + 24, 14, 4);  // RT_GROUP_ICON
  Put(r, root + 28, 0x80000000u | groupNames, 4);
  directory(iconNames, 1, 0x80000000u | (flaw == IconFlaw::LoopingDirectory ? root : iconLangs));
  directory(iconLangs, 0x409, iconEntry);
  directory(groupNames, 1, 0x80000000u | (flaw == IconFlaw::LoopingDirectory ? root : groupLangs));
  directory(groupLangs, 0x409, groupEntry);
  const bool beyond = flaw == IconFlaw::PastTheEnd;
  Put(r, iconEntry, beyond ? 0x7FFF0000u : kRsrcRva + imageData, 4);
  Put(r, iconEntry + 4, beyond ? 0x7FFFFFF0u : image.size(), 4);
  Put(r, groupEntry, kRsrcRva + groupData, 4);
  Put(r, groupEntry + 4, 20, 4);
  Put(r, groupData + 2, 1, 2);  // icons
  Put(r, groupData + 4, flaw == IconFlaw::GroupClaimsTooMany ? 0x7FFF : 1, 2);
  r[groupData + 6] = 16;
  r[groupData + 7] = 16;
  Put(r, groupData + 10, 1, 2);
  Put(r, groupData + 12, 32, 2);
  Put(r, groupData + 14, beyond ? 0x7FFFFFF0u : image.size(), 4);
  Put(r, groupData + 18, 1, 2);
  r.resize(imageData);
  r += image;
  const std::uint32_t rsrcSize = static_cast<std::uint32_t>(r.size());
  const std::uint32_t rawSize = (rsrcSize + 0x1FF) & ~0x1FFu;

  std::string b(kRsrcAt, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put(b, 0x3C, 0x40, 4);
  b.replace(0x40, 4, std::string("PE\0\0", 4));
  const std::size_t coff = 0x44, opt = coff + 20;
  const std::uint16_t optSize = plus ? 240 : 224;
  Put(b, coff, plus ? 0x8664 : 0x14C, 2);
  Put(b, coff + 2, resources ? 1 : 0, 2);
  Put(b, coff + 16, optSize, 2);
  Put(b, coff + 18, plus ? 0x0022 : 0x0102, 2);
  Put(b, opt, plus ? 0x20B : 0x10B, 2);
  Put(b, opt + (plus ? 24 : 28), 0x400000, plus ? 8 : 4);  // image base
  Put(b, opt + 32, 0x1000, 4);  // section alignment
  Put(b, opt + 36, 0x200, 4);   // file alignment
  Put(b, opt + 40, 4, 2);       // system version 4.0
  Put(b, opt + 48, 4, 2);       // subsystem version 4.0
  Put(b, opt + 56, kRsrcRva + ((rsrcSize + 0xFFF) & ~0xFFFu), 4);  // image size
  Put(b, opt + 60, kRsrcAt, 4);                                       // headers
  Put(b, opt + 68, 2, 2);                                             // GUI
  const std::size_t directories = opt + (plus ? 108 : 92);
  Put(b, directories, 16, 4);
  if (resources) {
    Put(b, directories + 4 + 2 * 8, kRsrcRva, 4);
    Put(b, directories + 4 + 2 * 8 + 4, rsrcSize, 4);
    const std::size_t section = opt + optSize;
    b.replace(section, 5, ".rsrc");
    Put(b, section + 8, rsrcSize, 4);
    Put(b, section + 12, kRsrcRva, 4);
    Put(b, section + 16, rawSize, 4);
    Put(b, section + 20, kRsrcAt, 4);
    Put(b, section + 36, 0x40000040, 4);
    r.resize(rawSize);
    b += r;
  }
  if (flaw == IconFlaw::CutInDirectory) b.resize(kRsrcAt + iconLangs + 10);
  return b;
}

// An .ico file of one 16-pixel icon of that colour; GroupClaimsTooMany and PastTheEnd break its
// directory as they break a program's.
inline std::string IconFile(std::uint32_t colour, IconFlaw flaw = IconFlaw::None) {
  using pe_detail::Put;
  const std::string image = pe_detail::IconImage(colour, flaw);
  std::string b;
  Put(b, 2, 1, 2);
  Put(b, 4, flaw == IconFlaw::GroupClaimsTooMany ? 0x7FFF : 1, 2);
  b.resize(6 + 16);
  b[6] = 16;
  b[7] = 16;
  Put(b, 10, 1, 2);
  Put(b, 12, 32, 2);
  Put(b, 14, flaw == IconFlaw::PastTheEnd ? 0x7FFFFFF0u : image.size(), 4);
  Put(b, 18, flaw == IconFlaw::PastTheEnd ? 0x7FFF0000u : 22, 4);
  return b + image;
}

}  // namespace kest::testutil
