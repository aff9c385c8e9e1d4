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
  settings.deleteKey("Targets", "0");
  EXPECT_EQ(settings.readInteger("Targets", "Count", -1), 2);
  EXPECT_EQ(store.find(kIni, "Targets", "0"), nullptr);
  EXPECT_EQ(settings.readString("Targets", "0", "Error link"), "Error link");
}

TEST(LookUpIniValue, ReadsAsTheProfileFunctionsOrSaysUnsure) {
  auto look = [](std::string_view text, const char* key = "NMLeft") { return LookUpIniValue(text, "Options", key); };
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
  EXPECT_EQ(IniSectionEntries(file, "OPTIONS"), (Entries{{"nmleft", "12"}, {"Drive", "E"}}));
  EXPECT_EQ(IniSectionEntries(file, "Other"), Entries{});
  EXPECT_FALSE(IniSectionEntries("[Targets]\n0=a\n;1=b", "Targets"));
  EXPECT_FALSE(IniSectionEntries("[Targets]\n0=a\nstray", "Targets"));
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
                     +[](SettingsFile& s) { s.write(opt::LastDir, "x"); },
                     +[](SettingsFile& s) { s.deleteKey("Targets", "0"); }}) {
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
