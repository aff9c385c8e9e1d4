// Kest's entry: the single-instance decision, then the main window, the note window
// and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <optional>

#include "app/icon_helper.h"
#include "state/app_context.h"
#include "state/app_state.h"
#include "state/data_folder.h"
#include "settings/failure_list.h"
#include "core/texts.h"
#include "core/single_instance.h"
#include "platform/file_saves.h"
#include "platform/win32/file_system.h"
#include "windows/mini_window.h"
#include "windows/settings_window.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/helper_process.h"
#include "platform/win32/thread_services.h"
#include "platform/win32/platform.h"
#include "platform/win32/this_process.h"
#include "windows/about_panel.h"
#include "windows/find_box.h"
#include "windows/note_window.h"
#include "kit/modal.h"
#include "windows/main_window.h"
#include "windows/tool_shelf.h"
#include "targets/icon_protocol.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace kest;

  // Nothing before the decision may need more than kernel32: a second start that forwards
  // its argument loads the user-interface libraries only after the running copy has it.
  // Shell links are COM objects used from the user-interface thread; the apartment outlives
  // the platform objects that hold them.
  win32::RestrictDllSearch();
  // A copy started as Kest's icon helper takes icons and does nothing of a start: no marker,
  // no window, no settings.
  if (IsIconHelperStart(GetCommandLineA())) return RunIconHelper();
  std::optional<win32::ComApartment> com;
  win32::Platform p;
  const std::string exeDir = win32::ExecutableDirectory();
  const std::string commandLine = GetCommandLineA();
  Window::SetErrorReporter(&p.box);

  // A data folder still to be filled holds nothing yet: the option is read where its files are.
  // Only a start that runs fills it, so that one that hands its file over changes nothing.
  const DataFolderChoice choice = ChooseDataFolder(p.fs, exeDir);
  DataLocation data{choice.dir, {}};
  StartOutcome start = RunStartupDecision(
      StartServices{p.atoms, p.windows, p.notice, p.instances, p.fs, p.box}, commandLine,
      [&] { return SettingsFile(p.store, choice.fill ? exeDir : choice.dir, exeDir).read(opt::NoMoreOneCopy); },
      [&] {
        // Before the files are filled or read, and under the start lock, so that two starts
        // never put one recovery copy back twice: what saves of copies that were killed or
        // crashed left beside Tools.ini and the notes.
        RecoverCutSaves(p.fs, choice.fill ? exeDir : choice.dir, win32::ProcessRunning);
        data = PrepareDataFolder(p.fs, exeDir);
      });
  if (!start.run) return 0;
  if (!data.failed.empty())
    ReportFailures(p.box, nullptr, DataFillFailedText(choice.dir), data.failed, text::kCaptionWarning, MbIcon::Warning);

  AppState state(p.store, exeDir, data.dir);
  AppContext ctx{p.store,     p.atoms,     p.windows,  p.fs,    p.box,
                 p.links,     p.drives,    p.clipboard, p.processes, p.registry,
                 p.icons,     p.contents,  win32::MakeThreadServices, state, win32::ExecutablePath(), exeDir,
                 data.dir,    commandLine};
  // The targets' icons come from helpers: copies of this program started with a switch.
  ctx.iconHelper = [exe = ctx.exePath] { return win32::StartHelperProcess(exe, std::string(kIconHelperSwitch)); };
  ctx.holdsInstanceMarker = start.holdsMarker;

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  // The tools side outlives the windows that show and run its tools.
  ToolShelf shelf(ctx);
  MainWindow mainWindow(ctx, shelf);
  mainWindow.SetMiniFactory([&](MainHost& host, HWND owner, int left, int top, int opacity) {
    return CreateMiniWindow(ctx, host, shelf, owner, left, top, opacity);
  });
  mainWindow.SetSettingsOpener([&](MainHost& host) { OpenSettingsWindow(ctx, host); });
  mainWindow.SetAboutOpener([&](MainHost& host) { OpenAboutPanel(ctx, host); });
  mainWindow.SetFindOpener([&](MainHost& host, const std::string& target) { OpenFindBox(ctx, host, shelf, target); });
  // COM waits for the first thing that needs it, at the latest the end of the start.
  mainWindow.SetComStarter([&] {
    if (!com) com.emplace();
  });
  if (!mainWindow.Create()) return 0;
  // The first frame first; what it does not show follows, before any input is handled.
  mainWindow.Show();
  mainWindow.FinishStart();
  // The main window owns the others: they follow it when it is minimised or kept on top.
  NoteWindow noteWindow(ctx);
  noteWindow.Create(mainWindow.hwnd());
  mainWindow.SetNotePane(&noteWindow);
  // A modal loop (a window move, a menu) may have taken the quit message of a close that
  // happened inside it: the loop also ends once the main window is gone.
  PumpMessages([&] { return mainWindow.hwnd() != nullptr; });
  mainWindow.SetNotePane(nullptr);
  return 0;
}
