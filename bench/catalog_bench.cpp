// The catalog walk over 2,000 shortcuts in 100 folders: the walk against a bare
// FindFirstFileA/FindNextFileA listing of the same tree, resolving every tool, and the tools
// menus: rebuilt from an empty catalog cache (every shortcut and icon read), and through the
// cache after its read-ahead, again unchanged, after one tool changed, and while the read-ahead
// still runs.
#include <objbase.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench_util.h"
#include "catalog/catalog_cache.h"
#include "windows/catalog_menus.h"
#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "e2e/harness.h"
#include "platform/win32/program_icons.h"
#include "platform/win32/drives.h"
#include "platform/win32/file_system.h"
#include "platform/win32/message_box.h"
#include "platform/win32/shell_links.h"

namespace {

constexpr int kFolders = 100;
constexpr int kToolsPerFolder = 20;

int BareListing(const std::string& root) {
  int files = 0;
  std::vector<std::string> stack{root};
  while (!stack.empty()) {
    std::string dir = stack.back();
    stack.pop_back();
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      if (fd.cFileName[0] == '.') continue;
      if (fd.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY) stack.push_back(dir + "\\" + fd.cFileName);
      else ++files;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  return files;
}

struct Counter : kest::CatalogVisitor {
  int tools = 0;
  std::vector<std::string> paths;
  bool keep = false;
  void FolderEntered(const std::string&, const std::string&, int) override {}
  void ToolFound(const std::string& path, const std::string&, int) override {
    ++tools;
    if (keep) paths.push_back(path);
  }
  void FolderLeft() override {}
};

// What the main window does when a menu opens with the menus out of date.
void CachedRebuild(kest::CatalogMenus& menus, kest::CatalogCache& cache, kest::ReadAheadThread& readAhead,
                   kest::FileSystem& fs, kest::ShellLinks& links, kest::ProgramIcons& icons, kest::WorkDrive& drive,
                   const kest::DriveSearch& search, const std::string& root) {
  readAhead.Stop();
  auto events = kest::RecordWalk(fs, root);
  kest::ToolChecker checker(fs, links, drive, search, &cache);
  cache.BeginRound();
  menus.RebuildMenus(events, checker,
                     [&](const std::string& program, int side) { return cache.IconOf(fs, icons, program, side); });
  cache.EndRound();
}

// The main window's read-ahead: its own apartment, link object and icon reader.
void StartReadAhead(kest::ReadAheadThread& thread, kest::CatalogCache& cache, const std::string& root,
                    kest::WorkDrive drive, std::atomic<bool>& done) {
  done = false;
  thread.Start([&cache, &done, root, drive](const std::atomic<bool>& stop) {
    kest::win32::ComApartment com;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    kest::win32::Win32FileSystem fs;
    kest::win32::ComShellLinks links;
    kest::win32::Win32ProgramIcons icons;
    kest::ReadCatalogAhead(cache, fs, links, icons, root, drive, 16, stop);
    done = !stop;
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  kest::win32::ComApartment com;
  kest::win32::Win32FileSystem fs;
  kest::win32::ComShellLinks links;
  e2e::AppDir app("bench-catalog", "");
  std::string root = app.path() + "root";
  std::string programs = app.path() + "programs\\";
  e2e::MakeDirs(programs);
  double t0 = bench::NowMs();
  // Every tool names a program of its own: hard links to one small program with an icon.
  // Twenty real links in the first folder are copied into the others, retargeted by name:
  // the shell is slow to write links under Wine.
  const std::string source = e2e::ExeDir() + "kest_bench_program.exe";
  for (int f = 0; f < kFolders; ++f) {
    std::string folder = root + "\\Folder" + std::to_string(f);
    e2e::MakeDirs(folder);
    for (int t = 0; t < kToolsPerFolder; ++t) {
      std::string program = programs + "tool" + std::to_string(f) + "_" + std::to_string(t) + ".exe";
      if (!CreateHardLinkA(program.c_str(), source.c_str(), nullptr)) CopyFileA(source.c_str(), program.c_str(), FALSE);
      kest::CreateShortcut(links, fs, program, folder + "\\Tool" + std::to_string(t) + ".lnk", "");
    }
  }
  std::printf("Catalog of %d shortcuts in %d folders (made in %.0f ms)\n", kFolders * kToolsPerFolder,
              kFolders, bench::NowMs() - t0);

  std::vector<double> bare, walk, resolve;
  kest::WorkDrive drive{'C', false};
  for (int i = 0; i < runs; ++i) {
    double a = bench::NowMs();
    int files = BareListing(root);
    bare.push_back(bench::NowMs() - a);

    Counter c;
    a = bench::NowMs();
    kest::ToolCatalog::Walk(fs, root, c);
    walk.push_back(bench::NowMs() - a);
    if (c.tools != files) std::printf("walk found %d tools, listing %d files\n", c.tools, files);

    Counter k;
    k.keep = true;
    a = bench::NowMs();
    kest::ToolCatalog::Walk(fs, root, k);
    int resolved = 0;
    for (auto& p : k.paths) resolved += !kest::ResolveShortcut(links, fs, drive, p).empty();
    resolve.push_back(bench::NowMs() - a);
    if (resolved != kFolders * kToolsPerFolder) std::printf("resolved only %d\n", resolved);
  }
  // Both tools menus, against one link load and one icon extraction per tool.
  std::vector<double> bareTools, rebuild;
  HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  kest::CatalogMenus menus(icon, {{0, nullptr, -1}, {11, "Copy file path", 2}, {21, "Delete", 0}, {31, "Properties", 1}},
                           {{0, nullptr, -1}, {41, "Kest fast string", -1}, {42, "Restore", -1}, {43, "Exit", -1}}, 16);
  kest::win32::Win32Drives drives;
  kest::win32::Win32MessageBox box;
  const kest::DriveSearch search{drives, fs, box, nullptr};
  kest::win32::Win32ProgramIcons icons;
  for (int i = 0; i < runs; ++i) {
    Counter k;
    k.keep = true;
    kest::ToolCatalog::Walk(fs, root, k);
    double a = bench::NowMs();
    for (auto& p : k.paths) {
      std::string program = links.readPath(p);
      HICON h = ExtractIconA(nullptr, program.c_str(), 0);
      if (h && h != reinterpret_cast<HICON>(1)) DestroyIcon(h);
    }
    bareTools.push_back(bench::NowMs() - a);
    a = bench::NowMs();
    {
      kest::CatalogCache empty;
      kest::ReadAheadThread readAhead;
      CachedRebuild(menus, empty, readAhead, fs, links, icons, drive, search, root);
    }
    rebuild.push_back(bench::NowMs() - a);
  }

  // Through the catalog cache. Each run starts with an empty cache, as a new start of Kest, and
  // measures a rebuild from an empty cache next to its own figures, against changing load: that
  // is also a menu opened just as the read-ahead starts, with nothing read yet.
  const int tools = kFolders * kToolsPerFolder;
  std::vector<double> full, readAheadTimes, afterReadAhead, unchanged, oneChanged, during, stopWait;
  std::vector<double> ratioA, ratioB, ratioC, ratioD;
  std::set<std::string> findings;  // the same in every run, usually
  for (int i = 0; i < runs; ++i) {
    double a = bench::NowMs();
    {
      kest::CatalogCache empty;
      kest::ReadAheadThread readAhead;
      CachedRebuild(menus, empty, readAhead, fs, links, icons, drive, search, root);
    }
    full.push_back(bench::NowMs() - a);
    kest::CatalogCache cache;
    {
      kest::ReadAheadThread readAhead;
      std::atomic<bool> done{false};
      a = bench::NowMs();
      StartReadAhead(readAhead, cache, root, drive, done);
      while (!done) Sleep(1);
      readAheadTimes.push_back(bench::NowMs() - a);
      a = bench::NowMs();
      CachedRebuild(menus, cache, readAhead, fs, links, icons, drive, search, root);
      afterReadAhead.push_back(bench::NowMs() - a);
      auto before = cache.counts();
      a = bench::NowMs();
      CachedRebuild(menus, cache, readAhead, fs, links, icons, drive, search, root);
      unchanged.push_back(bench::NowMs() - a);
      auto after = cache.counts();
      if (after.linkReads != before.linkReads || after.iconReads != before.iconReads)
        findings.insert("an unchanged catalog was read again");
      // One tool re-pointed to a new program: its link file is rewritten.
      const int f = i % kFolders, t = i % kToolsPerFolder;
      std::string program = programs + "repointed" + std::to_string(i) + ".exe";
      if (!CreateHardLinkA(program.c_str(), source.c_str(), nullptr)) CopyFileA(source.c_str(), program.c_str(), FALSE);
      links.write(root + "\\Folder" + std::to_string(f) + "\\Tool" + std::to_string(t) + ".lnk", program, "",
                  programs);
      before = cache.counts();
      a = bench::NowMs();
      CachedRebuild(menus, cache, readAhead, fs, links, icons, drive, search, root);
      oneChanged.push_back(bench::NowMs() - a);
      after = cache.counts();
      findings.insert("one tool re-pointed: " + std::to_string(after.linkReads - before.linkReads) +
                      " shortcut(s) and " + std::to_string(after.iconReads - before.iconReads) + " icon(s) read again");
    }
    {
      // A menu opened while the read-ahead is about a third through the shortcuts.
      kest::CatalogCache early;
      kest::ReadAheadThread readAhead;
      std::atomic<bool> done{false};
      StartReadAhead(readAhead, early, root, drive, done);
      while (!done && early.counts().linkReads < static_cast<std::uint64_t>(tools / 3)) Sleep(1);
      a = bench::NowMs();
      readAhead.Stop();
      stopWait.push_back(bench::NowMs() - a);
      CachedRebuild(menus, early, readAhead, fs, links, icons, drive, search, root);
      during.push_back(bench::NowMs() - a);
    }
    ratioA.push_back(afterReadAhead.back() / full.back());
    ratioB.push_back(unchanged.back() / full.back());
    ratioC.push_back(oneChanged.back() / full.back());
    ratioD.push_back(during.back() / full.back());
  }

  bench::Report("bare FindFirstFileA/FindNextFileA listing of the tree", bare);
  bench::Report("ToolCatalog walk of the tree", walk);
  bench::Report("walk and ResolveShortcut of every tool", resolve);
  std::printf("walk / bare listing: %.2f\n", bench::Median(walk) / bench::Median(bare));
  std::printf("per tool, walk and resolve: %.3f ms\n", bench::Median(resolve) / tools);
  bench::Report("one link load and one icon extraction per tool", bareTools);
  bench::Report("FillMenuFromRoot for both menus, from an empty cache", rebuild);
  std::printf("menus rebuild / bare per-tool cost: %.2f\n", bench::Median(rebuild) / bench::Median(bareTools));
  bench::Report("menus from an empty cache (opened before the read-ahead read anything), next to the figures below",
                full);
  bench::Report("read-ahead of the whole catalog (its own thread)", readAheadTimes);
  bench::Report("(a) first menus after the read-ahead", afterReadAhead);
  bench::Report("(b) menus again, catalog unchanged", unchanged);
  bench::Report("(c) menus after one tool was re-pointed", oneChanged);
  bench::Report("(d) menus opened a third into the read-ahead", during);
  bench::Report("    of which waiting for the read-ahead to stop", stopWait);
  std::printf("against the rebuild from an empty cache, median of each run's ratio:\n"
              "  (a) %.3fx  (b) %.3fx  (c) %.3fx  (d) a third in %.3fx\n",
              bench::Median(ratioA), bench::Median(ratioB), bench::Median(ratioC), bench::Median(ratioD));
  for (const std::string& finding : findings) std::printf("%s\n", finding.c_str());
  return 0;
}
