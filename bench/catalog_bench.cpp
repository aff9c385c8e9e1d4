// The catalog walk over 2,000 shortcuts in 100 folders: the walk against a bare
// FindFirstFileA/FindNextFileA listing of the same tree, and resolving every tool.
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_util.h"
#include "catalog/catalog_menus.h"
#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "e2e/harness.h"
#include "platform/win32/win32_platform.h"

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
                           {{0, nullptr, -1}, {41, "Kest fast string", -1}, {42, "Restore", -1}, {43, "Exit", -1}});
  kest::win32::Win32Drives drives;
  kest::win32::Win32MessageBox box;
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
    kest::ToolChecker checker(fs, links, drive, kest::DriveSearch{drives, fs, box, nullptr});
    menus.RebuildMenus(kest::RecordWalk(fs, root), checker);
    rebuild.push_back(bench::NowMs() - a);
  }
  bench::Report("bare FindFirstFileA/FindNextFileA listing of the tree", bare);
  bench::Report("ToolCatalog walk of the tree", walk);
  bench::Report("walk and ResolveShortcut of every tool", resolve);
  std::printf("walk / bare listing: %.2f\n", bench::Median(walk) / bench::Median(bare));
  std::printf("per tool, walk and resolve: %.3f ms\n", bench::Median(resolve) / (kFolders * kToolsPerFolder));
  bench::Report("one link load and one icon extraction per tool", bareTools);
  bench::Report("FillMenuFromRoot for both menus", rebuild);
  std::printf("menus rebuild / bare per-tool cost: %.2f\n", bench::Median(rebuild) / bench::Median(bareTools));
  return 0;
}
