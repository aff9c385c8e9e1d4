#include "targets/file_facts.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace kest {

namespace {

// The bytes read, asked only for what lies inside them: every offset and count is 64-bit, so no
// sum of two 32-bit fields can wrap.
class Bytes {
 public:
  explicit Bytes(std::string_view bytes) : b_(bytes) {}
  bool has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= b_.size() && count <= b_.size() - offset;
  }
  bool at(std::uint64_t offset, std::string_view magic) const {
    return has(offset, magic.size()) && b_.substr(static_cast<std::size_t>(offset), magic.size()) == magic;
  }
  std::uint8_t u8(std::uint64_t o) const { return has(o, 1) ? static_cast<std::uint8_t>(b_[o]) : 0; }
  std::uint16_t u16(std::uint64_t o, bool bigEndian = false) const {
    if (!has(o, 2)) return 0;
    return bigEndian ? static_cast<std::uint16_t>(u8(o) << 8 | u8(o + 1))
                     : static_cast<std::uint16_t>(u8(o + 1) << 8 | u8(o));
  }
  std::uint32_t u32(std::uint64_t o, bool bigEndian = false) const {
    if (!has(o, 4)) return 0;
    const std::uint32_t a = u16(o, bigEndian), b = u16(o + 2, bigEndian);
    return bigEndian ? a << 16 | b : b << 16 | a;
  }
  std::uint64_t u64(std::uint64_t o, bool bigEndian = false) const {
    if (!has(o, 8)) return 0;
    const std::uint64_t a = u32(o, bigEndian), b = u32(o + 4, bigEndian);
    return bigEndian ? a << 32 | b : b << 32 | a;
  }

 private:
  std::string_view b_;
};

using namespace std::string_view_literals;

Machine PeMachine(std::uint16_t m) {
  switch (m) {
    case 0x014C: return Machine::X86;
    case 0x8664: return Machine::X64;
    case 0xAA64:
    case 0xA641: return Machine::Arm64;  // also ARM64EC
    case 0x01C0:
    case 0x01C2:
    case 0x01C4: return Machine::Arm;
    case 0x0200: return Machine::Ia64;
    case 0x0166:
    case 0x0169: return Machine::Mips;
    case 0x01F0:
    case 0x01F1: return Machine::PowerPc;
    case 0x5032:
    case 0x5064: return Machine::RiscV;
    default: return Machine::Unknown;
  }
}

Machine ElfMachine(std::uint16_t m) {
  switch (m) {
    case 3: return Machine::X86;
    case 62: return Machine::X64;
    case 183: return Machine::Arm64;
    case 40: return Machine::Arm;
    case 50: return Machine::Ia64;
    case 8: return Machine::Mips;
    case 20: return Machine::PowerPc;
    case 21: return Machine::PowerPc64;
    case 243: return Machine::RiscV;
    default: return Machine::Unknown;
  }
}

Machine MachOMachine(std::uint32_t cpu) {
  switch (cpu) {
    case 7: return Machine::X86;
    case 0x01000007: return Machine::X64;
    case 12: return Machine::Arm;
    case 0x0100000C: return Machine::Arm64;
    case 18: return Machine::PowerPc;
    case 0x01000012: return Machine::PowerPc64;
    default: return Machine::Unknown;
  }
}

// Where in the file the data directory [rva, rva + size) lies, when it lies in the raw data of
// one of the sections the bytes read hold, and that raw data inside the file.
std::optional<std::uint64_t> MapsIntoFile(const Bytes& b, std::uint64_t sectionTable, std::uint32_t sections,
                                          std::uint32_t rva, std::uint32_t size, std::uint64_t fileSize) {
  constexpr std::uint64_t kSectionHeader = 40;
  for (std::uint64_t i = 0; i < sections; ++i) {
    const std::uint64_t s = sectionTable + i * kSectionHeader;
    // A count that claims more headers than were read ends at the last one read.
    if (!b.has(s, kSectionHeader)) return std::nullopt;
    const std::uint64_t va = b.u32(s + 12), rawSize = b.u32(s + 16), rawAt = b.u32(s + 20);
    if (rva < va || std::uint64_t{rva} + size > va + rawSize) continue;
    const std::uint64_t at = rawAt + (rva - va);
    if (at + size > fileSize) return std::nullopt;
    return at;
  }
  return std::nullopt;
}

// "MZ" seen: a PE behind it, or an MS-DOS program.
void ReadMz(const Bytes& b, std::uint64_t fileSize, FileFacts& f) {
  f.kind = FileKind::MsDos;
  if (!b.has(0x3C, 4)) return;
  const std::uint64_t pe = b.u32(0x3C);
  constexpr std::uint64_t kCoffHeader = 20;
  if (!b.at(pe, "PE\0\0"sv) || !b.has(pe + 4, kCoffHeader)) return;
  const std::uint64_t coff = pe + 4;
  f.machine = PeMachine(b.u16(coff));
  const std::uint32_t sections = b.u16(coff + 2);
  f.timeStamp = b.u32(coff + 4);
  const std::uint64_t optionalSize = b.u16(coff + 16);
  f.library = (b.u16(coff + 18) & 0x2000) != 0;  // IMAGE_FILE_DLL
  f.kind = f.library ? FileKind::PeDll : FileKind::PeExecutable;
  const std::uint64_t opt = coff + kCoffHeader;
  // What the optional header holds counts only within the size the COFF header gives it.
  auto inOptional = [&](std::uint64_t offset, std::uint64_t count) {
    return offset + count <= optionalSize && b.has(opt + offset, count);
  };
  if (!inOptional(0, 2)) return;
  const std::uint16_t magic = b.u16(opt);
  if (magic == 0x10B) f.bits = 32;
  else if (magic == 0x20B) f.bits = 64;
  else return;
  if (inOptional(68, 2) && b.u16(opt + 68) == 1) f.kind = FileKind::PeDriver;  // IMAGE_SUBSYSTEM_NATIVE
  const std::uint64_t countAt = f.bits == 64 ? 108 : 92, directories = countAt + 4;
  constexpr std::uint64_t kCliHeader = 14, kDirectory = 8;
  if (!inOptional(countAt, 4) || b.u32(opt + countAt) <= kCliHeader) return;
  const std::uint64_t cli = directories + kCliHeader * kDirectory;
  if (!inOptional(cli, kDirectory)) return;
  const std::uint32_t rva = b.u32(opt + cli), size = b.u32(opt + cli + 4);
  if (rva == 0 || size == 0) return;
  const std::optional<std::uint64_t> at = MapsIntoFile(b, opt + optionalSize, sections, rva, size, fileSize);
  if (!at) return;
  f.kind = FileKind::DotNet;
  // IMAGE_COR20_HEADER: its flags, only from a header the bytes read hold whole.
  constexpr std::uint64_t kCorHeader = 72, kFlags = 16;
  if (b.has(*at, kCorHeader)) f.clrFlags = b.u32(*at + kFlags);
}

void ReadElf(const Bytes& b, FileFacts& f) {
  f.kind = FileKind::Elf;
  const std::uint8_t cls = b.u8(4);
  f.bits = cls == 1 ? 32 : cls == 2 ? 64 : 0;
  const bool big = b.u8(5) == 2;
  if (!b.has(16, 4)) return;
  f.elfType = b.u16(16, big);
  f.machine = ElfMachine(b.u16(18, big));
  // A position-independent executable is an ET_DYN too: what tells it from a shared object is
  // the program interpreter it names. Only the program headers the bytes read hold count.
  const bool wide = f.bits == 64;
  const std::uint64_t table = wide ? b.u64(32, big) : b.u32(28, big);
  const std::uint64_t entrySize = b.u16(wide ? 54 : 42, big), entries = b.u16(wide ? 56 : 44, big);
  constexpr std::uint32_t kInterpreter = 3;  // PT_INTERP
  // A table that starts past the bytes read holds nothing to read (nor can its sums wrap).
  if (f.bits != 0 && entrySize >= 4 && table < kFactsHeadBytes) {
    for (std::uint64_t i = 0; i < entries && b.has(table + i * entrySize, 4) && !f.interpreter; ++i)
      f.interpreter = b.u32(table + i * entrySize, big) == kInterpreter;
  }
  f.library = f.elfType == 3 && !f.interpreter;  // ET_DYN
}

void ReadMachO(const Bytes& b, bool big, int bits, FileFacts& f) {
  f.kind = FileKind::MachO;
  f.bits = bits;
  if (!b.has(4, 12)) return;
  f.machine = MachOMachine(b.u32(4, big));
  f.machOType = b.u32(12, big);
  f.library = f.machOType == 6;  // MH_DYLIB
}

// 0xCAFEBABE is also a Java class file's magic: a universal binary lists a handful of images,
// where a class file has its version (45 and up) in the same place.
bool ReadFat(const Bytes& b, bool wide, FileFacts& f) {
  const std::uint32_t count = b.u32(4, true);
  constexpr std::uint32_t kMostImages = 30;
  if (count == 0 || count > kMostImages) return false;
  f.kind = FileKind::MachOFat;
  f.fatCount = count;
  const std::uint64_t stride = wide ? 32 : 20;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t entry = 8 + i * stride;
    if (!b.has(entry, stride)) break;
    f.fatMachines.push_back(MachOMachine(b.u32(entry, true)));
  }
  return true;
}

std::string ScriptKind(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return std::string();
  const std::string ext = AsciiLowered(fileName.substr(dot + 1));
  static constexpr std::pair<std::string_view, std::string_view> kScripts[] = {
      {"bat", "Batch script"},       {"cmd", "Batch script"},        {"ps1", "PowerShell script"},
      {"psm1", "PowerShell script"}, {"psd1", "PowerShell script"},  {"vbs", "VBScript"},
      {"vbe", "VBScript"},           {"js", "JScript"},              {"jse", "JScript"},
      {"wsf", "Windows Script File"}, {"wsh", "Windows Script File"}, {"hta", "HTML application"},
      {"py", "Python script"},       {"pyw", "Python script"},       {"sh", "Shell script"},
      {"pl", "Perl script"},         {"rb", "Ruby script"},          {"lua", "Lua script"},
      {"ahk", "AutoHotkey script"},  {"au3", "AutoIt script"},
  };
  for (const auto& [e, kind] : kScripts)
    if (ext == e) return std::string(kind);
  return std::string();
}

}  // namespace

FileFacts ReadFileFacts(std::string_view head, std::uint64_t size, std::string_view fileName) {
  FileFacts f;
  f.size = size;
  const Bytes b(head.substr(0, std::min(head.size(), kFactsHeadBytes)));
  const std::uint32_t le = b.u32(0);
  if (b.at(0, "MZ")) {
    ReadMz(b, size, f);
  } else if (b.at(0, "\x7F" "ELF")) {
    ReadElf(b, f);
  } else if (b.has(0, 4) && (le == 0xFEEDFACE || le == 0xFEEDFACF || le == 0xCEFAEDFE || le == 0xCFFAEDFE)) {
    ReadMachO(b, le == 0xCEFAEDFE || le == 0xCFFAEDFE, (le & 0xFF) == 0xCF || (le >> 24) == 0xCF ? 64 : 32, f);
  } else if ((b.at(0, "\xCA\xFE\xBA\xBE") || b.at(0, "\xCA\xFE\xBA\xBF")) && ReadFat(b, b.u8(3) == 0xBF, f)) {
  } else if (b.at(0, "PK\x03\x04") || b.at(0, "PK\x05\x06") || b.at(0, "PK\x07\x08")) {
    f.kind = FileKind::Zip;
  } else if (b.at(0, "7z\xBC\xAF\x27\x1C")) {
    f.kind = FileKind::SevenZip;
  } else if (b.at(0, "Rar!\x1A\x07")) {
    f.kind = FileKind::Rar;
  } else if (b.at(0, "MSCF\0\0\0\0"sv)) {
    f.kind = FileKind::Cab;
  } else if (b.at(0, "\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46"sv)) {
    f.kind = FileKind::Lnk;
  } else if (std::string kind = ScriptKind(fileName); !kind.empty()) {
    f.kind = FileKind::Script;
    f.script = std::move(kind);
  }
  return f;
}

std::string WithThousands(std::uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string UtcDate(std::uint32_t secondsSince1970) {
  // Days to a civil date in the proleptic Gregorian calendar, by 400-year eras.
  const std::int64_t z = secondsSince1970 / 86400 + 719468;
  const std::int64_t era = z / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  auto two = [](std::int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  return std::to_string(year) + "-" + two(month) + "-" + two(day);
}

std::string MachineName(Machine machine) {
  switch (machine) {
    case Machine::X86: return "x86";
    case Machine::X64: return "x64";
    case Machine::Arm64: return "ARM64";
    case Machine::Arm: return "ARM";
    case Machine::Ia64: return "IA-64";
    case Machine::Mips: return "MIPS";
    case Machine::PowerPc: return "PowerPC";
    case Machine::PowerPc64: return "PowerPC 64";
    case Machine::RiscV: return "RISC-V";
    case Machine::Unknown: break;
  }
  return std::string();
}

ClrPlatform ClrPlatformOf(const FileFacts& f) {
  if (f.kind != FileKind::DotNet || !f.clrFlags) return ClrPlatform::Unknown;
  constexpr std::uint32_t kIlOnly = 0x1, k32BitRequired = 0x2, k32BitPreferred = 0x20000;
  const std::uint32_t flags = *f.clrFlags;
  if (!(flags & kIlOnly)) return ClrPlatform::MixedMode;
  if (f.machine != Machine::X86) return ClrPlatform::OneMachine;
  // "Preferred" counts for an executable, which makes its process; a DLL is loaded into
  // whatever process loads it, as AnyCPU.
  if (flags & k32BitPreferred) return f.library ? ClrPlatform::AnyCpu : ClrPlatform::AnyCpu32BitPreferred;
  return (flags & k32BitRequired) ? ClrPlatform::X86 : ClrPlatform::AnyCpu;
}

bool RunsAsX86(const FileFacts* f, bool windows64) {
  if (!f) return false;
  switch (f->kind) {
    case FileKind::PeExecutable:
    case FileKind::PeDll:
    case FileKind::PeDriver:
      // Without its optional header's magic the loader would take the file for no image.
      return f->bits != 0 && f->machine == Machine::X86;
    case FileKind::DotNet:
      switch (ClrPlatformOf(*f)) {
        case ClrPlatform::AnyCpu: return !windows64;
        case ClrPlatform::AnyCpu32BitPreferred:
        case ClrPlatform::X86: return true;
        case ClrPlatform::MixedMode: return f->machine == Machine::X86;
        case ClrPlatform::OneMachine:
        case ClrPlatform::Unknown: return false;
      }
      return false;
    default:
      return false;
  }
}

namespace {

// The CPU a .NET assembly is run or loaded for, as the loader sees it; the machine as the PE
// header names it when the CLI header was not read.
std::string ClrPlatformText(const FileFacts& f) {
  const std::string machine = MachineName(f.machine);
  switch (ClrPlatformOf(f)) {
    case ClrPlatform::AnyCpu: return "AnyCPU";
    case ClrPlatform::AnyCpu32BitPreferred: return "AnyCPU, 32-bit preferred";
    case ClrPlatform::X86: return "x86";
    case ClrPlatform::MixedMode: return machine.empty() ? "mixed-mode" : "mixed-mode, " + machine;
    case ClrPlatform::OneMachine:
    case ClrPlatform::Unknown: break;
  }
  return machine;
}

std::string KindText(const FileFacts& f) {
  const std::string pe = f.bits == 64 ? "PE32+" : f.bits == 32 ? "PE32" : "PE";
  const std::string bits = f.bits ? " " + std::to_string(f.bits) + "-bit" : std::string();
  switch (f.kind) {
    case FileKind::PeExecutable: return pe + " executable";
    case FileKind::PeDll: return pe + " DLL";
    case FileKind::PeDriver: return pe + " driver";
    case FileKind::DotNet: return pe + (f.library ? " .NET DLL" : " .NET executable");
    case FileKind::MsDos: return "MS-DOS executable";
    case FileKind::Elf: {
      static constexpr const char* kTypes[] = {"file", "relocatable", "executable", "shared object", "core dump"};
      // A position-independent executable is a shared object that names its interpreter.
      if (f.elfType == 3 && f.interpreter) return "ELF" + bits + " executable";
      return "ELF" + bits + " " + (f.elfType < 5 ? kTypes[f.elfType] : "file");
    }
    case FileKind::MachO: {
      const char* type = f.machOType == 1 ? "object" : f.machOType == 2 ? "executable" : f.machOType == 6 ? "dylib"
                         : f.machOType == 8 ? "bundle" : "file";
      return "Mach-O" + bits + " " + type;
    }
    case FileKind::MachOFat:
      return "Mach-O universal binary (" + std::to_string(f.fatCount) + (f.fatCount == 1 ? " image)" : " images)");
    case FileKind::Zip: return "ZIP archive";
    case FileKind::SevenZip: return "7z archive";
    case FileKind::Rar: return "RAR archive";
    case FileKind::Cab: return "CAB archive";
    case FileKind::Lnk: return "Shortcut (LNK)";
    case FileKind::Script: return f.script;
    case FileKind::Other: break;
  }
  return "Other file";
}

}  // namespace

std::string FactsLine(const FileFacts& f) {
  std::string line = KindText(f);
  if (f.kind == FileKind::MachOFat) {
    std::string machines;
    std::vector<Machine> named;
    for (Machine m : f.fatMachines) {
      if (m == Machine::Unknown || std::find(named.begin(), named.end(), m) != named.end()) continue;
      named.push_back(m);
      machines += (machines.empty() ? "" : " + ") + MachineName(m);
    }
    if (!machines.empty()) line += ", " + machines;
  } else if (const std::string machine = f.kind == FileKind::DotNet ? ClrPlatformText(f) : MachineName(f.machine);
             !machine.empty()) {
    line += ", " + machine;
  }
  line += ", " + WithThousands(f.size) + (f.size == 1 ? " byte" : " bytes");
  if (f.timeStamp != 0) line += ", built " + UtcDate(f.timeStamp);
  return line;
}

}  // namespace kest
