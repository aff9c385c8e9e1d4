// Kest's entry: the single-instance decision, then the main window, the fast string window
// and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/app_context.h"
#include "app/settings_file.h"
#include "app/single_instance.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/win32_platform.h"
#include "ui/fast_string_window.h"
#include "ui/main_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace kest;

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  // Shell links are COM objects used from the user-interface thread.
  win32::ComApartment com;

  win32::ProfileSettingsStore store;
  win32::GlobalAtomTable atoms;
  win32::Win32WindowSystem windows;
  win32::Win32FileSystem fs;
  win32::Win32MessageBox box;
  win32::ComShellLinks links;
  win32::Win32Drives drives;
  win32::Win32Clipboard clipboard;
  win32::Win32Processes processes;
  AppContext ctx{store,  atoms,     windows,   fs, box, links, drives, clipboard, processes,
                 win32::ExecutableDirectory(), GetCommandLineA()};
  Window::SetErrorReporter(&box);

  SettingsFile entrySettings(store, ctx.exeDir);
  bool startUp = RunStartupDecision(atoms, windows, ctx.commandLine,
                                    [&] { return entrySettings.read(opt::NoMoreOneCopy); });
  if (startUp) {
    TfKest mainWindow(ctx);
    if (mainWindow.Create()) {
      TfKFS fastString(ctx, mainWindow.Settings());
      fastString.Create(mainWindow.hwnd());
      mainWindow.SetFastStringWindow(&fastString);
      mainWindow.Show();
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        // A modal loop (a window move, a menu) may have taken the quit message of a close
        // that happened inside it.
        if (!mainWindow.hwnd()) break;
      }
      mainWindow.SetFastStringWindow(nullptr);
    }
  }
  return 0;
}
