// Kest on the Windows every user runs: a 64-bit one, where a 32-bit program's paths under
// System32 are redirected to SysWOW64 and %ProgramFiles% is "Program Files (x86)". Each case puts
// a different file of the same name on the other side, so that the file touched shows at once.
// They run for Kest64.exe and for the 32-bit Kest.exe in a 64-bit prefix, and are skipped
// elsewhere.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"
#include "platform/win32/shell_links.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

bool SixtyFourBitWindows() {
  if (sizeof(void*) == 8) return true;
  BOOL wow = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow) && wow;
}

std::string WindowsDir() {
  char dir[MAX_PATH] = {};
  GetWindowsDirectoryA(dir, MAX_PATH);
  return dir;
}
// The system folder as the user names it, as this test program reaches its real content, and
// the 32-bit one.
std::string NamedSystemDir() { return WindowsDir() + "\\System32"; }
std::string RealSystemDir() { return WindowsDir() + (sizeof(void*) == 8 ? "\\System32" : "\\Sysnative"); }
std::string WowSystemDir() {
  char dir[MAX_PATH] = {};
  GetSystemWow64DirectoryA(dir, MAX_PATH);
  return dir;
}
std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string ReadAll(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}
void WriteAll(const std::string& path, const std::string& text) {
  e2e::MakeDirs(path.substr(0, path.find_last_of('\\')));
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

class KestWow64Test : public KestTest {
 protected:
  void SetUp() override {
    if (!SixtyFourBitWindows()) GTEST_SKIP() << "not a 64-bit Windows";
    KestTest::SetUp();
  }
  void TearDown() override {
    for (const std::string& p : made_) {
      if (e2e::DirExists(p)) e2e::RemoveTree(p);
      else DeleteFileA(p.c_str());
    }
    KestTest::TearDown();
  }
  // A name of this run's own, so that no two runs meet in the system folders.
  std::string Unique(const std::string& stem) const { return stem + "-" + std::to_string(GetCurrentProcessId()); }
  void Made(const std::string& path) { made_.push_back(path); }

 private:
  std::vector<std::string> made_;
};

TEST_F(KestWow64Test, BackupAndRestoreActOnTheRealSystemFile) {
  AppDir app("wow-backup");
  const std::string name = Unique("kestwow") + ".bin";
  const std::string real = RealSystemDir() + "\\" + name, twin = WowSystemDir() + "\\" + name;
  for (const std::string& p : {real, twin, real + ".KestBackUp", twin + ".KestBackUp"}) Made(p);
  WriteAll(real, "the real file");
  WriteAll(twin, "its 32-bit namesake");
  StoreTargets(app, {NamedSystemDir() + "\\" + name});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(k.targetDirs(), std::vector<std::string>{NamedSystemDir() + "\\"}) << "shown as the user named it";

  k.click(ids::backup);
  auto made = e2e::WaitForMessageBox("Kest info", 10000, k.process.pid());
  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(made->text, "Backup created!");
  e2e::AnswerMessageBox(made->hwnd, IDOK);
  EXPECT_EQ(ReadAll(real + ".KestBackUp"), "the real file");
  EXPECT_FALSE(e2e::FileExists(twin + ".KestBackUp")) << "nothing is written beside the namesake";

  WriteAll(real, "patched by a tool");
  k.click(ids::restore);
  auto restored = e2e::WaitForMessageBox("Kest info", 10000, k.process.pid());
  ASSERT_TRUE(restored.has_value());
  EXPECT_EQ(restored->text, "Backup restored!");
  e2e::AnswerMessageBox(restored->hwnd, IDOK);
  EXPECT_EQ(ReadAll(real), "the real file");
  EXPECT_EQ(ReadAll(twin), "its 32-bit namesake");
  CloseKest(k);
  EXPECT_EQ(app.readIni("Targets", "0"), NamedSystemDir() + "\\" + name) << "stored as the user named it";
}

TEST_F(KestWow64Test, ASystem32ToolRunsAsItselfOnTheSystem32Target) {
  // A program in System32 is a 64-bit one: a 32-bit probe there would write its log through
  // its own redirected view.
  const std::string probe = sizeof(void*) == 8 ? e2e::ExeDir() + "kest_probe.exe" : Env("KEST_E2E_PROBE64");
  if (probe.empty()) GTEST_SKIP() << "KEST_E2E_PROBE64 names no 64-bit probe";
  AppDir app("wow-tool");
  const std::string tools = Unique("kestwow-tools");
  const std::string realTools = RealSystemDir() + "\\" + tools, twinTools = WowSystemDir() + "\\" + tools;
  Made(realTools);
  Made(twinTools);
  e2e::MakeDirs(realTools);
  e2e::MakeDirs(twinTools);
  ASSERT_TRUE(CopyFileA(probe.c_str(), (realTools + "\\probe.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((e2e::ExeDir() + "kest_probe.exe").c_str(), (twinTools + "\\probe.exe").c_str(), FALSE));
  const std::string target = Unique("kestwow-target") + ".bin";
  Made(RealSystemDir() + "\\" + target);
  WriteAll(RealSystemDir() + "\\" + target, "MZ");
  {
    win32::ComApartment com;
    win32::ComShellLinks links;
    e2e::MakeDirs(app.file("root"));
    ASSERT_TRUE(links.write(app.file("root\\Probe.lnk"), NamedSystemDir() + "\\" + tools + "\\probe.exe", "", ""));
  }
  StoreTargets(app, {NamedSystemDir() + "\\" + target});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  std::string log;
  ASSERT_TRUE(e2e::WaitUntil([&] { return (log = ReadAll(realTools + "\\probe.log")).find("cwd=") != std::string::npos; }))
      << "the System32 tool did not run";
  EXPECT_NE(log.find("\"" + target + "\""), std::string::npos) << log;
  EXPECT_FALSE(e2e::FileExists(twinTools + "\\probe.log")) << "its 32-bit namesake ran";

  // With no namesake at all the tool is not taken for missing.
  DeleteFileA((twinTools + "\\probe.exe").c_str());
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  EXPECT_TRUE(e2e::WaitUntil([&] {
    std::string again = ReadAll(realTools + "\\probe.log");
    return again.find("cwd=", again.find("cwd=") + 1) != std::string::npos;
  })) << "the System32 tool did not run a second time";
  EXPECT_TRUE(e2e::NoMessageBox("Kest warning", 10, k.process.pid()));
  CloseKest(k);
}

// A link a 64-bit program made to a program in Program Files. Windows keeps such a link's path
// also as %ProgramFiles%, which a 32-bit reader would expand to Program Files (x86); Wine keeps
// no such copy, so that expansion is tested as logic (system_paths_test.cpp) and this case holds
// the rest: the 32-bit namesake is not what runs.
TEST_F(KestWow64Test, AProgramFilesShortcutRunsTheProgramItWasMadeFor) {
  const std::string native = Env("ProgramW6432"), x86 = Env("ProgramFiles(x86)");
  ASSERT_FALSE(native.empty());
  ASSERT_FALSE(x86.empty());
  AppDir app("wow-program-files");
  const std::string folder = Unique("KestWow");
  Made(native + "\\" + folder);
  Made(x86 + "\\" + folder);
  e2e::MakeDirs(native + "\\" + folder);
  e2e::MakeDirs(x86 + "\\" + folder);
  const std::string probe = e2e::ExeDir() + "kest_probe.exe";
  ASSERT_TRUE(CopyFileA(probe.c_str(), (native + "\\" + folder + "\\probe.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(probe.c_str(), (x86 + "\\" + folder + "\\probe.exe").c_str(), FALSE));
  {
    win32::ComApartment com;
    win32::ComShellLinks links;
    e2e::MakeDirs(app.file("root"));
    ASSERT_TRUE(links.write(app.file("root\\Probe.lnk"), native + "\\" + folder + "\\probe.exe", "", ""));
  }
  app.writeFile("w\\a.exe", "MZ");
  StoreTargets(app, {app.file("w\\a.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::FileExists(native + "\\" + folder + "\\probe.log"); }))
      << "the program in " << native << " did not run";
  EXPECT_FALSE(e2e::FileExists(x86 + "\\" + folder + "\\probe.log"));
  EXPECT_TRUE(e2e::NoMessageBox("Kest warning", 10, k.process.pid()));
  CloseKest(k);
}

// A default value under HKEY_CLASSES_ROOT in both views of the registry, and its removal.
void SetClassesValue(const std::string& key, const std::string& value) {
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &h, nullptr) != ERROR_SUCCESS)
      continue;
    RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
  }
}
void DeleteClassesKey(const std::string& key) {
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    for (const char* sub : {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""})
      RegDeleteKeyExA(HKEY_CLASSES_ROOT, (key + sub).c_str(), view, 0);
  }
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

TEST_F(KestWow64Test, AnotherProgramIsGivenSystem32AndA32BitViewsFileKeepsItsName) {
  const std::string probe = sizeof(void*) == 8 ? e2e::ExeDir() + "kest_probe.exe" : Env("KEST_E2E_PROBE64");
  if (probe.empty()) GTEST_SKIP() << "KEST_E2E_PROBE64 names no 64-bit probe";
  AppDir app("wow-views");
  e2e::MakeDirs(app.file("handler"));
  ASSERT_TRUE(CopyFileA(probe.c_str(), app.file("handler\\probe.exe").c_str(), FALSE));
  // A document only System32 has, of a type a 64-bit program opens.
  const std::string type = "." + Unique("kestwowdoc"), doc = Unique("kestwow-doc") + type;
  Made(RealSystemDir() + "\\" + doc);
  WriteAll(RealSystemDir() + "\\" + doc, "a document");
  SetClassesValue(type, "KestWowDoc");
  SetClassesValue("KestWowDoc\\shell\\open\\command", "\"" + app.file("handler\\probe.exe") + "\" \"%1\"");
  // A file only SysWOW64 has: a 32-bit program showed it under the name System32.
  const std::string dll = Unique("kestwow-32") + ".dll";
  Made(WowSystemDir() + "\\" + dll);
  WriteAll(WowSystemDir() + "\\" + dll, "MZ");
  StoreTargets(app, {NamedSystemDir() + "\\" + doc});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);

  RECT r = e2e::ListViewItemRect(k.targetList(), 0, LVIR_LABEL);
  e2e::PostDoubleClick(k.targetList(), r.left + 5, (r.top + r.bottom) / 2);
  auto run = WaitForProbe(app, "handler");
  ASSERT_TRUE(run.has_value()) << "the document's program did not run";
  EXPECT_NE(Lower(run->cmd).find(Lower("\"" + NamedSystemDir() + "\\" + doc + "\"")), std::string::npos) << run->cmd;

  ASSERT_TRUE(PostDropFiles(k.main, {NamedSystemDir() + "\\" + dll}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return k.targetDirs().size() == 2; }, 5000));
  EXPECT_EQ(Lower(k.targetDirs()[1]), Lower(WowSystemDir() + "\\")) << "stored as the file the dropper showed";
  CloseKest(k);
  DeleteClassesKey(type);
  DeleteClassesKey("KestWowDoc");
}

TEST_F(KestWow64Test, A32BitAndA64BitCopyCountAsOne) {
  const std::string other = Env("KEST_E2E_OTHER_PROGRAM");
  if (other.empty()) GTEST_SKIP() << "KEST_E2E_OTHER_PROGRAM names no program of the other kind";
  AppDir app("wow-forward");
  const std::string otherExe = app.path() + (std::string(e2e::kProgramFile) == "Kest.exe" ? "Kest64.exe" : "Kest.exe");
  ASSERT_TRUE(CopyFileA(other.c_str(), otherExe.c_str(), FALSE));
  app.writeFile("w\\a.exe", "MZ");
  app.writeFile("w\\b.exe", "MZ");

  // This kind runs; the other kind's second start hands its file over and ends.
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  e2e::Process second = e2e::Process::Start(otherExe, e2e::Quoted(otherExe) + " " + app.file("w\\a.exe") + "\"", app.path());
  DWORD code = 0xDEAD;
  EXPECT_TRUE(second.waitExit(15000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(e2e::WaitUntil([&] { return k.targetNames() == std::vector<std::string>{"a.exe"}; }, 5000));
  EXPECT_EQ(e2e::TopWindows("TfKest").size(), 1u);
  CloseKest(k);

  // The other way round; its list is read from what it saves.
  e2e::Process first = e2e::Process::Start(otherExe, e2e::Quoted(otherExe) + " ", app.path());
  HWND main = e2e::WaitForWindow("TfKest", first.pid(), 15000, true);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("w\\b.exe"))), 0u);
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.readIni("Targets", "1") == app.file("w\\b.exe"); }, 5000));
  e2e::PostClose(main);
  EXPECT_TRUE(first.waitExit(15000, &code));
}

}  // namespace
}  // namespace kest::e2etest
