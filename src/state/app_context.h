#pragma once
// The platform services, the application state and the process facts every window of the
// program works with.
#include <string>

#include "state/app_state.h"
#include "platform/atom_table.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/file_contents.h"
#include "platform/file_system.h"
#include "platform/helper_process.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/program_icons.h"
#include "platform/registry.h"
#include "platform/settings_store.h"
#include "platform/shell_links.h"
#include "platform/thread_services.h"
#include "platform/window_system.h"

namespace kest {

struct AppContext {
  SettingsStore& store;
  AtomTable& atoms;
  WindowSystem& windows;
  FileSystem& fs;
  MsgBox& box;
  ShellLinks& links;
  Drives& drives;
  Clipboard& clipboard;
  Processes& processes;
  Registry& registry;
  ProgramIcons& icons;
  // A target's first bytes and hashes, read from any thread.
  FileContents& files;
  // For a thread that reads the catalog on its own (the read-ahead).
  ThreadServicesFactory threadServices;
  AppState& state;
  std::string exePath;      // the program's own file
  std::string exeDir;       // with trailing backslash
  // The one place Kest keeps its own files: Tools.ini (through state.settings()), the catalog
  // root and the notes. The "data" folder beside the executable when there is one, else the
  // executable's own folder (state/data_folder.h); with trailing backslash.
  std::string dataDir;
  std::string commandLine;  // as the process was started
  bool holdsInstanceMarker = false;  // this copy added a reference of the marker
  // Starts a helper that takes the targets' icons; none: the targets show their kinds' icons.
  HelperStarter iconHelper = nullptr;
};

}  // namespace kest
