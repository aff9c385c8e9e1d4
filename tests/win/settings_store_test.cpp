// Tools.ini through the real private-profile functions.
#include <gtest/gtest.h>

#include "core/settings_file.h"
#include "platform/kest_error.h"
#include "platform/win32/settings_store.h"
#include "common/name_count.h"
#include "win/win_test_util.h"

namespace kest {
namespace {

TEST(ProfileSettingsStore, ReadsAndWritesKeys) {
  wintest::ScratchDir dir("profile");
  win32::ProfileSettingsStore store;
  std::string ini = dir + "Tools.ini";

  EXPECT_EQ(store.get(ini, "Options", "LastDir", "dflt"), "dflt");  // no file yet
  EXPECT_EQ(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(store.put(ini, "Options", "LastDir", R"(C:\work dir)"));  // the first write creates it
  EXPECT_NE(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(store.get(ini, "Options", "LastDir", "dflt"), R"(C:\work dir)");
  // Section and key names compare without regard to case.
  EXPECT_EQ(store.get(ini, "OPTIONS", "lastdir", "dflt"), R"(C:\work dir)");

  // An empty value is present: it reads as "", not as the default.
  ASSERT_TRUE(store.put(ini, "Options", "hlp", ""));
  EXPECT_EQ(store.get(ini, "Options", "hlp", "dflt"), "");

  // A whole section in one read, in file order, however long; quotes taken off as a single
  // read takes them off.
  std::vector<std::pair<std::string, std::string>> many;
  for (int i = 0; i < 600; ++i) many.emplace_back(std::to_string(i), "C:\\x\\t.exe");
  ASSERT_TRUE(store.replaceSection(ini, "Targets", many));
  ASSERT_TRUE(store.put(ini, "Targets", "q", "\"C:\\quoted dir\""));
  auto entries = store.entries(ini, "Targets");
  ASSERT_EQ(entries.size(), 601u);
  EXPECT_EQ(entries.front(), (std::pair<std::string, std::string>{"0", "C:\\x\\t.exe"}));
  EXPECT_EQ(entries[599].first, "599");
  EXPECT_EQ(entries.back().second, store.get(ini, "Targets", "q", ""));
  EXPECT_TRUE(store.entries(ini, "Nothing").empty());
  EXPECT_EQ(store.get(ini, "Options", "LastDir", "dflt"), R"(C:\work dir)");

  std::string text = wintest::ReadText(ini);
  EXPECT_NE(text.find("[Options]"), std::string::npos);
  EXPECT_NE(text.find(R"(LastDir=C:\work dir)"), std::string::npos);
  EXPECT_NE(text.find("hlp=\r\n"), std::string::npos);
}

TEST(ProfileSettingsStore, TypedReadsOfAFileWrittenByHand) {
  wintest::ScratchDir dir("typed");
  wintest::WriteText(dir + "Tools.ini",
                     "[Options]\r\nNMWidth=0x200\r\nabValue=300\r\nStOnTop=2\r\nCheckDrive=abc\r\n"
                     "NMLeft=\r\nDrive=Z\r\nLastDir=\r\nCol1=$FF\r\n");
  win32::ProfileSettingsStore store;
  SettingsFile settings(store, dir.path());
  EXPECT_EQ(settings.read(opt::NMWidth), 512);
  EXPECT_EQ(settings.read(opt::abValue) & 0xFF, 44);
  EXPECT_TRUE(settings.read(opt::StOnTop));
  EXPECT_TRUE(settings.read(opt::CheckDrive));  // not a number: the default
  EXPECT_EQ(settings.read(opt::NMLeft), 250);   // empty: the default
  EXPECT_EQ(settings.read(opt::NMTop), 450);    // absent: the default
  EXPECT_EQ(settings.read(opt::Col1), 255);
  EXPECT_EQ(settings.readLastDir(), "");
  EXPECT_EQ(settings.readDriveLetter(), dir.path()[0]);

  settings.write(opt::NMLeft, 17);
  settings.write(opt::IMOnStart, true);
  EXPECT_EQ(settings.readString("Options", "NMLeft", ""), "17");
  EXPECT_EQ(settings.readString("Options", "IMOnStart", ""), "1");
}

TEST(ProfileSettingsStore, TheBatchReadsTheFileAsTheProfileFunctionsDo) {
  wintest::ScratchDir dir("lookup");
  const std::string text =
      "\xEF\xBB\xBF; a comment\r\nNMLeft=0\r\n[Targets]\r\nNMLeft=9\r\n [ options ] \r\n  nmleft =  \"12\" \r\n"
      "NMTop='5'\r\nDrive = E \r\nLastDir=\"C:\\a\r\nhlp=\r\nCol1=3\r\n[Other]\r\nCol2=4\r\n";
  wintest::WriteText(dir + "Tools.ini", text);
  win32::ProfileSettingsStore store;
  const std::string absent = "\x01" "absent";
  for (const char* key : {"NMLeft", "NMTop", "Drive", "LastDir", "hlp", "Col1", "Col2", "abValue"}) {
    IniLookup looked = IniIndex(*store.text(dir + "Tools.ini")).lookUp("Options", key);
    ASSERT_NE(looked.kind, IniLookup::Unsure) << key;
    EXPECT_EQ(looked.kind == IniLookup::Found ? looked.value : absent,
              store.get(dir + "Tools.ini", "Options", key, absent)) << key;
  }
  EXPECT_EQ(IniIndex(*store.text(dir + "Tools.ini")).entries("options"), store.entries(dir + "Tools.ini", "Options"));
  // And as the profile functions write it.
  ASSERT_TRUE(store.put(dir + "Tools.ini", "Options", "KFSOpened", "0"));
  ASSERT_TRUE(store.put(dir + "Tools.ini", "Targets", "Count", "0"));
  EXPECT_EQ(IniIndex(*store.text(dir + "Tools.ini")).lookUp("Options", "KFSOpened").value, "0") << *store.text(dir + "Tools.ini");
}

TEST(ProfileSettingsStore, RefusedWriteRaisesUnableToWrite) {
  wintest::ScratchDir dir("refused");
  win32::ProfileSettingsStore store;
  SettingsFile settings(store, dir.path());
  settings.write(opt::abValue, 200);

  // Another handle holds the file open without sharing: the system refuses the write.
  HANDLE holder = CreateFileA(settings.path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  try {
    settings.write(opt::abValue, 100);
    ADD_FAILURE() << "the write must be refused";
  } catch (const KestError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + dir.path() + "Tools.ini");
  }
  // Reads never fail: they give the default.
  EXPECT_EQ(settings.read(opt::NMTop), 450);
  CloseHandle(holder);

  EXPECT_EQ(settings.read(opt::abValue), 200);  // the refused value did not land
  settings.write(opt::abValue, 100);
  EXPECT_EQ(settings.read(opt::abValue), 100);
}

// The temporary files of settings writes left in the directory.
std::vector<std::string> SavingFiles(const wintest::ScratchDir& dir) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((dir + "*.saving").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return found;
  do found.push_back(data.cFileName);
  while (FindNextFileA(h, &data));
  FindClose(h);
  return found;
}

std::string ProfileRead(const std::string& ini, const char* section, const char* key) {
  char buffer[256] = {};
  GetPrivateProfileStringA(section, key, "<absent>", buffer, sizeof buffer, ini.c_str());
  return buffer;
}

TEST(ProfileSettingsStore, WritesReplaceTheFileAndReadBackAtOnce) {
  wintest::ScratchDir dir("replaced");
  win32::ProfileSettingsStore store;
  SettingsFile settings(store, dir.path());
  const std::string ini = settings.path();
  settings.write(opt::abValue, 200);  // no file yet: made
  EXPECT_EQ(wintest::ReadText(ini), "[Options]\r\nabValue=200\r\n");

  // Written by hand long ago: the profile functions keep their parse of a file whose time has
  // not changed for a while, and must see that it was replaced.
  const std::string other = "; mine\n[Other]\n  x = \"y\" \n\n";
  wintest::WriteText(ini, other + "[Options]\r\nabValue=200\r\n");
  HANDLE h = CreateFileA(ini.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME past{0xF03E4000u, 0x01D4A164u};  // 2019-01-01
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &past));
  CloseHandle(h);
  ASSERT_EQ(ProfileRead(ini, "Options", "abValue"), "200");
  for (int i = 0; i < 20; ++i) {
    settings.write(opt::abValue, i);
    ASSERT_EQ(ProfileRead(ini, "Options", "abValue"), std::to_string(i));
  }
  settings.write(opt::NMTop, 7);
  EXPECT_EQ(ProfileRead(ini, "Options", "NMTop"), "7");
  settings.replaceSection("Targets", {{"0", "C:\\a.exe"}, {"Count", "1"}});
  EXPECT_EQ(store.entries(ini, "Targets"), (std::vector<std::pair<std::string, std::string>>{{"0", "C:\\a.exe"}, {"Count", "1"}}));
  // Lines added end as the file's first line does.
  EXPECT_EQ(wintest::ReadText(ini), other + "[Options]\r\nabValue=19\r\nNMTop=7\n[Targets]\n0=C:\\a.exe\nCount=1\n");
  EXPECT_TRUE(SavingFiles(dir).empty());

  // Another copy of Kest in the middle of its own write holds a temporary file of its own name.
  HANDLE another = CreateFileA((ini + ".4000000.saving").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(another, INVALID_HANDLE_VALUE);
  settings.write(opt::abValue, 300);
  EXPECT_EQ(ProfileRead(ini, "Options", "abValue"), "300");
  CloseHandle(another);
}

TEST(ProfileSettingsStore, AHeldFileRefusesTheWriteAndStaysWhole) {
  wintest::ScratchDir dir("held");
  win32::ProfileSettingsStore store;
  SettingsFile settings(store, dir.path());
  const std::string text = "[Options]\r\nabValue=200\r\n";
  wintest::WriteText(settings.path(), text);
  // Held without sharing, the file cannot be read; shared for reading only, it cannot be
  // replaced, and the temporary file written for it goes again.
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    HANDLE holder = CreateFileA(settings.path().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_THROW(settings.write(opt::abValue, 100), KestError) << share;
    EXPECT_THROW(settings.replaceSection("Targets", {{"Count", "0"}}), KestError) << share;
    EXPECT_TRUE(SavingFiles(dir).empty()) << share;
    CloseHandle(holder);
    EXPECT_EQ(wintest::ReadText(settings.path()), text) << share;
  }
  settings.write(opt::abValue, 100);
  EXPECT_EQ(settings.read(opt::abValue), 100);
}

TEST(ProfileSettingsStore, ASaveKeepsWhatTheFileIs) {
  wintest::ScratchDir dir("identity");
  win32::ProfileSettingsStore store;
  SettingsFile settings(store, dir.path());
  const std::string ini = settings.path(), stored = dir + "store.ini";
  wintest::WriteText(ini, "[Options]\r\nabValue=200\r\n");
  // A hard link, as a package manager keeps it: written in place, both names see the write.
  ASSERT_TRUE(CreateHardLinkA(stored.c_str(), ini.c_str(), nullptr)) << GetLastError();
  ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  settings.write(opt::abValue, 100);
  EXPECT_EQ(testutil::NameCount(ini), 2u);
  EXPECT_EQ(wintest::ReadText(stored), "[Options]\r\nabValue=100\r\n");
  // Text the edits leave to the profile functions goes through a copy, the same way.
  wintest::WriteText(stored, "[Options]\r\nabValue=100\r\n[Options]\r\n");
  settings.write(opt::NMTop, 7);
  EXPECT_EQ(testutil::NameCount(ini), 2u);
  EXPECT_EQ(ProfileRead(stored, "Options", "NMTop"), "7");
  ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(DeleteFileA(stored.c_str()));
  // One name: replaced in one step, its hidden and read-only bits kept (Wine lets root write a
  // read-only file; Windows refuses it).
  ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  settings.write(opt::abValue, 50);
  settings.write(opt::NMLeft, 5);
  EXPECT_EQ(ProfileRead(ini, "Options", "abValue"), "50");
  EXPECT_EQ(ProfileRead(ini, "Options", "NMLeft"), "5");
  EXPECT_EQ(GetFileAttributesA(ini.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(SavingFiles(dir).empty());
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ProfileSettingsStore, LegacyLinesAreTakenAgainAfterAFailedConversion) {
  wintest::ScratchDir dir("legacy");
  win32::ProfileSettingsStore store(true);
  const std::string ini = dir + "Tools.ini";
  // "café" as an older Kest wrote it on a Western system.
  wintest::WriteText(ini, "[Targets]\r\n0=C:\\caf\xE9.exe\r\n");
  HANDLE holder = CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  store.get(ini, "Targets", "0", "");
  CloseHandle(holder);
  EXPECT_EQ(wintest::ReadText(ini), "[Targets]\r\n0=C:\\caf\xE9.exe\r\n");
  EXPECT_TRUE(SavingFiles(dir).empty());
  store.get(ini, "Targets", "0", "");
  EXPECT_EQ(wintest::ReadText(ini), "[Targets]\r\n0=C:\\caf\xC3\xA9.exe\r\n");
}

TEST(ProfileSettingsStore, MissingDirectoryRefusesTheWrite) {
  wintest::ScratchDir dir("nodir");
  win32::ProfileSettingsStore store;
  SettingsFile settings(store, dir + "not-there\\");
  EXPECT_THROW(settings.write(opt::StOnTop, true), KestError);
  EXPECT_FALSE(settings.read(opt::StOnTop));
}

}  // namespace
}  // namespace kest
