#pragma once
// What a target is, told from its first bytes alone: the kind of file, the machine it is for,
// PE32 or PE32+, the PE time stamp and the size. The bytes are hostile: nothing outside them is
// followed and no offset or count they hold is trusted.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

// The most bytes of a target the facts are read from.
inline constexpr std::size_t kFactsHeadBytes = 64 * 1024;

enum class FileKind {
  Other,
  PeExecutable,
  PeDll,
  PeDriver,  // the native subsystem
  DotNet,    // a PE whose CLI header directory points into the file
  MsDos,     // "MZ" without a PE header behind it
  Elf,
  MachO,
  MachOFat,  // several Mach-O images, one per machine
  Zip,
  SevenZip,
  Rar,
  Cab,
  Lnk,
  Script,  // by its extension
};

enum class Machine { Unknown, X86, X64, Arm64, Arm, Ia64, Mips, PowerPc, PowerPc64, RiscV };

struct FileFacts {
  FileKind kind = FileKind::Other;
  Machine machine = Machine::Unknown;
  int bits = 0;                    // 32 or 64 where the header says (PE32 / PE32+, ELF, Mach-O)
  std::uint32_t timeStamp = 0;     // PE: seconds since 1970 (UTC); 0 when there is none
  bool library = false;            // a DLL, shared object or dylib (also of a .NET assembly)
  std::uint16_t elfType = 0;       // ELF: e_type
  bool interpreter = false;        // ELF: a program interpreter is named (PT_INTERP)
  // .NET: the CLI header's flags, when the bytes read hold the whole header.
  std::optional<std::uint32_t> clrFlags;
  std::uint32_t machOType = 0;     // Mach-O: filetype
  std::vector<Machine> fatMachines;  // MachOFat: the machines of the images listed in the bytes read
  std::uint32_t fatCount = 0;        // MachOFat: how many images the header says
  std::string script;              // Script: what kind ("Batch script", ...)
  std::uint64_t size = 0;
};

// How the loader runs or loads a .NET assembly, from its CLI header's flags and its machine.
enum class ClrPlatform {
  Unknown,               // the CLI header was not in the bytes read
  AnyCpu,                // IL only, machine i386: a 64-bit process on a 64-bit Windows
  AnyCpu32BitPreferred,  // the same, but an executable runs as a 32-bit process everywhere
  X86,                   // 32-bit required
  OneMachine,            // IL only, for the machine it names (x64, ARM64, ...)
  MixedMode,             // native code beside the IL: the machine's alone
};
ClrPlatform ClrPlatformOf(const FileFacts& facts);

// Whether the target runs, or is loaded, as a 32-bit x86 process on this Windows (windows64: a
// 64-bit one), as far as its first bytes tell for sure: a PE for i386, a .NET assembly that
// requires or prefers 32 bits, or one of AnyCPU on a 32-bit Windows. This picks the 32-bit twin
// of a pair of tools. No facts, a file that is no PE, a header cut short: no.
bool RunsAsX86(const FileFacts* facts, bool windows64);

// head: the file's first bytes (at most kFactsHeadBytes are looked at); size: the whole file's;
// fileName: for the scripts, known by their extension.
FileFacts ReadFileFacts(std::string_view head, std::uint64_t size, std::string_view fileName);

// The tooltip line: "PE32+ DLL, x64, 1,234,567 bytes, built 2024-01-02".
std::string FactsLine(const FileFacts& facts);

// "1,234,567".
std::string WithThousands(std::uint64_t n);
// "2024-01-02": the UTC date of seconds since 1970.
std::string UtcDate(std::uint32_t secondsSince1970);
std::string MachineName(Machine machine);

}  // namespace kest
