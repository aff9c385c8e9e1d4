// The mini window over a folder of 200 shortcuts: reading the links and their icons on their
// own, against creating the window until it is filled and shown, first with nothing kept of
// the catalog and then again with what the first entry kept. Once with every shortcut naming
// one program, once with 200 programs (hard links to one).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "state/app_context.h"
#include "state/app_state.h"
#include "bench_util.h"
#include "catalog/catalog_cache.h"
#include "catalog/mini_folder.h"
#include "windows/mini_window.h"
#include "windows/tool_shelf.h"
#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "e2e/harness.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/handles.h"
#include "platform/win32/icons.h"
#include "platform/win32/program_icons.h"
#include "platform/win32/thread_services.h"
#include "platform/win32/platform.h"

namespace {

constexpr int kTools = 200;

// The main window's stand-in; the tools come from a tool shelf as the program's do.
class IdleHost : public kest::MainHost {
 public:
  explicit IdleHost(HWND main) : main_(main) {}
  void AddDroppedTarget(const std::string&) override {}
  void ShowMain() override {}
  void OpenSettings() override {}
  kest::WindowHandle MainHandle() const override { return main_; }
  std::string FocusedTarget() const override { return std::string(); }
  void SchemeApplied() override {}
  void StayOnTopChanged() override {}

 private:
  HWND main_;
};

// A catalog root of 200 shortcuts beside a copy of the program with an icon.
void MakeCatalog(const e2e::AppDir& app, bool oneProgram) {
  kest::win32::Win32FileSystem fs;
  kest::win32::ComShellLinks links;
  const std::string source = e2e::ExeDir() + "kest_bench_program.exe";
  e2e::MakeDirs(app.path() + "programs");
  e2e::MakeDirs(app.path() + "root");
  for (int t = 0; t < kTools; ++t) {
    std::string program = app.path() + "programs\\tool" + std::to_string(oneProgram ? 0 : t) + ".exe";
    if (t == 0 || !oneProgram)
      if (!CreateHardLinkA(program.c_str(), source.c_str(), nullptr)) CopyFileA(source.c_str(), program.c_str(), FALSE);
    kest::CreateShortcut(links, fs, program, app.path() + "root\\Tool" + std::to_string(t) + ".lnk", "");
  }
}

void Measure(const char* title, bool oneProgram, int runs, HWND owner) {
  e2e::AppDir app(oneProgram ? "bench-mini-one" : "bench-mini-many", "");
  MakeCatalog(app, oneProgram);

  kest::win32::Platform p;
  kest::AppState state(p.store, app.path());
  kest::AppContext ctx{p.store,  p.atoms,  p.windows,   p.fs,        p.box,      p.links,
                       p.drives, p.clipboard, p.processes, p.registry, p.icons, p.contents, kest::win32::MakeThreadServices,
                       state,    "",       app.path(),  app.path(), ""};
  std::vector<double> read, window, again;
  for (int i = 0; i < runs; ++i) {
    std::vector<std::string> shortcuts = kest::ListMiniFolder(p.fs, kest::ToolCatalog::RootOf(app.path())).shortcuts;
    double a = bench::NowMs();
    kest::win32::OwnedImageList list(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 64));
    int icons = 0;
    for (const std::string& s : shortcuts) {
      std::string program = kest::ResolveShortcut(p.links, p.fs, state.workDrive, s);
      HICON icon = ExtractIconA(nullptr, program.c_str(), 0);
      if (icon && icon != reinterpret_cast<HICON>(1)) {
        kest::win32::OwnedIcon owned(icon);
        icons += kest::win32::AddIconToImageList(list.get(), owned.get()) >= 0;
      }
    }
    read.push_back(bench::NowMs() - a);
    if (icons != kTools) std::printf("only %d icons of %zu shortcuts\n", icons, shortcuts.size());

    IdleHost host(owner);
    kest::ToolShelf shelf(ctx);  // nothing kept yet
    auto enter = [&](std::vector<double>& times) {
      double t0 = bench::NowMs();
      std::unique_ptr<kest::MiniPane> mini = kest::CreateMiniWindow(ctx, host, shelf, owner, 40, 40, 245);
      bench::Pump();
      times.push_back(bench::NowMs() - t0);
      HWND w = FindWindowA("TfSplashForm", nullptr);
      HWND bar = w ? FindWindowExA(w, nullptr, TOOLBARCLASSNAMEA, nullptr) : nullptr;
      int buttons = bar ? static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0)) : 0;
      if (!mini->IsShown() || buttons != kTools) std::printf("the window shows %d buttons\n", buttons);
      mini.reset();
      bench::Pump();
    };
    enter(window);
    enter(again);
  }
  std::printf("%s\n", title);
  bench::Report("  (a) ResolveShortcut + ExtractIconA + AddIconToImageList", read);
  bench::Report("  (b) CreateMiniWindow until filled and shown, nothing kept", window);
  bench::Report("  (c) the same again, with what (b) kept", again);
  std::printf("  (b) / (a): %.2f   (c) / (a): %.2f\n", bench::Median(window) / bench::Median(read),
              bench::Median(again) / bench::Median(read));
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  kest::win32::ComApartment com;
  // The main window's stand-in: hidden, as in mini mode.
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  Measure("Mini window over 200 shortcuts to one program", true, runs, owner);
  Measure("Mini window over 200 shortcuts to 200 programs", false, runs, owner);
  DestroyWindow(owner);
  return 0;
}
