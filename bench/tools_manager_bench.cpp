// The tools manager page over a catalog of 2,000 shortcuts in 100 folders: walking the
// catalog and taking the shell icon of every entry the page shows when it opens, against
// creating the page until its tree and list are filled. Once with the folders alone in the
// root, once with twenty shortcuts beside them, whose icons the shell takes from their programs.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "state/app_context.h"
#include "state/app_state.h"
#include "bench_util.h"
#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "e2e/harness.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/thread_services.h"
#include "platform/win32/platform.h"
#include "settings/catalog_editing.h"
#include "windows/tools_manager.h"

namespace {

constexpr int kFolders = 100;
constexpr int kToolsPerFolder = 20;
constexpr int kRootTools = 20;

struct Counter : kest::CatalogVisitor {
  int tools = 0;
  void FolderEntered(const std::string&, const std::string&, int) override {}
  void ToolFound(const std::string&, const std::string&, int) override { ++tools; }
  void FolderLeft() override {}
};

// Each tool names a program of its own: hard links to one small program with an icon.
void AddTool(kest::ShellLinks& links, kest::FileSystem& fs, const std::string& programs, const std::string& name,
             const std::string& link) {
  const std::string source = e2e::ExeDir() + "kest_bench_program.exe";
  std::string program = programs + name + ".exe";
  if (!CreateHardLinkA(program.c_str(), source.c_str(), nullptr)) CopyFileA(source.c_str(), program.c_str(), FALSE);
  kest::CreateShortcut(links, fs, program, link, "");
}

int SmallIcon(const std::string& path) {
  SHFILEINFOA info{};
  SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return info.iIcon;
}

void Measure(const char* title, kest::AppContext& ctx, const std::string& root, int runs, HWND parent) {
  std::vector<double> bare, page;
  for (int i = 0; i < runs; ++i) {
    double a = bench::NowMs();
    Counter c;
    kest::ToolCatalog::Walk(ctx.fs, root, c);
    // The entries shown at opening: the root's own, in the list and as the tree's first level
    // (each taken once), and the root itself as the tree's top node.
    int icons = SmallIcon(root) >= 0;
    for (const kest::CatalogItem& item : kest::ListCatalogFolder(ctx.fs, root)) icons += SmallIcon(root + "\\" + item.name) >= 0;
    bare.push_back(bench::NowMs() - a);

    a = bench::NowMs();
    std::unique_ptr<kest::ToolsManagerPage> tm = kest::CreateToolsManagerPage(ctx, parent, RECT{4, 30, 309, 351}, 96);
    bench::Pump();
    page.push_back(bench::NowMs() - a);
    HWND list = FindWindowExA(tm->hwnd(), nullptr, WC_LISTVIEWA, nullptr);
    HWND tree = FindWindowExA(tm->hwnd(), nullptr, WC_TREEVIEWA, nullptr);
    int shown = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    int nodes = tree ? static_cast<int>(SendMessageA(tree, TVM_GETCOUNT, 0, 0)) : 0;
    if (shown + 1 != icons || nodes != icons)
      std::printf("the page shows %d items and %d nodes for %d entries\n", shown, nodes, icons);
    if (i == 0) std::printf("  walk found %d tools; %d entries shown at opening\n", c.tools, icons);
    tm.reset();
    bench::Pump();
  }
  std::printf("%s\n", title);
  bench::Report("  (a) walk + SHGetFileInfoA of each entry shown at opening", bare);
  bench::Report("  (b) CreateToolsManagerPage until tree and list are filled", page);
  std::printf("  (b) / (a): %.2f\n", bench::Median(page) / bench::Median(bare));
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  kest::win32::ComApartment com;
  e2e::AppDir app("bench-tools-manager", "");
  kest::win32::Platform p;
  kest::AppState state(p.store, app.path());
  kest::AppContext ctx{p.store,  p.atoms,  p.windows,   p.fs,        p.box,      p.links,
                       p.drives, p.clipboard, p.processes, p.registry, p.icons, p.contents, kest::win32::MakeThreadServices,
                       state,    "",       app.path(),  app.path(), ""};

  const std::string root = kest::ToolCatalog::RootOf(app.path());
  const std::string programs = app.path() + "programs\\";
  e2e::MakeDirs(programs);
  double t0 = bench::NowMs();
  for (int f = 0; f < kFolders; ++f) {
    std::string folder = root + "\\Folder" + std::to_string(f);
    e2e::MakeDirs(folder);
    for (int t = 0; t < kToolsPerFolder; ++t) {
      std::string name = "tool" + std::to_string(f) + "_" + std::to_string(t);
      AddTool(p.links, p.fs, programs, name, folder + "\\Tool" + std::to_string(t) + ".lnk");
    }
  }
  std::printf("Catalog of %d shortcuts in %d folders (made in %.0f ms)\n", kFolders * kToolsPerFolder, kFolders,
              bench::NowMs() - t0);

  // The settings window's stand-in: hidden, as the page is measured on its own.
  HWND parent = CreateWindowExA(WS_EX_CONTROLPARENT, "STATIC", "parent", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 313, 375,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SmallIcon(root);  // the shell's image list is made once per process, before either is timed
  Measure("Tools manager, 100 folders in the root", ctx, root, runs, parent);
  for (int t = 0; t < kRootTools; ++t)
    AddTool(p.links, p.fs, programs, "root" + std::to_string(t), root + "\\Root" + std::to_string(t) + ".lnk");
  Measure("Tools manager, 100 folders and 20 shortcuts in the root", ctx, root, runs, parent);
  DestroyWindow(parent);
  return 0;
}
