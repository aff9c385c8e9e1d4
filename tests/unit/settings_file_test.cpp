#include "core/settings_file.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "platform/kest_error.h"

namespace kest {
namespace {

constexpr const char* kDir = R"(D:\tools\kest\)";
constexpr const char* kIni = R"(D:\tools\kest\Tools.ini)";

struct SettingsFileTest : ::testing::Test {
  fakes::FakeSettingsStore store;
  SettingsFile settings{store, kDir};
  void set(const std::string& key, const std::string& value) { store.set(kIni, "Options", key, value); }
};

TEST_F(SettingsFileTest, FileLivesBesideTheExecutable) {
  EXPECT_EQ(settings.path(), kIni);
  SettingsFile noSlash(store, R"(D:\tools\kest)");
  EXPECT_EQ(noSlash.path(), kIni);
}

TEST(ParseSettingsInteger, DecimalHexadecimalAndRejects) {
  EXPECT_EQ(ParseSettingsInteger("334"), 334);
  EXPECT_EQ(ParseSettingsInteger("-12"), -12);
  EXPECT_EQ(ParseSettingsInteger("+7"), 7);
  EXPECT_EQ(ParseSettingsInteger("0x200"), 512);
  EXPECT_EQ(ParseSettingsInteger("0X1f"), 31);
  EXPECT_EQ(ParseSettingsInteger("$C16100"), 0xC16100);
  EXPECT_EQ(ParseSettingsInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseSettingsInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseSettingsInteger("-2147483648"), -2147483647 - 1);
  // "0x" alone is too short to be hexadecimal, and is no decimal either.
  EXPECT_EQ(ParseSettingsInteger("0x"), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger("$"), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger(""), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger("abc"), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger("12a"), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger("0xZZ"), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger("2147483648"), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger("$100000000"), std::nullopt);
}

TEST_F(SettingsFileTest, AbsentEmptyAndInvalidValues) {
  // Absent keys give their defaults.
  EXPECT_EQ(settings.read(opt::NMLeft), 250);
  EXPECT_EQ(settings.read(opt::NMTop), 450);
  EXPECT_EQ(settings.read(opt::NMWidth), 280);
  EXPECT_EQ(settings.read(opt::NMHeight), 334);
  EXPECT_EQ(settings.read(opt::abValue), 245);
  EXPECT_TRUE(settings.read(opt::NoMoreOneCopy));
  EXPECT_TRUE(settings.read(opt::CheckDrive));
  EXPECT_FALSE(settings.read(opt::StOnTop));
  EXPECT_EQ(settings.read(opt::Col1), 0xC16100);
  EXPECT_EQ(settings.read(opt::Drive), "Z");
  // Empty: the empty string for a string key, the default for numbers and booleans.
  set("hlp", "");
  set("Drive", "");
  set("NMLeft", "");
  set("CheckDrive", "");
  EXPECT_EQ(settings.read(opt::hlp), "");
  EXPECT_EQ(settings.read(opt::Drive), "");
  EXPECT_EQ(settings.read(opt::NMLeft), 250);
  EXPECT_TRUE(settings.read(opt::CheckDrive));
  // Numbers written by hand.
  set("NMWidth", "0x200");
  set("NMHeight", "$10");
  set("NMTop", "abc");
  EXPECT_EQ(settings.read(opt::NMWidth), 512);
  EXPECT_EQ(settings.read(opt::NMHeight), 16);
  EXPECT_EQ(settings.read(opt::NMTop), 450);
  // Booleans are integers: anything but 0 is true, anything not a number the default.
  set("StOnTop", "2");
  EXPECT_TRUE(settings.read(opt::StOnTop));
  set("StOnTop", "abc");
  EXPECT_FALSE(settings.read(opt::StOnTop));
  set("NoMoreOneCopy", "0");
  EXPECT_FALSE(settings.read(opt::NoMoreOneCopy));
  set("NoMoreOneCopy", "-1");
  EXPECT_TRUE(settings.read(opt::NoMoreOneCopy));
  // The low 8 bits of the opacity are the reader's business: the value itself comes back whole.
  set("abValue", "300");
  EXPECT_EQ(settings.read(opt::abValue), 300);
  EXPECT_EQ(settings.read(opt::abValue) & 0xFF, 44);
}

TEST_F(SettingsFileTest, WritesEncodeAndGoStraightToTheFile) {
  settings.write(opt::StOnTop, true);
  settings.write(opt::CheckDrive, false);
  settings.write(opt::NMLeft, -5);
  settings.write(opt::Drive, "E");
  EXPECT_EQ(*store.find(kIni, "Options", "StOnTop"), "1");
  EXPECT_EQ(*store.find(kIni, "Options", "CheckDrive"), "0");
  EXPECT_EQ(*store.find(kIni, "Options", "NMLeft"), "-5");
  EXPECT_EQ(*store.find(kIni, "Options", "Drive"), "E");
  // Other sections are reached through the same handle.
  settings.writeInteger("Targets", "Count", 2);
  settings.writeString("Targets", "0", R"(C:\a.exe)");
  EXPECT_EQ(settings.readInteger("Targets", "Count", -1), 2);
  EXPECT_EQ(*store.find(kIni, "Targets", "0"), R"(C:\a.exe)");
}

TEST(IniIndex, ReadsAsTheProfileFunctionsOrSaysUnsure) {
  auto look = [](std::string_view text, const char* key = "NMLeft") { return IniIndex(text).lookUp("Options", key); };
  const std::string file = "\xEF\xBB\xBF; kept\r\n[Targets]\r\nNMLeft=9\r\n [ options ] \r\n  nmleft =  \"12\" \r\nDrive=E";
  EXPECT_EQ(look(file).kind, IniLookup::Found);
  EXPECT_EQ(look(file).value, "12");
  EXPECT_EQ(look(file, "Drive").value, "E");
  EXPECT_EQ(look(file, "NMTop").kind, IniLookup::Absent);
  EXPECT_EQ(look("[Targets]\r\nNMLeft=1").kind, IniLookup::Absent);
  // Whatever two readers could take apart differently is left to the profile functions.
  const std::initializer_list<std::string_view> odd = {
      "[Options]\nNMLeft=1\nNMLeft=2", "[Options]\nNMLeft=1\n[OPTIONS]\nDrive=E", "[Options]\nNMLeft",
      "[Options]\nNMLeft=1\rDrive=2",  "[Opt]ions]\nNMLeft=1",                     "[Options\nNMLeft=1",
      std::string_view("[Options]\nNMLeft=1\0", 19), "\xFF\xFE[", "[Opt\xC4\xB0ons]\nNMLeft=1",
      "[Options]\nNMLeft\xC4\xB0=1"};
  for (std::string_view text : odd)
    EXPECT_EQ(look(text).kind, IniLookup::Unsure) << text;
  // A whole section: its keys in file order; a comment or a bare key in it is left to them too.
  using Entries = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(IniIndex(file).entries("OPTIONS"), (Entries{{"nmleft", "12"}, {"Drive", "E"}}));
  EXPECT_EQ(IniIndex(file).entries("Other"), Entries{});
  EXPECT_FALSE(IniIndex("[Targets]\n0=a\n;1=b").entries("Targets"));
  EXPECT_FALSE(IniIndex("[Targets]\n0=a\nstray").entries("Targets"));
}

// Tools.ini edited as text: what each edit writes, and that nothing else moves.
using IniEntries = std::vector<std::pair<std::string, std::string>>;
const std::string kTwoSections = "[Options]\r\nA=1\r\nB=2\r\n\r\n[Other]\r\nB=2\r\n";

TEST(IniTextEdits, ChangeAValueInItsPlace) {
  EXPECT_EQ(SetIniValue(kTwoSections, "options", "b", "9"), "[Options]\r\nA=1\r\nB=9\r\n\r\n[Other]\r\nB=2\r\n");
  // The key keeps its spelling; blanks around it and before the value go, as the profile
  // functions write the line.
  EXPECT_EQ(SetIniValue("[options]\r\n  lastdir  =  1  \r\n", "Options", "LastDir", "  C:\\a b  "),
            "[options]\r\nlastdir=C:\\a b  \r\n");
  EXPECT_EQ(SetIniValue("[Options]\r\nA=\"x\"\r\n", "Options", "A", ""), "[Options]\r\nA=\r\n");
  // A value the line already holds leaves the text as it was.
  EXPECT_EQ(SetIniValue(kTwoSections, "Options", "A", "1"), kTwoSections);
}

TEST(IniTextEdits, NewKeyAfterTheLastLineOfItsSection) {
  EXPECT_EQ(SetIniValue(kTwoSections, "Options", "New", "v"), "[Options]\r\nA=1\r\nB=2\r\nNew=v\r\n\r\n[Other]\r\nB=2\r\n");
  EXPECT_EQ(SetIniValue("[Options]\r\n; c1\r\nA=1\r\n;c2\r\n\r\n[Other]\r\n", "Options", "N", "7"),
            "[Options]\r\n; c1\r\nA=1\r\n;c2\r\nN=7\r\n\r\n[Other]\r\n");
  EXPECT_EQ(SetIniValue("[Options]\r\n[Other]\r\nB=1\r\n", "Options", "A", "1"), "[Options]\r\nA=1\r\n[Other]\r\nB=1\r\n");
  EXPECT_EQ(SetIniValue(kTwoSections, "OTHER", "C", "3"), kTwoSections + "C=3\r\n");
}

TEST(IniTextEdits, NewSectionAtTheEnd) {
  EXPECT_EQ(SetIniValue("", "Options", "LastDir", "C:\\x"), "[Options]\r\nLastDir=C:\\x\r\n");
  EXPECT_EQ(SetIniValue("junk\r\nA=1\r\n\r\n", "Options", "A", "2"), "junk\r\nA=1\r\n\r\n[Options]\r\nA=2\r\n");
  EXPECT_EQ(ReplaceIniSection("[Options]\r\nA=1\r\n", "Targets", {{"0", "b"}, {"Count", "1"}}),
            "[Options]\r\nA=1\r\n[Targets]\r\n0=b\r\nCount=1\r\n");
  EXPECT_EQ(ReplaceIniSection("", "Targets", {}), "[Targets]\r\n");
}

TEST(IniTextEdits, ReplaceSectionKeepsTheGivenOrderCommentsAndBlankLines) {
  // As WriteTargets hands it over: the keys it keeps first, then the positions, then "Count".
  const std::string file = "[Options]\r\nA=1\r\n[Targets]\r\n; mine\r\nCount=1\r\nx=1\r\n0=a\r\n\r\n[Other]\r\nB=2\r\n";
  const IniEntries section = {{"x", "1"}, {"0", "b"}, {"1", "c"}, {"Count", "2"}};
  const std::optional<std::string> replaced = ReplaceIniSection(file, "targets", section);
  EXPECT_EQ(replaced, "[Options]\r\nA=1\r\n[Targets]\r\n; mine\r\nx=1\r\n0=b\r\n1=c\r\nCount=2\r\n\r\n[Other]\r\nB=2\r\n");
  EXPECT_EQ(ReplaceIniSection("[Targets]\r\n0=a\r\n[Other]\r\nB=2\r\n", "Targets", {}), "[Targets]\r\n[Other]\r\nB=2\r\n");
  EXPECT_EQ(ReplaceIniSection("[Targets]\r\n; c\r\n\r\n[Other]\r\n", "Targets", {{"0", "a"}}),
            "[Targets]\r\n; c\r\n0=a\r\n\r\n[Other]\r\n");
  EXPECT_EQ(IniIndex(*ReplaceIniSection(kTwoSections, "Options", section)).entries("Options"), section);
}

TEST(IniTextEdits, OtherSectionsStayByteForByte) {
  const std::string before = "; top\n  [ First ]  \n  k =  \"v\" \n\n\n# hash\n";
  const std::string after = "[Other]\r\n\t x\t=\ty \r\n;[Options]\r\n";
  const std::string file = before + "[Options]\r\nA=1\r\n" + after;
  for (const std::optional<std::string>& edited :
       {SetIniValue(file, "Options", "A", "2"), SetIniValue(file, "Options", "B", "2"),
        ReplaceIniSection(file, "Options", {{"C", "3"}, {"D", "4"}})}) {
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->substr(0, before.size()), before) << *edited;
    EXPECT_EQ(edited->substr(edited->size() - after.size()), after) << *edited;
  }
}

TEST(IniTextEdits, LinesEndAsTheFilesOwnDo) {
  EXPECT_EQ(SetIniValue("[Options]\nA=1\n[Other]\nC=3\n", "Options", "N", "5"), "[Options]\nA=1\nN=5\n[Other]\nC=3\n");
  EXPECT_EQ(SetIniValue("[Options]\nA=1\n", "New", "K", "v"), "[Options]\nA=1\n[New]\nK=v\n");
  EXPECT_EQ(SetIniValue("[Options]\r\nA=1\n", "Options", "B", "2"), "[Options]\r\nA=1\nB=2\r\n");
  // Without a final line break: a changed last line stays without one, a line after it gets it.
  EXPECT_EQ(SetIniValue("[Options]\r\nA=1\r\nB=2", "Options", "B", "3"), "[Options]\r\nA=1\r\nB=3");
  EXPECT_EQ(SetIniValue("[Options]\r\nA=1", "Options", "B", "3"), "[Options]\r\nA=1\r\nB=3\r\n");
  EXPECT_EQ(SetIniValue("[Options]", "Options", "B", "3"), "[Options]\r\nB=3\r\n");
  EXPECT_EQ(SetIniValue("[Options]\nA=1", "New", "B", "3"), "[Options]\nA=1\n[New]\nB=3\n");
  EXPECT_EQ(ReplaceIniSection("[Targets]\r\n0=a", "Targets", {{"0", "b"}, {"1", "c"}}), "[Targets]\r\n0=b\r\n1=c\r\n");
}

TEST(IniTextEdits, AByteOrderMarkStays) {
  const std::string bom = "\xEF\xBB\xBF";
  EXPECT_EQ(SetIniValue(bom + "[Options]\r\nA=1\r\n", "Options", "A", "7"), bom + "[Options]\r\nA=7\r\n");
  EXPECT_EQ(SetIniValue(bom + "[Options]\r\nA=1\r\n", "Options", "N", "7"), bom + "[Options]\r\nA=1\r\nN=7\r\n");
  EXPECT_EQ(SetIniValue(bom, "Options", "A", "1"), bom + "[Options]\r\nA=1\r\n");
}

TEST(IniTextEdits, WhatOnlyTheProfileFunctionsCanTellIsLeftToThem) {
  for (std::string_view text :
       {std::string_view("[Options]\r\nA=1\r\nB=\0x\r\n", 19), std::string_view("[Options]\rA=1\r\n"),
        std::string_view("\xFF\xFE[\0O\0]\0", 8), std::string_view("[Opt]ions]\r\nA=1\r\n"),
        std::string_view("[Options\r\nA=1\r\n"), std::string_view("[Opt\xC4\xB0ons]\r\nA=1\r\n"),
        std::string_view("[Options]\r\nA=1\r\n[other]\r\n[OPTIONS]\r\nA=2\r\n")}) {
    EXPECT_EQ(SetIniValue(text, "Options", "A", "2"), std::nullopt) << text;
    EXPECT_EQ(ReplaceIniSection(text, "Options", {{"A", "2"}}), std::nullopt) << text;
  }
  // A key given twice, without a value, or beside a key in other than ASCII letters.
  for (std::string_view text : {"[Options]\r\nA=1\r\na=2\r\n", "[Options]\r\nA\r\n", "[Options]\r\nA\xC4\xB0=1\r\nA=1\r\n"}) {
    EXPECT_EQ(SetIniValue(text, "Options", "A", "2"), std::nullopt) << text;
    EXPECT_EQ(ReplaceIniSection(text, "Options", {{"A", "2"}}), "[Options]\r\nA=2\r\n") << text;
  }
  // Names and values that would not read back from a line of their own.
  for (std::string_view name : {"", " A", "A ", "A=B", ";A", "[A", "A\r\nB", "\xC4\xB0"})
    EXPECT_EQ(SetIniValue(kTwoSections, "Options", name, "1"), std::nullopt) << name;
  for (std::string_view name : {"", " A", "A]", "A\nB", "\xC4\xB0"})
    EXPECT_EQ(SetIniValue(kTwoSections, name, "A", "1"), std::nullopt) << name;
  EXPECT_EQ(SetIniValue(kTwoSections, "Options", "A", "1\r\nB=3"), std::nullopt);
  EXPECT_EQ(ReplaceIniSection(kTwoSections, "Options", {{"A", "1"}, {"B", "x\ny"}}), std::nullopt);
}

// A store with a file's text behind it: rewrite edits the text, or refuses as a held file does.
struct TextFileStore : fakes::FakeSettingsStore {
  TextWrite rewrite(const std::string&, const std::function<std::optional<std::string>(std::string_view)>& edit) override {
    if (refuseRewrite) return TextWrite::Refused;
    std::optional<std::string> next = edit(file);
    if (!next) return TextWrite::NotTaken;
    file = *next;
    return TextWrite::Written;
  }
  std::string file;
  bool refuseRewrite = false;
};

TEST(SettingsFileWrites, GoThroughTheTextAndAreLeftToTheProfileFunctionsOnlyWhenItIsUnsure) {
  TextFileStore store;
  SettingsFile settings(store, kDir);
  store.file = "[Options]\r\nNMLeft=1\r\n";
  settings.write(opt::NMLeft, 2);
  settings.write(opt::NMTop, 3);
  settings.replaceSection("Targets", {{"0", "C:\\a.exe"}, {"Count", "1"}});
  EXPECT_EQ(store.file, "[Options]\r\nNMLeft=2\r\nNMTop=3\r\n[Targets]\r\n0=C:\\a.exe\r\nCount=1\r\n");
  EXPECT_TRUE(store.writes.empty());

  store.file = "[Options]\r\nNMLeft=1\r\n[OPTIONS]\r\n";
  settings.write(opt::NMLeft, 2);
  settings.replaceSection("Options", {});
  EXPECT_EQ(store.writes, (std::vector<std::string>{"NMLeft=2"}));
  EXPECT_EQ(store.file, "[Options]\r\nNMLeft=1\r\n[OPTIONS]\r\n");

  // A refused rewrite is reported, never handed to the profile functions to try again.
  store.writes.clear();
  store.refuseRewrite = true;
  EXPECT_THROW(settings.write(opt::NMLeft, 5), KestError);
  EXPECT_THROW(settings.replaceSection("Targets", {}), KestError);
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(SettingsFileTest, BatchTakesTheFileOnceAndAfreshAfterEachWrite) {
  store.servesText = true;
  set("NMLeft", "10");
  set("Drive", "E");
  {
    SettingsFile::Batch batch(settings);
    settings.write(opt::NMLeft, 10);
    settings.write(opt::Drive, "E");
    EXPECT_EQ(settings.read(opt::abValue), opt::abValue.def);
    EXPECT_EQ(store.reads, std::vector<std::string>{"text"});
    EXPECT_TRUE(store.writes.empty());
    settings.write(opt::NMLeft, 11);
    settings.write(opt::NMLeft, 11);
    EXPECT_EQ(store.writes, std::vector<std::string>{"NMLeft=11"});
    EXPECT_EQ(store.reads, (std::vector<std::string>{"text", "text"}));
  }
  // Outside a batch each read asks the profile functions.
  store.reads.clear();
  EXPECT_EQ(settings.read(opt::NMLeft), 11);
  EXPECT_EQ(store.reads, std::vector<std::string>{"NMLeft"});
}

TEST_F(SettingsFileTest, RefusedWriteRaisesTheProgramsError) {
  store.refuseWrites = true;
  for (auto write : {+[](SettingsFile& s) { s.write(opt::abValue, 1); },
                     +[](SettingsFile& s) { s.write(opt::IMOnStart, true); },
                     +[](SettingsFile& s) { s.write(opt::LastDir, "x"); }}) {
    try {
      write(settings);
      FAIL() << "a refused write must raise";
    } catch (const KestError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Unable to write to ") + kIni);
    }
  }
}

TEST_F(SettingsFileTest, LastDirAndDriveDefaultsComeFromTheExecutable) {
  EXPECT_EQ(settings.readLastDir(), R"(D:\tools\kest)");
  set("LastDir", "");
  EXPECT_EQ(settings.readLastDir(), "");  // a run that never used the open dialog
  set("LastDir", R"(E:\x)");
  EXPECT_EQ(settings.readLastDir(), R"(E:\x)");

  EXPECT_EQ(settings.readDriveLetter(), 'D');  // absent: "Z", the executable's drive
  set("Drive", "Z");
  EXPECT_EQ(settings.readDriveLetter(), 'D');
  set("Drive", "");
  EXPECT_EQ(settings.readDriveLetter(), 'D');
  set("Drive", "G");
  EXPECT_EQ(settings.readDriveLetter(), 'G');
  set("Drive", "Hx");
  EXPECT_EQ(settings.readDriveLetter(), 'H');
}

}  // namespace
}  // namespace kest
