#pragma once
// What a target is, told from its first bytes alone: the kind of file, the machine it is for,
// PE32 or PE32+, the PE time stamp and the size. The bytes are hostile: nothing outside them is
// followed and no offset or count they hold is trusted.
#include <cstdint>
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
  std::uint32_t machOType = 0;     // Mach-O: filetype
  std::vector<Machine> fatMachines;  // MachOFat: the machines of the images listed in the bytes read
  std::uint32_t fatCount = 0;        // MachOFat: how many images the header says
  std::string script;              // Script: what kind ("Batch script", ...)
  std::uint64_t size = 0;
};

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
