#pragma once
// Running a tool on the current target, from a menu item or from a tool button.
#include <optional>
#include <string>
#include <vector>

#include "catalog/work_drive.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/shell_links.h"

namespace kest {

inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShow = 5;
inline constexpr unsigned kWinExecBadFormat = 11;

struct LaunchServices {
  FileSystem& fs;
  ShellLinks& links;
  Processes& processes;
  WorkDrive& drive;
  DriveSearch search;  // also the message box and its owner window
};

// "&" removed from every caption (the menu layer takes it for an accelerator mark), the
// captions joined as folders below the catalog root, ".lnk" appended.
std::string ToolFileFromCaptions(const std::string& exeDir, const std::vector<std::string>& captions);

// The program, quoted when it holds a blank, a blank, and the quoted target name.
std::string ToolCommandLine(const std::string& program, const std::string& quotedTarget);

struct MenuLaunch {
  bool ran = false;                        // a launch was made (MinToolsRun then applies)
  std::optional<std::string> commandLine;  // for the command-line box instead of a launch
};

// captions: from the outermost folder down to the tool item.
MenuLaunch LaunchFromMenu(const LaunchServices& s, const std::string& exeDir,
                          const std::vector<std::string>& captions, const std::string& currentTarget,
                          bool commandLineEditing);

// A tool button: its shortcut file run directly, through the shell when it is no program.
void LaunchFromButton(const LaunchServices& s, const std::string& linkFile, const std::string& currentTarget);

}  // namespace kest
