#include "platform/system_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace kest::paths {
namespace {

constexpr const char* kWin = R"(C:\Windows)";

TEST(SystemPaths, System32GoesThroughSysnativeInAnyCaseAndWithEitherSeparator) {
  EXPECT_EQ(ThroughSysnative(R"(C:\Windows\System32\x.bin)", kWin), R"(C:\Windows\Sysnative\x.bin)");
  EXPECT_EQ(ThroughSysnative(R"(c:\WINDOWS\system32\tools\t.exe)", kWin), R"(C:\Windows\Sysnative\tools\t.exe)");
  EXPECT_EQ(ThroughSysnative("C:/Windows/System32/drivers/x.sys", kWin), R"(C:\Windows\Sysnative/drivers/x.sys)");
  EXPECT_EQ(ThroughSysnative(R"(C:\Windows\System32)", R"(C:\windows\)"), R"(C:\windows\Sysnative)");
  EXPECT_EQ(ThroughSysnative(R"(C:\Windows\System32\)", kWin), R"(C:\Windows\Sysnative\)");
}

TEST(SystemPaths, EverythingElseIsLeftAsItIs) {
  for (const char* path : {R"(C:\Windows\System32x\a)", R"(C:\Windows\SysWOW64\a)", R"(C:\Windows\notepad.exe)",
                           R"(D:\Windows\System32\a)", R"(\\?\C:\Windows\System32\a)", R"(\\server\c$\Windows\System32\a)",
                           R"(System32\a)", R"(C:\Windows\Sysnative\a)", "", R"(C:\Windows)",
                           // The folders Windows leaves unredirected.
                           R"(C:\Windows\System32\catroot\a)", R"(C:\Windows\System32\CatRoot2)",
                           R"(C:\Windows\System32\DriverStore\FileRepository\x.inf)",
                           R"(C:\Windows\System32\drivers\etc\hosts)", R"(C:\Windows\System32\LogFiles\a)",
                           R"(C:\Windows\System32\spool\drivers)"})
    EXPECT_EQ(ThroughSysnative(path, kWin), path) << path;
  // Only those folders themselves: their namesakes with more letters are redirected.
  EXPECT_EQ(ThroughSysnative(R"(C:\Windows\System32\drivers\etcetera)", kWin), R"(C:\Windows\Sysnative\drivers\etcetera)");
  EXPECT_EQ(ThroughSysnative(R"(C:\Windows\System32\drivers\x.sys)", kWin), R"(C:\Windows\Sysnative\drivers\x.sys)");
  EXPECT_EQ(ThroughSysnative(R"(C:\Windows\System32\x)", ""), R"(C:\Windows\System32\x)") << "no Windows folder known";
}

TEST(SystemPaths, APathUnderSysnativeIsNamedUnderSystem32) {
  EXPECT_EQ(AsSystem32(R"(C:\Windows\Sysnative\x.bin)", kWin), R"(C:\Windows\System32\x.bin)");
  EXPECT_EQ(AsSystem32(R"(c:\windows\SYSNATIVE)", kWin), R"(C:\Windows\System32)");
  EXPECT_EQ(AsSystem32(R"(C:\Windows\System32\x.bin)", kWin), R"(C:\Windows\System32\x.bin)");
  EXPECT_EQ(AsSystem32(R"(C:\Windows\Sysnativex\a)", kWin), R"(C:\Windows\Sysnativex\a)");
}

TEST(LinkPaths, ProgramFilesIsTheNativeFolderWhenTheProgramIsThere) {
  std::map<std::string, std::string> env{{"ProgramFiles", R"(C:\Program Files (x86))"},
                                         {"ProgramW6432", R"(C:\Program Files)"},
                                         {"ProgramFiles(x86)", R"(C:\Program Files (x86))"},
                                         {"CommonProgramW6432", R"(C:\Program Files\Common Files)"},
                                         {"CommonProgramFiles(x86)", R"(C:\Program Files (x86)\Common Files)"},
                                         {"TOOLS", R"(D:\t)"}};
  std::set<std::string> files;
  auto lookup = [&](std::string_view name) -> std::optional<std::string> {
    for (const auto& [k, v] : env)
      if (k.size() == name.size() && std::equal(k.begin(), k.end(), name.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
          }))
        return v;
    return std::nullopt;
  };
  auto exists = [&](const std::string& p) { return files.count(p) != 0; };
  auto expand = [&](const char* raw, bool wow64 = true) { return ExpandLinkPath(raw, wow64, lookup, exists); };

  files = {R"(C:\Program Files\T\t.exe)", R"(C:\Program Files (x86)\T\t.exe)", R"(C:\Program Files (x86)\Old\o.exe)"};
  EXPECT_EQ(expand(R"(%ProgramFiles%\T\t.exe)"), R"(C:\Program Files\T\t.exe)");
  EXPECT_EQ(expand(R"(%programfiles%\Old\o.exe)"), R"(C:\Program Files (x86)\Old\o.exe)") << "only the 32-bit one";
  EXPECT_EQ(expand(R"(%ProgramFiles%\Gone\g.exe)"), R"(C:\Program Files\Gone\g.exe)") << "neither: the native one";
  EXPECT_EQ(expand(R"(%CommonProgramFiles%\c.exe)"), R"(C:\Program Files\Common Files\c.exe)");
  // A 64-bit Kest, or one on 32-bit Windows, expands as the system does.
  EXPECT_EQ(expand(R"(%ProgramFiles%\T\t.exe)", false), R"(C:\Program Files (x86)\T\t.exe)");
  // Other variables, unknown ones and stray percent signs.
  EXPECT_EQ(expand(R"(%TOOLS%\a%NOPE%b\100%\x.exe)"), R"(D:\t\a%NOPE%b\100%\x.exe)");
  EXPECT_EQ(expand(R"(C:\Tools\t.exe)"), R"(C:\Tools\t.exe)");
  EXPECT_EQ(expand("%%TOOLS%"), "%D:\\t");
  EXPECT_EQ(expand(""), "");
}

}  // namespace
}  // namespace kest::paths

TEST(ThirtyTwoBitView, AFileChosenThereIsStoredAsTheFileTheUserSaw) {
  const std::string win = R"(C:\Windows)";
  std::set<std::string> there = {R"(C:\Windows\SysWOW64\msvbvm60.dll)", R"(C:\Windows\SysWOW64\notepad.exe)",
                                 R"(C:\Windows\System32\notepad.exe)", R"(C:\Windows\System32\only64.dll)"};
  auto exists = [&](const std::string& p) { return there.count(p) > 0; };
  // A 32-bit open dialog or console: SysWOW64's file, where it has one.
  EXPECT_EQ(kest::paths::NameFrom32BitView(R"(C:\Windows\System32\msvbvm60.dll)", win, true, exists),
            R"(C:\Windows\SysWOW64\msvbvm60.dll)");
  EXPECT_EQ(kest::paths::NameFrom32BitView(R"(c:\windows\system32\notepad.exe)", win, true, exists),
            R"(C:\Windows\SysWOW64\notepad.exe)");
  EXPECT_EQ(kest::paths::NameFrom32BitView(R"(C:\Windows\System32\only64.dll)", win, true, exists),
            R"(C:\Windows\System32\only64.dll)");
  EXPECT_EQ(kest::paths::NameFrom32BitView(R"(C:\Windows\Sysnative\notepad.exe)", win, true, exists),
            R"(C:\Windows\System32\notepad.exe)");
  // A drop from an unknown program: System32's name stays unless only SysWOW64 has the file.
  EXPECT_EQ(kest::paths::NameFrom32BitView(R"(C:\Windows\System32\notepad.exe)", win, false, exists),
            R"(C:\Windows\System32\notepad.exe)");
  EXPECT_EQ(kest::paths::NameFrom32BitView(R"(C:\Windows\System32\msvbvm60.dll)", win, false, exists),
            R"(C:\Windows\SysWOW64\msvbvm60.dll)");
  // Folders the system does not redirect, and everything else, stay.
  there.insert(R"(C:\Windows\SysWOW64\drivers\etc\hosts)");
  EXPECT_EQ(kest::paths::NameFrom32BitView(R"(C:\Windows\System32\drivers\etc\hosts)", win, true, exists),
            R"(C:\Windows\System32\drivers\etc\hosts)");
  EXPECT_EQ(kest::paths::NameFrom32BitView(R"(D:\w\a.exe)", win, true, exists), R"(D:\w\a.exe)");
  EXPECT_TRUE(kest::paths::InSystemFolder(R"(C:\Windows\Sysnative\x)", win));
  EXPECT_FALSE(kest::paths::InSystemFolder(R"(C:\Windows\SysWOW64\x)", win));
}

TEST(ThirtyTwoBitView, AVerbCommandGetsTheFileOnce) {
  EXPECT_EQ(kest::paths::VerbCommandLine(R"(C:\W\notepad.exe %1)", R"(C:\W\System32\a b.log)"),
            R"(C:\W\notepad.exe "C:\W\System32\a b.log")");
  EXPECT_EQ(kest::paths::VerbCommandLine(R"("C:\P\ed.exe" /open "%1" %*)", R"(C:\a.txt)"), R"("C:\P\ed.exe" /open "C:\a.txt" )");
  EXPECT_EQ(kest::paths::VerbCommandLine(R"("C:\P\v.exe" "%L" -p 100%%)", R"(C:\a.txt)"), R"("C:\P\v.exe" "C:\a.txt" -p 100%)");
  EXPECT_EQ(kest::paths::VerbCommandLine(R"("C:\P\v.exe")", R"(C:\a.txt)"), R"("C:\P\v.exe" "C:\a.txt")");
}
