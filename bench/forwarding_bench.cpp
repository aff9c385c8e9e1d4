// A second start with a file argument, from its process start until the file is in the running
// copy's list, against a bare start of a trivial program, in the same run. Each start is timed
// from a settled system: under Wine a process started while the last one is still being torn
// down takes three to four times as long, and a user's second start never follows that close.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_util.h"
#include "e2e/harness.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
  e2e::DeleteAtomCompletely("OnlyOneKest");
  e2e::ClearAtomsWithPrefix("KestComLine=");
  e2e::AppDir app("bench-forwarding");
  e2e::AppDir trivial("bench-trivial", e2e::ExeDir() + "kest_trivial.exe");

  e2e::Process first = e2e::Process::Start(app.exe(), e2e::Quoted(app.exe()) + " ", app.path());
  HWND main = e2e::WaitForWindow("TfKest", first.pid(), 15000, true);
  if (!main) {
    std::printf("Kest did not start\n");
    return 1;
  }

  const DWORD settle = 100;
  std::vector<double> bare, secondBare, forward, forwardEnded, scanStrings, scanIntegers;
  for (int i = 0; i < runs; ++i) {
    Sleep(settle);
    double t0 = bench::NowMs();
    e2e::Process p = e2e::Process::Start(trivial.exe(), e2e::Quoted(trivial.exe()), trivial.path());
    p.waitExit(15000);
    bare.push_back(bench::NowMs() - t0);
  }
  for (int i = 0; i < runs; ++i) {
    Sleep(settle);
    double t0 = bench::NowMs();
    e2e::Process p = e2e::Process::Start(app.exe(), e2e::Quoted(app.exe()) + " ", app.path());
    p.waitExit(15000);
    secondBare.push_back(bench::NowMs() - t0);
  }
  HWND list = e2e::FindChildByClass(main, "SysListView32");
  for (int i = 0; i < runs; ++i) {
    std::string target = "C:\\bench\\target" + std::to_string(i) + ".exe";
    int before = e2e::ListViewCount(list);
    Sleep(settle);
    double t0 = bench::NowMs();
    e2e::Process p = e2e::Process::Start(app.exe(), e2e::Quoted(app.exe()) + " " + target + "\"", app.path());
    e2e::WaitUntil([&] { return e2e::ListViewCount(list) > before; }, 30000, 1);
    forward.push_back(bench::NowMs() - t0);
    p.waitExit(15000);
    forwardEnded.push_back(bench::NowMs() - t0);
  }
  // What the receiver's scan costs here, one name lookup per atom value.
  char buffer[256];
  for (int i = 0; i < 3; ++i) {
    double t0 = bench::NowMs();
    for (unsigned v = 0xC000; v <= 0xFFFF; ++v) GlobalGetAtomNameA(static_cast<ATOM>(v), buffer, 256);
    scanStrings.push_back(bench::NowMs() - t0);
    t0 = bench::NowMs();
    for (unsigned v = 1; v < 0xC000; ++v) GlobalGetAtomNameA(static_cast<ATOM>(v), buffer, 256);
    scanIntegers.push_back(bench::NowMs() - t0);
  }

  std::printf("Forwarding a second start's argument (%d runs each)\n", runs);
  bench::Report("bare start and exit of a trivial program", bare);
  bench::Report("second start of Kest without argument (activates only)", secondBare);
  bench::Report("second start with a file, until the file is in the running list", forward);
  bench::Report("second start with a file, until it has ended (activation included)", forwardEnded);
  bench::Report("name lookups of string atom values 0xC000-0xFFFF", scanStrings);
  bench::Report("name lookups of integer atom values 0x0001-0xBFFF (skipped)", scanIntegers);
  std::printf("ratio forward / bare: %.2f (goal: at most 2)\n", bench::Median(forward) / bench::Median(bare));
  std::printf("forwarding's own cost to the second start (ended - without argument): %.0f ms\n",
              bench::Median(forwardEnded) - bench::Median(secondBare));

  e2e::PostClose(main);
  first.waitExit(15000);
  e2e::DeleteAtomCompletely("OnlyOneKest");
  return 0;
}
