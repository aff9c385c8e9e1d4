#include "targets/file_facts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace kest;

namespace {

void Put16(std::string& b, std::size_t at, std::uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
void Put32Be(std::string& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

struct Section {
  std::uint32_t va, rawSize, rawAt;
};

// A PE image as a linker lays it out: DOS header, "PE\0\0" at 0x80, COFF and optional header
// with 16 data directories, then the section headers, padded to 0x400.
struct PeImage {
  std::uint16_t machine = 0x14C;
  bool plus = false;
  std::uint16_t characteristics = 0x0102;
  std::uint16_t subsystem = 2;
  std::uint32_t timeStamp = 1704153600;  // 2024-01-02
  std::uint32_t cliRva = 0, cliSize = 0;
  std::uint32_t directories = 16;
  std::vector<Section> sections;
  std::uint16_t sectionCount = 0xFFFF;  // 0xFFFF: as many as given
  std::uint32_t lfanew = 0x80;

  std::string Bytes() const {
    std::string b(0x400, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, lfanew);
    const std::size_t pe = 0x80;
    b.replace(pe, 4, std::string("PE\0\0", 4));
    const std::size_t coff = pe + 4;
    const std::uint16_t optionalSize = plus ? 240 : 224;
    Put16(b, coff, machine);
    Put16(b, coff + 2, sectionCount == 0xFFFF ? static_cast<std::uint16_t>(sections.size()) : sectionCount);
    Put32(b, coff + 4, timeStamp);
    Put16(b, coff + 16, optionalSize);
    Put16(b, coff + 18, characteristics);
    const std::size_t opt = coff + 20;
    Put16(b, opt, plus ? 0x20B : 0x10B);
    Put16(b, opt + 68, subsystem);
    const std::size_t count = opt + (plus ? 108 : 92);
    Put32(b, count, directories);
    Put32(b, count + 4 + 14 * 8, cliRva);
    Put32(b, count + 4 + 14 * 8 + 4, cliSize);
    std::size_t s = opt + optionalSize;
    for (const Section& section : sections) {
      Put32(b, s + 8, section.rawSize);
      Put32(b, s + 12, section.va);
      Put32(b, s + 16, section.rawSize);
      Put32(b, s + 20, section.rawAt);
      s += 40;
    }
    return b;
  }
};

FileFacts Facts(const std::string& bytes, std::uint64_t size = 0, const std::string& name = "sample.bin") {
  return ReadFileFacts(bytes, size ? size : bytes.size(), name);
}

// A .NET image: the CLI header in .text, whose raw data is the file's second 0x200 bytes.
PeImage DotNetImage() {
  PeImage image;
  image.sections = {{0x1000, 0x200, 0x400}};
  image.cliRva = 0x1008;
  image.cliSize = 0x48;
  return image;
}

}  // namespace

TEST(FileFacts, Pe32ExecutableWithItsMachineBitsAndDate) {
  FileFacts f = Facts(PeImage{}.Bytes(), 1024);
  EXPECT_EQ(f.kind, FileKind::PeExecutable);
  EXPECT_EQ(f.machine, Machine::X86);
  EXPECT_EQ(f.bits, 32);
  EXPECT_EQ(FactsLine(f), "PE32 executable, x86, 1,024 bytes, built 2024-01-02");
}

TEST(FileFacts, Pe32PlusDllOnX64) {
  PeImage image;
  image.plus = true;
  image.machine = 0x8664;
  image.characteristics = 0x2022;
  EXPECT_EQ(FactsLine(Facts(image.Bytes(), 1234567)), "PE32+ DLL, x64, 1,234,567 bytes, built 2024-01-02");
  image.machine = 0xAA64;
  EXPECT_EQ(Facts(image.Bytes()).machine, Machine::Arm64);
  image.machine = 0x200;
  EXPECT_EQ(Facts(image.Bytes()).machine, Machine::Ia64);
  image.machine = 0x1C4;
  EXPECT_EQ(Facts(image.Bytes()).machine, Machine::Arm);
}

TEST(FileFacts, TheNativeSubsystemIsADriver) {
  PeImage image;
  image.plus = true;
  image.machine = 0x8664;
  image.subsystem = 1;
  image.timeStamp = 0;
  EXPECT_EQ(FactsLine(Facts(image.Bytes(), 5000)), "PE32+ driver, x64, 5,000 bytes");
}

TEST(FileFacts, ACliHeaderInsideTheFileMakesANetAssembly) {
  PeImage image = DotNetImage();
  EXPECT_EQ(Facts(image.Bytes(), 0x600).kind, FileKind::DotNet);
  EXPECT_EQ(FactsLine(Facts(image.Bytes(), 0x600)), "PE32 .NET executable, x86, 1,536 bytes, built 2024-01-02");
  image.characteristics |= 0x2000;
  image.plus = true;
  EXPECT_EQ(FactsLine(Facts(image.Bytes(), 0x600)), "PE32+ .NET DLL, x86, 1,536 bytes, built 2024-01-02");
}

TEST(FileFacts, ADirectoryPointingOutsideIsNotFollowed) {
  PeImage image = DotNetImage();
  // Into no section.
  image.cliRva = 0x9000;
  EXPECT_EQ(Facts(image.Bytes(), 0x600).kind, FileKind::PeExecutable);
  // Past the section's raw data.
  image.cliRva = 0x11F0;
  EXPECT_EQ(Facts(image.Bytes(), 0x600).kind, FileKind::PeExecutable);
  // A section whose raw data lies past the end of the file.
  image = DotNetImage();
  EXPECT_EQ(Facts(image.Bytes(), 0x410).kind, FileKind::PeExecutable);
  // Sizes that would wrap in 32 bits.
  image.cliRva = 0xFFFFFFF0;
  image.cliSize = 0x20;
  image.sections = {{0xFFFFFF00, 0xFFFFFFFF, 0xFFFFFFFF}};
  EXPECT_EQ(Facts(image.Bytes(), 0x600).kind, FileKind::PeExecutable);
  // Fewer directories than the CLI header's.
  image = DotNetImage();
  image.directories = 14;
  EXPECT_EQ(Facts(image.Bytes(), 0x600).kind, FileKind::PeExecutable);
}

TEST(FileFacts, AHugeSectionCountEndsWithTheBytesRead) {
  PeImage image = DotNetImage();
  image.sectionCount = 0xFFFE;
  EXPECT_EQ(Facts(image.Bytes(), 0x600).kind, FileKind::DotNet) << "the first section is read";
  // The directory names a section only the count claims.
  image.cliRva = 0x50000;
  EXPECT_EQ(Facts(image.Bytes(), 0x600).kind, FileKind::PeExecutable);
}

TEST(FileFacts, ALyingOrTruncatedPeHeaderLeavesAnMsDosProgram) {
  PeImage image;
  image.lfanew = 0x10000;  // past the end
  EXPECT_EQ(Facts(image.Bytes()).kind, FileKind::MsDos);
  image.lfanew = 0xFFFFFFFE;  // would wrap
  EXPECT_EQ(Facts(image.Bytes()).kind, FileKind::MsDos);
  // "PE\0\0" with the COFF header cut off.
  std::string cut = PeImage{}.Bytes().substr(0, 0x90);
  EXPECT_EQ(Facts(cut, 100000).kind, FileKind::MsDos);
  EXPECT_EQ(FactsLine(Facts(cut, 100000)), "MS-DOS executable, 100,000 bytes");
  EXPECT_EQ(Facts("MZ").kind, FileKind::MsDos);
  // The optional header cut off: a PE, of no known width.
  std::string noOptional = PeImage{}.Bytes().substr(0, 0x98);
  EXPECT_EQ(FactsLine(Facts(noOptional, 0x98)), "PE executable, x86, 152 bytes, built 2024-01-02");
}

TEST(FileFacts, AnOptionalHeaderSmallerThanItsFieldsIsReadNoFurther) {
  PeImage image;
  image.subsystem = 1;
  std::string b = image.Bytes();
  Put16(b, 0x80 + 4 + 16, 2);  // SizeOfOptionalHeader: the magic only
  FileFacts f = Facts(b);
  EXPECT_EQ(f.kind, FileKind::PeExecutable);
  EXPECT_EQ(f.bits, 32);
}

TEST(FileFacts, OnlyTheFirst64KiBCount) {
  PeImage image = DotNetImage();
  image.lfanew = 0x10000 - 8;  // the COFF header would end past 64 KiB
  std::string b = image.Bytes();
  b.resize(0x20000);
  b.replace(0x10000 - 8, 4, std::string("PE\0\0", 4));
  EXPECT_EQ(Facts(b).kind, FileKind::MsDos);
}

TEST(FileFacts, ElfOfBothWidthsAndByteOrders) {
  std::string elf32("\x7F" "ELF\x01\x01\x01", 7);
  elf32.resize(52);
  Put16(elf32, 16, 2);
  Put16(elf32, 18, 3);
  EXPECT_EQ(FactsLine(Facts(elf32, 8000)), "ELF 32-bit executable, x86, 8,000 bytes");
  std::string elf64("\x7F" "ELF\x02\x02\x01", 7);
  elf64.resize(64);
  elf64[16] = 0;
  elf64[17] = 3;  // ET_DYN, big-endian
  elf64[18] = 0;
  elf64[19] = 21;  // PowerPC 64
  FileFacts f = Facts(elf64);
  EXPECT_EQ(FactsLine(f), "ELF 64-bit shared object, PowerPC 64, 64 bytes");
  EXPECT_TRUE(f.library);
  Put16(elf64, 16, 0);
  elf64[5] = 1;
  Put16(elf64, 18, 62);
  EXPECT_EQ(Facts(elf64).machine, Machine::X64);
  Put16(elf64, 18, 183);
  EXPECT_EQ(Facts(elf64).machine, Machine::Arm64);
  EXPECT_EQ(FactsLine(Facts("\x7F" "ELF")), "ELF file, 4 bytes");
}

TEST(FileFacts, MachOAndUniversalBinaries) {
  std::string macho(32, '\0');
  Put32(macho, 0, 0xFEEDFACF);
  Put32(macho, 4, 0x01000007);
  Put32(macho, 12, 2);
  EXPECT_EQ(FactsLine(Facts(macho)), "Mach-O 64-bit executable, x64, 32 bytes");
  std::string big(28, '\0');
  Put32Be(big, 0, 0xFEEDFACE);
  Put32Be(big, 4, 18);
  Put32Be(big, 12, 6);
  EXPECT_EQ(FactsLine(Facts(big)), "Mach-O 32-bit dylib, PowerPC, 28 bytes");

  std::string fat;
  Put32Be(fat, 0, 0xCAFEBABE);
  Put32Be(fat, 4, 2);
  Put32Be(fat, 8, 0x01000007);
  Put32Be(fat, 28, 0x0100000C);
  fat.resize(48);
  EXPECT_EQ(FactsLine(Facts(fat, 2048)), "Mach-O universal binary (2 images), x64 + ARM64, 2,048 bytes");
  // The count claims more images than the bytes hold: those read are named.
  Put32Be(fat, 4, 30);
  FileFacts f = Facts(fat);
  EXPECT_EQ(f.fatCount, 30u);
  EXPECT_EQ(f.fatMachines.size(), 2u);
  // A Java class file shares the magic.
  std::string java("\xCA\xFE\xBA\xBE\x00\x00\x00\x34", 8);
  EXPECT_EQ(Facts(java).kind, FileKind::Other);
}

TEST(FileFacts, ArchivesShortcutsAndScriptsByTheirMagicOrName) {
  EXPECT_EQ(FactsLine(Facts("PK\x03\x04rest")), "ZIP archive, 8 bytes");
  EXPECT_EQ(Facts(std::string("7z\xBC\xAF\x27\x1C\x00\x04", 8)).kind, FileKind::SevenZip);
  EXPECT_EQ(Facts(std::string("Rar!\x1A\x07\x01\x00", 8)).kind, FileKind::Rar);
  EXPECT_EQ(Facts(std::string("MSCF\0\0\0\0", 8)).kind, FileKind::Cab);
  const std::string lnk("\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20);
  EXPECT_EQ(FactsLine(Facts(lnk)), "Shortcut (LNK), 20 bytes");
  EXPECT_EQ(FactsLine(Facts("Write-Host 1", 0, "C:\\w\\Run.PS1")), "PowerShell script, 12 bytes");
  EXPECT_EQ(Facts("@echo off", 0, "go.cmd").script, "Batch script");
  // The magic wins over the name.
  EXPECT_EQ(Facts("MZ", 0, "go.bat").kind, FileKind::MsDos);
  EXPECT_EQ(FactsLine(Facts("text", 0, "notes.txt")), "Other file, 4 bytes");
  EXPECT_EQ(FactsLine(ReadFileFacts("", 0, "empty")), "Other file, 0 bytes");
  EXPECT_EQ(FactsLine(ReadFileFacts("x", 1, "one")), "Other file, 1 byte");
}

TEST(FileFacts, NumbersAndDates) {
  EXPECT_EQ(WithThousands(0), "0");
  EXPECT_EQ(WithThousands(999), "999");
  EXPECT_EQ(WithThousands(1000), "1,000");
  EXPECT_EQ(WithThousands(18446744073709551615ull), "18,446,744,073,709,551,615");
  EXPECT_EQ(UtcDate(0), "1970-01-01");
  EXPECT_EQ(UtcDate(951825600), "2000-02-29");
  EXPECT_EQ(UtcDate(0xFFFFFFFF), "2106-02-07");
}

namespace {

constexpr std::uint32_t kIlOnly = 0x1, k32BitRequired = 0x2, k32BitPreferred = 0x20000;

// A .NET image whose CLI header (at file offset 0x408) holds these flags.
std::string DotNetBytes(std::uint32_t flags, std::uint16_t machine = 0x14C, bool dll = false) {
  PeImage image = DotNetImage();
  image.machine = machine;
  image.plus = machine != 0x14C;
  if (dll) image.characteristics |= 0x2000;
  std::string b = image.Bytes();
  b.resize(0x600);
  Put32(b, 0x408, 72);
  Put32(b, 0x408 + 16, flags);
  return b;
}

// An ELF program of the machine's own width, ET_DYN, with one program header of this type.
std::string ElfBytes(std::uint16_t type, std::uint32_t programHeader) {
  std::string b("\x7F" "ELF\x02\x01\x01", 7);
  b.resize(64 + 56);
  Put16(b, 16, type);
  Put16(b, 18, 62);
  Put32(b, 32, 64);  // e_phoff
  Put16(b, 54, 56);  // e_phentsize
  Put16(b, 56, 1);   // e_phnum
  Put32(b, 64, programHeader);
  return b;
}

}  // namespace

TEST(FileFacts, DotNetAssembliesAreToldAsTheLoaderSeesThem) {
  auto line = [](const std::string& b) { return FactsLine(Facts(b)); };
  const std::string tail = ", 1,536 bytes, built 2024-01-02";
  // Mono's mscorlib.dll and every other IL-only assembly: machine i386, ILONLY alone.
  EXPECT_EQ(line(DotNetBytes(kIlOnly, 0x14C, true)), "PE32 .NET DLL, AnyCPU" + tail);
  EXPECT_EQ(line(DotNetBytes(kIlOnly | k32BitRequired)), "PE32 .NET executable, x86" + tail);
  EXPECT_EQ(line(DotNetBytes(kIlOnly | k32BitRequired | k32BitPreferred)),
            "PE32 .NET executable, AnyCPU, 32-bit preferred" + tail);
  // A DLL is loaded into whatever process loads it: "preferred" means nothing to it.
  EXPECT_EQ(line(DotNetBytes(kIlOnly | k32BitRequired | k32BitPreferred, 0x14C, true)),
            "PE32 .NET DLL, AnyCPU" + tail);
  EXPECT_EQ(line(DotNetBytes(kIlOnly, 0x8664)), "PE32+ .NET executable, x64" + tail);
  EXPECT_EQ(line(DotNetBytes(0, 0x8664, true)), "PE32+ .NET DLL, mixed-mode, x64" + tail);
  EXPECT_EQ(line(DotNetBytes(k32BitRequired)), "PE32 .NET executable, mixed-mode, x86" + tail);
  // A CLI header cut short by the bytes read: the machine, as the PE header names it.
  const FileFacts cut = Facts(DotNetBytes(kIlOnly).substr(0, 0x408 + 40), 0x600);
  EXPECT_EQ(FactsLine(cut), "PE32 .NET executable, x86" + tail);
  EXPECT_FALSE(cut.clrFlags.has_value());
}

TEST(FileFacts, AnElfSharedObjectNamingAnInterpreterIsAnExecutable) {
  FileFacts pie = Facts(ElfBytes(3, 3));  // ET_DYN, PT_INTERP
  EXPECT_EQ(FactsLine(pie), "ELF 64-bit executable, x64, 120 bytes");
  EXPECT_FALSE(pie.library);
  FileFacts so = Facts(ElfBytes(3, 1));  // PT_LOAD only
  EXPECT_EQ(FactsLine(so), "ELF 64-bit shared object, x64, 120 bytes");
  EXPECT_TRUE(so.library);
  // A table past the bytes read, or entries too small to hold a type, are not read.
  std::string far = ElfBytes(3, 3);
  Put32(far, 32, 0xFFFFFFF0);
  Put32(far, 36, 0xFFFFFFFF);
  EXPECT_TRUE(Facts(far).library);
  std::string tiny = ElfBytes(3, 3);
  Put16(tiny, 54, 0);
  EXPECT_TRUE(Facts(tiny).library);
}

// Which twin of a pair a target picks: the 32-bit one (true) or the tool itself, on a 32-bit and
// on a 64-bit Windows.
TEST(TwinChoice, TheTargetsFirstBytesPickTheTwinOnEitherWindows) {
  PeImage exe32, dll32, exe64, dll64, arm64, cut;
  dll32.characteristics |= 0x2000;
  exe64.plus = dll64.plus = arm64.plus = true;
  exe64.machine = dll64.machine = 0x8664;
  dll64.characteristics |= 0x2000;
  arm64.machine = 0xAA64;
  cut.lfanew = 0x10000;
  struct Row {
    const char* what;
    std::string bytes;
    bool on32, on64;
  } rows[] = {
      {"PE32 EXE", exe32.Bytes(), true, true},
      {"PE32 DLL", dll32.Bytes(), true, true},
      {"PE32+ EXE", exe64.Bytes(), false, false},
      {"PE32+ DLL", dll64.Bytes(), false, false},
      {"ARM64", arm64.Bytes(), false, false},
      {".NET AnyCPU EXE", DotNetBytes(kIlOnly), true, false},
      {".NET AnyCPU DLL", DotNetBytes(kIlOnly, 0x14C, true), true, false},
      {"32BITREQUIRED", DotNetBytes(kIlOnly | k32BitRequired), true, true},
      {"32BITPREFERRED EXE", DotNetBytes(kIlOnly | k32BitRequired | k32BitPreferred), true, true},
      {"32BITPREFERRED DLL", DotNetBytes(kIlOnly | k32BitRequired | k32BitPreferred, 0x14C, true), true, false},
      {"mixed-mode x86", DotNetBytes(0), true, true},
      {"mixed-mode x64", DotNetBytes(0, 0x8664), false, false},
      {".NET x64", DotNetBytes(kIlOnly, 0x8664), false, false},
      {"e_lfanew past the end", cut.Bytes(), false, false},
      {"a cut COR20 header", DotNetBytes(kIlOnly | k32BitRequired).substr(0, 0x408 + 40), false, false},
      {"the optional header cut off", exe32.Bytes().substr(0, 0x98), false, false},
      {"ELF executable", ElfBytes(3, 3), false, false},
      {"ELF without an interpreter", ElfBytes(3, 1), false, false},
      {"empty file", "", false, false},
  };
  for (const Row& row : rows) {
    const FileFacts f = ReadFileFacts(row.bytes, 0x600, "sample.bin");
    EXPECT_EQ(RunsAsX86(&f, false), row.on32) << row.what << " on a 32-bit Windows";
    EXPECT_EQ(RunsAsX86(&f, true), row.on64) << row.what << " on a 64-bit Windows";
  }
  EXPECT_FALSE(RunsAsX86(nullptr, false)) << "no target, or one that cannot be read";
}
