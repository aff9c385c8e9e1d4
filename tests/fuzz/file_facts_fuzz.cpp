// The facts of a target read from hostile bytes. Each kind is checked against the magic bytes
// it stands for, read here a second, plainer way; a bigger file may only find a .NET header
// that a smaller one could not hold.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "targets/file_facts.h"

using namespace kest;

namespace {

bool StartsWith(std::string_view b, std::string_view magic) { return b.substr(0, magic.size()) == magic; }

std::uint16_t Le16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t Le32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

bool IsPe(FileKind k) {
  return k == FileKind::PeExecutable || k == FileKind::PeDll || k == FileKind::PeDriver || k == FileKind::DotNet;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view b = fuzz::AsText(data, size);
  const FileFacts f = ReadFileFacts(b, size, "sample.bin");

  if (IsPe(f.kind)) {
    // "MZ", and "PE\0\0" with a whole COFF header behind it inside the bytes read.
    KEST_FUZZ_CHECK(StartsWith(b, "MZ") && size >= 0x40);
    const std::uint64_t pe = Le32(b, 0x3C);
    KEST_FUZZ_CHECK(pe + 24 <= size);
    KEST_FUZZ_CHECK(std::memcmp(b.data() + pe, "PE\0\0", 4) == 0);
  } else {
    KEST_FUZZ_CHECK(f.timeStamp == 0);
  }
  KEST_FUZZ_CHECK((f.kind == FileKind::MsDos || IsPe(f.kind)) == StartsWith(b, "MZ"));
  KEST_FUZZ_CHECK((f.kind == FileKind::Elf) == StartsWith(b, "\x7F" "ELF"));
  if (f.kind == FileKind::MachO) {
    const std::uint32_t m = Le32(b, 0);
    KEST_FUZZ_CHECK(m == 0xFEEDFACE || m == 0xFEEDFACF || m == 0xCEFAEDFE || m == 0xCFFAEDFE);
  }
  if (f.kind == FileKind::MachOFat) {
    KEST_FUZZ_CHECK(StartsWith(b, "\xCA\xFE\xBA\xBE") || StartsWith(b, "\xCA\xFE\xBA\xBF"));
    KEST_FUZZ_CHECK(f.fatCount >= 1 && f.fatCount <= 30 && f.fatMachines.size() <= f.fatCount);
  }
  KEST_FUZZ_CHECK((f.kind == FileKind::Zip) ==
                  (StartsWith(b, "PK\x03\x04") || StartsWith(b, "PK\x05\x06") || StartsWith(b, "PK\x07\x08")));
  KEST_FUZZ_CHECK((f.kind == FileKind::Rar) == StartsWith(b, "Rar!\x1A\x07"));
  KEST_FUZZ_CHECK(f.kind != FileKind::Script);
  KEST_FUZZ_CHECK(f.bits == 0 || f.bits == 32 || f.bits == 64);

  // Which twin of a pair of tools runs: only a PE whose COFF header names i386 picks the 32-bit
  // one, and what picks it on a 64-bit Windows picks it on a 32-bit one too; only a .NET
  // assembly (AnyCPU) answers differently on the two.
  const bool on32 = RunsAsX86(&f, false), on64 = RunsAsX86(&f, true);
  if (on32) KEST_FUZZ_CHECK(IsPe(f.kind) && Le16(b, Le32(b, 0x3C) + 4) == 0x14C);
  KEST_FUZZ_CHECK(!on64 || on32);
  KEST_FUZZ_CHECK(on32 == on64 || f.kind == FileKind::DotNet);
  KEST_FUZZ_CHECK(!f.clrFlags || f.kind == FileKind::DotNet);
  KEST_FUZZ_CHECK(!f.interpreter || f.kind == FileKind::Elf);

  const std::string line = FactsLine(f);
  KEST_FUZZ_CHECK(line.find(WithThousands(size)) != std::string::npos);

  // The same bytes named as a script: only a file no magic claimed becomes one.
  const FileFacts named = ReadFileFacts(b, size, "C:\\w\\sample.BAT");
  KEST_FUZZ_CHECK(named.kind == (f.kind == FileKind::Other ? FileKind::Script : f.kind));

  // A file far bigger than the bytes read: offsets may now fit, sums must not wrap.
  const FileFacts huge = ReadFileFacts(b, UINT64_MAX, "sample.bin");
  KEST_FUZZ_CHECK(huge.kind == f.kind || (huge.kind == FileKind::DotNet && IsPe(f.kind)));
  FactsLine(huge);
  return 0;
}
