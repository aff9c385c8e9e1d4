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
