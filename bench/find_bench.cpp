// The find box's filter over 2,000 tools in 100 folders, held in memory as the box holds them:
// building the index once, and the filter at each keystroke while a few queries are typed
// letter by letter (the box filters again after every change of the query).
#include <cstdio>
#include <string>
#include <vector>

#include "bench_util.h"
#include "catalog/tool_search.h"

namespace {

constexpr int kFolders = 100;
constexpr int kToolsPerFolder = 20;
constexpr int kRuns = 200;

std::vector<kest::ToolSearchEntry> MakeEntries() {
  const char* folders[] = {"Debuggers", "Hex editors", "Unpackers", "PE tools", "Disassemblers",
                           "Network", "Monitors", "Resource editors", "Crypto", "Scripts"};
  const char* tools[] = {"x32dbg", "x64dbg", "OllyDbg", "WinDbg", "HxD", "010 Editor", "UPX", "PEiD",
                         "Detect It Easy", "IDA Free", "Ghidra", "Wireshark", "Process Monitor",
                         "Resource Hacker", "CFF Explorer", "Scylla", "dnSpy", "API Monitor",
                         "Regshot", "HashCalc"};
  std::vector<kest::ToolSearchEntry> entries;
  for (int f = 0; f < kFolders; ++f) {
    std::string folder = std::string(folders[f % 10]) + " " + std::to_string(f / 10);
    for (int t = 0; t < kToolsPerFolder; ++t) {
      std::string name = std::string(tools[t]) + " v" + std::to_string(f % 7) + "." + std::to_string(t);
      entries.push_back({{folder, name}, folder + "\\" + name});
    }
  }
  return entries;
}

}  // namespace

int main() {
  const std::vector<kest::ToolSearchEntry> entries = MakeEntries();
  std::printf("find box filter over %zu tools in %d folders\n", entries.size(), kFolders);

  std::vector<double> build;
  for (int r = 0; r < 20; ++r) {
    std::vector<kest::ToolSearchEntry> copy = entries;
    double t0 = bench::NowMs();
    kest::ToolSearch search(std::move(copy));
    build.push_back(bench::NowMs() - t0);
  }
  bench::Report("index built at the opening (2,000 entries)", build);

  kest::ToolSearch search(entries);
  std::vector<std::size_t> matches;
  const char* queries[] = {"dbg x32", "debuggers 3 olly", "HEX", "monitor process v4", "nothing here"};
  for (const char* query : queries) {
    const std::string typed = query;
    std::vector<double> keystrokes;
    std::size_t found = 0;
    for (int r = 0; r < kRuns; ++r) {
      for (std::size_t n = 1; n <= typed.size(); ++n) {
        double t0 = bench::NowMs();
        search.Filter(std::string_view(typed).substr(0, n), matches);
        keystrokes.push_back(bench::NowMs() - t0);
      }
      found = matches.size();
    }
    std::string what = "per keystroke, \"" + typed + "\" (" + std::to_string(found) + " found)";
    bench::Report(what.c_str(), keystrokes);
  }
  std::vector<double> empty;
  for (int r = 0; r < kRuns; ++r) {
    double t0 = bench::NowMs();
    search.Filter("", matches);
    empty.push_back(bench::NowMs() - t0);
  }
  bench::Report("empty query (every tool listed)", empty);
  return 0;
}
