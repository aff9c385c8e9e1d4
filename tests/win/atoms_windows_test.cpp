// Global atoms, window search and attribute words through the real API.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "core/single_instance.h"
#include "platform/types.h"
#include "platform/win32/atom_table.h"
#include "platform/win32/file_system.h"
#include "platform/win32/instance_objects.h"
#include "platform/win32/window_system.h"
#include "platform/win32/forward_notice.h"

#include <sddl.h>
#include "windows/forward_receiver.h"
#include "win/win_test_util.h"
#include "core/window_ids.h"

namespace kest {
namespace {

TEST(GlobalAtomTable, ReferencesNamesAndLimits) {
  win32::GlobalAtomTable atoms;
  const std::string name = "KestWinTest=refs";
  ASSERT_EQ(atoms.find(name), 0);
  AtomValue a = atoms.add(name);
  ASSERT_GE(a, 0xC000);
  EXPECT_EQ(atoms.add(name), a);  // a second reference, same value
  EXPECT_EQ(atoms.find("kestwintest=REFS"), a);  // names compare without regard to case
  EXPECT_EQ(atoms.name(a, 255), name);
  atoms.remove(a);
  EXPECT_EQ(atoms.find(name), a);  // one reference left
  atoms.remove(a);
  EXPECT_EQ(atoms.find(name), 0);
  EXPECT_EQ(atoms.name(a, 255), std::nullopt);

  // Integer atoms are named "#n": they can never look like a forwarding atom.
  EXPECT_EQ(atoms.name(0x1234, 255), "#4660");

  // 255 characters is the most a name holds: a longer forwarded argument is refused.
  std::string fits = kForwardPrefix + std::string(243, 'x');
  AtomValue f = atoms.add(fits);
  ASSERT_NE(f, 0);
  // The receiver's buffer holds the longest name whole.
  EXPECT_EQ(atoms.name(f, 256), fits);
  atoms.remove(f);
  EXPECT_EQ(atoms.add(kForwardPrefix + std::string(244, 'x')), 0);
}

TEST(GlobalAtomTable, ParallelScanFindsWhatASequentialOneFinds) {
  win32::GlobalAtomTable atoms;
  std::vector<AtomValue> mine;
  for (int i = 0; i < 20; ++i) mine.push_back(atoms.add("KestWinTest=scan" + std::to_string(i)));
  auto parallel = atoms.names(0xC000, 0xFFFF, 256);
  auto sequential = atoms.AtomTable::names(0xC000, 0xFFFF, 256);
  EXPECT_EQ(parallel, sequential);
  EXPECT_TRUE(std::is_sorted(parallel.begin(), parallel.end()));
  int seen = 0;
  for (auto& [value, name] : parallel) seen += name.rfind("KestWinTest=scan", 0) == 0;
  EXPECT_EQ(seen, 20);
  for (AtomValue v : mine) atoms.remove(v);
}

TEST(GlobalAtomTable, ReceiverTakesOverRealForwardingAtoms) {
  win32::GlobalAtomTable atoms;
  AtomValue first = atoms.add(R"(KestComLine=C:\one.exe)");
  AtomValue second = atoms.add(R"(KestComLine=C:\two dir\two.exe)");
  ASSERT_NE(first, 0);
  ASSERT_NE(second, 0);
  std::vector<std::string> got;
  ReceiveForwardedArguments(atoms, [&](const std::string& p) { got.push_back(p); });
  std::vector<std::string> want{R"(C:\one.exe)", R"(C:\two dir\two.exe)"};
  if (second < first) std::swap(want[0], want[1]);
  EXPECT_EQ(got, want);
  EXPECT_EQ(atoms.find(R"(KestComLine=C:\one.exe)"), 0);
  EXPECT_EQ(atoms.find(R"(KestComLine=C:\two dir\two.exe)"), 0);

  // A copy's end takes its own reference of the marker, not the other copies'.
  for (int i = 0; i < 3; ++i) atoms.add(kInstanceMarker);
  ReleaseInstanceMarker(atoms);
  ASSERT_NE(atoms.find(kInstanceMarker), 0);
  ReleaseInstanceMarker(atoms);
  ReleaseInstanceMarker(atoms);
  EXPECT_EQ(atoms.find(kInstanceMarker), 0);
}

// Two starts are two processes; here two threads each own what a process would.
TEST(Win32InstanceObjects, OneStartDecidesAtATimeAndTheSignOfLifeGoesWithItsHolder) {
  const std::string lockName = "KestWinTest.StartUp", aliveName = "KestWinTest.Running";
  win32::Win32InstanceObjects mine(lockName, aliveName);
  ASSERT_TRUE(mine.lockStart(1000));
  bool otherGotIt = true;
  std::thread([&] {
    win32::Win32InstanceObjects other(lockName, aliveName);
    otherGotIt = other.lockStart(50);
  }).join();
  EXPECT_FALSE(otherGotIt) << "the lock is held";
  mine.unlockStart();
  // A start that dies while deciding leaves the lock abandoned, which counts as free.
  std::thread([&] {
    HANDLE lock = CreateMutexA(nullptr, FALSE, lockName.c_str());
    WaitForSingleObject(lock, INFINITE);
    CloseHandle(lock);
  }).join();
  EXPECT_TRUE(mine.lockStart(1000));
  mine.unlockStart();

  // The sign of life lasts as long as a holder does.
  EXPECT_FALSE(mine.anyAlive());
  {
    win32::Win32InstanceObjects running(lockName, aliveName);
    running.holdAlive();
    EXPECT_TRUE(mine.anyAlive());
  }
  EXPECT_FALSE(mine.anyAlive());

  // A name another program took for another kind of object gives no lock, and no hang.
  HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, "KestWinTest.Squatted");
  win32::Win32InstanceObjects squatted("KestWinTest.Squatted", "KestWinTest.Squatted");
  EXPECT_FALSE(squatted.lockStart(1000));
  squatted.holdAlive();
  EXPECT_FALSE(squatted.anyAlive());
  CloseHandle(squatter);
}

// A start may send while the main window is being made, before its stored targets are loaded.
TEST(ForwardReceiver, KeepsForwardsUntilTheWindowCanTakePaths) {
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  win32::GlobalAtomTable atoms;
  ForwardReceiver receiver(atoms, msg::kForwardSearchDone, timers::kForwardSearch);
  const std::string early = R"(KestComLine=C:\early\one.exe)", late = R"(KestComLine=C:\late\two.exe)";
  AtomValue a = atoms.add(early);
  ASSERT_NE(a, 0);
  std::vector<std::string> got;
  auto dispatch = [&](const std::string& p) { got.push_back(p); };
  receiver.OnForward(window, a, dispatch);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(atoms.find(early), a) << "the atom waits in the table";
  receiver.Ready(window, dispatch);
  EXPECT_EQ(got, std::vector<std::string>{R"(C:\early\one.exe)"});
  EXPECT_EQ(atoms.find(early), 0);
  // From now on at once.
  AtomValue b = atoms.add(late);
  receiver.OnForward(window, b, dispatch);
  EXPECT_EQ(got.size(), 2u);
  EXPECT_EQ(atoms.find(late), 0);
  KillTimer(window, timers::kForwardSearch);
  DestroyWindow(window);
}

// A search that ends while the window closes leaves what it found to the starts that were
// refused; an open window takes it.
TEST(ForwardReceiver, ASearchEndingWhileTheWindowClosesLeavesTheAtoms) {
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  win32::GlobalAtomTable atoms;
  ForwardReceiver receiver(atoms, msg::kForwardSearchDone, timers::kForwardSearch);
  std::vector<std::string> got;
  auto dispatch = [&](const std::string& p) { got.push_back(p); };
  receiver.Ready(window, dispatch);
  const std::string name = R"(KestComLine=C:\refused\one.exe)";
  const AtomValue a = atoms.add(name);
  ASSERT_NE(a, 0);
  auto searchOnce = [&](const ForwardReceiver::Dispatch& with) {
    receiver.OnTimer(window);
    MSG m{};
    const DWORD deadline = GetTickCount() + 10000;
    while (!PeekMessageA(&m, window, msg::kForwardSearchDone, msg::kForwardSearchDone, PM_REMOVE))
      if (GetTickCount() > deadline) return false; else Sleep(1);
    receiver.OnSearchDone(window, with);
    return true;
  };
  ASSERT_TRUE(searchOnce({}));
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(atoms.find(name), a) << "the refused start's atom was taken";
  ASSERT_TRUE(searchOnce(dispatch));
  EXPECT_EQ(got, std::vector<std::string>{R"(C:\refused\one.exe)"});
  EXPECT_EQ(atoms.find(name), 0);
  DestroyWindow(window);
}

LRESULT CALLBACK EchoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == msg::kForwardedCommandLine) return 0x5A;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(ForwardSecurity, TheLineIsForThisUserAtAnyRightsAndWritable) {
  win32::ForwardSecurity security;
  const std::string text = security.text();
  ASSERT_FALSE(text.empty()) << "the system took no description";
  // This user, the system and the administrators; and writers of medium integrity, so that a
  // start without administrator rights reaches a copy that has them.
  EXPECT_EQ(text.rfind("D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;S-", 0), 0u) << text;
  // The label: medium integrity, no writes from below it.
  BOOL present = FALSE, defaulted = FALSE;
  PACL sacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorSacl(security.attributes()->lpSecurityDescriptor, &present, &sacl, &defaulted));
  ASSERT_TRUE(present && sacl && sacl->AceCount == 1) << "no label";
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(sacl, 0, &ace));
  auto* label = static_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace);
  EXPECT_EQ(label->Header.AceType, SYSTEM_MANDATORY_LABEL_ACE_TYPE);
  EXPECT_EQ(label->Mask, static_cast<DWORD>(SYSTEM_MANDATORY_LABEL_NO_WRITE_UP));
  char* labelSid = nullptr;
  ASSERT_TRUE(ConvertSidToStringSidA(&label->SidStart, &labelSid));
  EXPECT_STREQ(labelSid, "S-1-16-8192");
  LocalFree(labelSid);
  const std::string name = "\\\\.\\mailslot\\KestTestLine." + std::to_string(GetCurrentProcessId());
  HANDLE line = CreateMailslotA(name.c_str(), 2, 0, security.attributes());
  ASSERT_NE(line, INVALID_HANDLE_VALUE);
  HANDLE writer = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  CloseHandle(line);
}

TEST(Win32WindowSystem, FindsTopLevelWindowsByClassAndSends) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = EchoProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KestWinTestWindow";
  ASSERT_NE(RegisterClassA(&wc), 0);
  win32::Win32WindowSystem windows;
  EXPECT_EQ(windows.findByClass("KestWinTestWindow"), nullptr);
  HWND w = CreateWindowExA(0, "KestWinTestWindow", "any title", WS_POPUP, 0, 0, 10, 10, nullptr,
                           nullptr, wc.hInstance, nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(windows.findByClass("KestWinTestWindow"), w);  // found whatever its title
  EXPECT_EQ(windows.send(w, msg::kForwardedCommandLine, 0, 0, 1000), std::optional<std::intptr_t>(0x5A));
  EXPECT_TRUE(windows.exists(w));
  DestroyWindow(w);
  EXPECT_EQ(windows.findByClass("KestWinTestWindow"), nullptr);
  // A window that has gone answers nothing.
  EXPECT_FALSE(windows.exists(w));
  EXPECT_EQ(windows.send(w, msg::kForwardedCommandLine, 0, 0, 1000), std::nullopt);
  UnregisterClassA("KestWinTestWindow", wc.hInstance);
}

TEST(Win32FileSystem, AttributeWordsDecideWhatIsAFolder) {
  wintest::ScratchDir dir("attrs");
  win32::Win32FileSystem fs;
  // Wine keeps the hidden bit of a directory, but not its read-only or archive bits.
  std::string plain = dir + "plain", hidden = dir + "hidden", dotted = dir + ".dotted";
  for (auto& d : {plain, hidden, dotted}) ASSERT_TRUE(CreateDirectoryA(d.c_str(), nullptr));
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  wintest::WriteText(dir + "a.exe", "MZ");

  EXPECT_EQ(fs.attributes(plain), 16u);
  EXPECT_TRUE(IsPlainFolder(fs.attributes(plain)));
  EXPECT_EQ(fs.attributes(hidden), 18u);
  EXPECT_FALSE(IsPlainFolder(fs.attributes(hidden)));
  EXPECT_FALSE(IsPlainFolder(fs.attributes(dir + "a.exe")));
  EXPECT_EQ(fs.attributes(dir + "a.exe") & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(fs.attributes(dir + "missing"), kInvalidAttributes);
}

TEST(Win32FileSystem, CopiesOverAFileAndGivesTheSystemsCodeWhenItCannot) {
  wintest::ScratchDir dir("copy");
  win32::Win32FileSystem fs;
  wintest::WriteText(dir + "app.exe", "version 1");
  wintest::WriteText(dir + "app.exe.KestBackUp", "older");
  EXPECT_TRUE(fs.copyFile(dir + "app.exe", dir + "app.exe.KestBackUp", false));
  EXPECT_EQ(wintest::ReadText(dir + "app.exe.KestBackUp"), "version 1");
  EXPECT_FALSE(fs.copyFile(dir + "missing.exe", dir + "app.exe", false));
  EXPECT_EQ(fs.lastError(), 2u);
  EXPECT_EQ(wintest::ReadText(dir + "app.exe"), "version 1");
}

}  // namespace
}  // namespace kest
