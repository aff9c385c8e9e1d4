// What taking the targets' icons in a helper process costs: a helper's start until it is ready,
// and an icon taken through it, against the same icon taken in this process (ExtractIconA and
// the drawing into pixels); then the icons of a screenful of rows (20 programs) through the
// list's own client, from its first question until the last icon is there. Medians of runs.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_util.h"
#include "e2e/harness.h"
#include "platform/win32/file_contents.h"
#include "platform/win32/helper_process.h"
#include "platform/win32/program_icons.h"
#include "targets/icon_protocol.h"
#include "targets/target_icons.h"

namespace {

constexpr int kPrograms = 20;

std::unique_ptr<kest::HelperProcess> Start() {
  return kest::win32::StartHelperProcess(e2e::ExeDir() + "Kest.exe", std::string(kest::kIconHelperSwitch));
}

// Exactly count bytes of the helper's answer, or false.
bool Receive(kest::HelperProcess& helper, std::string& into, std::size_t count) {
  const std::size_t want = into.size() + count;
  while (into.size() < want)
    if (helper.receive(into, want - into.size(), 10000) != kest::HelperProcess::Received::Some) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
  e2e::AppDir dir("bench-icon-helper", "");
  std::vector<std::string> programs;
  for (int i = 0; i < kPrograms; ++i) {
    programs.push_back(dir.file("p" + std::to_string(i) + ".exe"));
    CopyFileA((e2e::ExeDir() + "kest_bench_program.exe").c_str(), programs.back().c_str(), FALSE);
  }
  std::vector<double> startMs, helperIconMs, ownIconMs, screenfulMs;
  kest::win32::Win32ProgramIcons inProcess;
  for (int r = 0; r < runs; ++r) {
    double t0 = bench::NowMs();
    std::unique_ptr<kest::HelperProcess> helper = Start();
    std::string hello;
    if (!helper || !Receive(*helper, hello, kest::kAnswerHeaderBytes)) {
      std::printf("the helper did not start\n");
      return 1;
    }
    startMs.push_back(bench::NowMs() - t0);
    for (const std::string& p : programs) {
      t0 = bench::NowMs();
      std::string answer;
      helper->send(kest::EncodeRequest(kest::IconRequest{kest::IconOf::File, 16, p}));
      Receive(*helper, answer, kest::kAnswerHeaderBytes + kest::IconBodyBytes(16));
      helperIconMs.push_back(bench::NowMs() - t0);
      t0 = bench::NowMs();
      inProcess.extract(p, 16);
      ownIconMs.push_back(bench::NowMs() - t0);
    }
    // The list's client, with a helper of its own: every kind and icon of a screenful.
    kest::win32::Win32FileContents files;
    kest::TargetIcons icons(files, Start, nullptr);
    t0 = bench::NowMs();
    for (const std::string& p : programs) icons.Ask(p, 16);
    int own = 0;
    while (own < kPrograms && bench::NowMs() - t0 < 60000) {
      for (const auto& a : icons.Take())
        if (a.of == kest::TargetIcons::Answer::Of::File) ++own;
      Sleep(1);
    }
    screenfulMs.push_back(bench::NowMs() - t0);
  }
  std::printf("The targets' icons through the helper process (%d runs)\n", runs);
  bench::Report("a helper's start until it is ready", startMs);
  bench::Report("an icon through the helper", helperIconMs);
  bench::Report("the same icon in this process", ownIconMs);
  bench::Report("20 rows' kinds and icons, a new helper included", screenfulMs);
  return 0;
}
