#pragma once
// Starting, finding and closing copies of Kest.exe for the end-to-end tests.
#include <gtest/gtest.h>

#include <string>

#include "e2e/harness.h"

namespace kest::e2etest {

// The command line of a start without argument: the quoted executable and one blank.
inline std::string BareCommandLine(const e2e::AppDir& app) { return e2e::Quoted(app.exe()) + " "; }
// The command line the Explorer commands make: quoted executable, blank, path, closing quote.
inline std::string ArgumentCommandLine(const e2e::AppDir& app, const std::string& path) {
  return e2e::Quoted(app.exe()) + " " + path + "\"";
}

// A running copy of Kest: its process and main window.
struct Kest {
  e2e::Process process;
  HWND main = nullptr;

  HWND targetList() const { return e2e::FindChildByClass(main, "SysListView32"); }
  std::vector<std::string> targetNames() const { return e2e::ListViewColumn(targetList(), 0); }
  std::vector<std::string> targetDirs() const { return e2e::ListViewColumn(targetList(), 1); }
};

// Starts a copy that is expected to open its main window.
inline Kest StartKest(const e2e::AppDir& app, const std::string& commandLine) {
  Kest k;
  k.process = e2e::Process::Start(app.exe(), commandLine, app.path());
  k.main = e2e::WaitForWindow("TfKest", k.process.pid(), 15000, true);
  EXPECT_NE(k.main, nullptr) << "no main window for " << commandLine;
  return k;
}

// Starts a copy that is expected to end by itself without a window; returns its exit code.
inline DWORD RunRefusedStart(const e2e::AppDir& app, const std::string& commandLine) {
  e2e::Process p = e2e::Process::Start(app.exe(), commandLine, app.path());
  DWORD code = 0xDEAD;
  EXPECT_TRUE(p.waitExit(15000, &code)) << "the start did not end: " << commandLine;
  return code;
}

// Closes the main window and waits for the process to end.
inline void CloseKest(Kest& k) {
  if (!k.main) return;
  e2e::PostClose(k.main);
  DWORD code = 0xDEAD;
  EXPECT_TRUE(k.process.waitExit(15000, &code)) << "Kest did not end after WM_CLOSE";
  EXPECT_EQ(code, 0u);
  k.main = nullptr;
}

// Every test starts with a clean atom table as far as Kest is concerned.
class KestTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearKestAtoms(); }
  void TearDown() override { ClearKestAtoms(); }
  static void ClearKestAtoms() {
    e2e::DeleteAtomCompletely("OnlyOneKest");
    e2e::ClearAtomsWithPrefix("KestComLine=");
  }
};

}  // namespace kest::e2etest
