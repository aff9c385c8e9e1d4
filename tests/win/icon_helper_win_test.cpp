// The targets' icons from the real helper, Kest's own executable started with its switch, on files
// made to break the system's icon code: each costs at most its own icon, and the next file's icon
// comes from a new helper. A start with the switch does nothing of a start of Kest.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include "common/pe_files.h"
#include "kest_version.h"
#include "platform/win32/file_contents.h"
#include "platform/win32/helper_process.h"
#include "targets/icon_protocol.h"
#include "targets/target_icons.h"
#include "win/win_test_util.h"

namespace kest {
namespace {

using testutil::IconFlaw;

std::string ProgramBeside() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir(self);
  return dir.substr(0, dir.find_last_of('\\') + 1) + KEST_PROGRAM_FILE;
}

TEST(IconHelperTest, HostileFilesCostOnlyTheirOwnIconsAndTheRestStillCome) {
  wintest::ScratchDir dir("icon-helper");
  constexpr std::uint32_t kRed = 0xFF0000;
  std::vector<std::pair<std::string, bool>> files;  // path, and whether its icon must come
  int n = 0;
  auto add = [&](const std::string& bytes, const std::string& ext, bool good) {
    files.push_back({dir + ("f" + std::to_string(n++) + ext), good});
    wintest::WriteText(files.back().first, bytes);
  };
  for (IconFlaw flaw : {IconFlaw::GroupClaimsTooMany, IconFlaw::PastTheEnd, IconFlaw::LyingBitmap, IconFlaw::LyingPng,
                        IconFlaw::LoopingDirectory, IconFlaw::CutInDirectory}) {
    for (bool plus : {false, true}) {
      add(testutil::IconProgram(kRed, flaw, plus), ".exe", false);
      // After each, a sound program, whose icon comes from whichever helper is left.
      add(testutil::IconProgram(kRed, IconFlaw::None, plus), ".exe", true);
    }
  }
  for (IconFlaw flaw : {IconFlaw::GroupClaimsTooMany, IconFlaw::PastTheEnd, IconFlaw::LyingBitmap}) {
    add(testutil::IconFile(kRed, flaw), ".ico", false);
    add(testutil::IconFile(kRed), ".ico", true);
  }
  win32::Win32FileContents contents;
  TargetIcons::Limits limits;
  limits.startMs = 30000;  // a loaded machine under Wine
  limits.answerMs = 10000;
  limits.lossesInARow = 100;
  const std::string program = ProgramBeside();
  int starts = 0;
  TargetIcons icons(contents,
                    [&] {
                      ++starts;
                      return win32::StartHelperProcess(program, std::string(kIconHelperSwitch));
                    },
                    nullptr, limits);
  wintest::WriteText(dir + "plain.kestnotype", "no type the registry knows");
  icons.Ask(dir + "plain.kestnotype", 16);
  for (const auto& f : files) icons.Ask(f.first, 16);
  std::map<std::string, TargetIcons::Answer> own, types;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (own.size() < files.size() && std::chrono::steady_clock::now() < until) {
    for (TargetIcons::Answer& a : icons.Take()) {
      if (a.of == TargetIcons::Answer::Of::File) own.insert_or_assign(a.key, a);
      if (a.of == TargetIcons::Answer::Of::Type) types.insert_or_assign(a.key, a);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (const auto& [path, good] : files) {
    auto answer = own.find(path);
    ASSERT_NE(answer, own.end()) << path << " got no answer";
    if (!good) continue;
    ASSERT_TRUE(answer->second.icon) << path;
    EXPECT_EQ(answer->second.icon->colour[8 * 16 + 8] & 0xFFFFFF, kRed) << path;
  }
  std::printf("%d helpers for %zu files\n", starts, files.size());
  // The shell's icons of the kinds, for a type it does not know too.
  ASSERT_TRUE(types.count(".exe") && types.count(".ico") && types.count(".kestnotype"));
  EXPECT_TRUE(types[".exe"].icon && types[".ico"].icon && types[".kestnotype"].icon);

  // A start with the switch but without Kest's pipe ends at once: no window, no marker, no
  // settings file.
  CopyFileA(program.c_str(), (dir + "Kest.exe").c_str(), FALSE);
  STARTUPINFOA si{sizeof si};
  PROCESS_INFORMATION pi{};
  std::string line = "\"" + dir.path() + "Kest.exe\" \"" + std::string(kIconHelperSwitch) + "\"";
  ASSERT_TRUE(CreateProcessA((dir + "Kest.exe").c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             dir.path().c_str(), &si, &pi));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
  if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(GetFileAttributesA((dir + "Tools.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GlobalFindAtomA("OnlyOneKest"), 0);
}

}  // namespace
}  // namespace kest
