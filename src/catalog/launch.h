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
// What the shell answers when the user declines the elevation prompt.
inline constexpr unsigned kShellAccessDenied = 5;

inline constexpr const char* kCannotEnterDirectory =
    "The target's directory cannot be entered:\r\n%s\r\nThe tool was not started.";
inline constexpr const char* kCannotStartTool = "Cannot start %s\r\n%s";

// The message for a start that failed with a WinExec or ShellExecute result code; systemText
// is the system's own text for it (its "%1" stands for the program).
std::string StartFailureText(const std::string& program, unsigned code, const std::string& systemText);

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

// What follows the program: the quoted target name alone, or the shortcut's own arguments with
// each "%1" in them standing for it, or followed by it when they hold no "%1".
std::string ToolParameters(const std::string& quotedTarget, const std::string& arguments);

// The program, quoted when it holds a blank, a blank, and the parameters above; without
// arguments, exactly the program and the quoted target name.
std::string ToolCommandLine(const std::string& program, const std::string& quotedTarget,
                            const std::string& arguments = std::string());

struct MenuLaunch {
  bool ran = false;                        // the tool started (MinToolsRun then applies)
  std::optional<std::string> commandLine;  // for the command-line box instead of a launch
  std::string directory;                   // where the box's command line is to run
};

// captions: from the outermost folder down to the tool item. elevated: through the system's
// elevation prompt (Shift held); a tool that asks for administrator rights goes there anyway.
MenuLaunch LaunchFromMenu(const LaunchServices& s, const std::string& exeDir,
                          const std::vector<std::string>& captions, const std::string& currentTarget,
                          bool commandLineEditing, bool elevated = false);

// A tool button: its shortcut file run directly, through the shell when it is no program.
// True when the tool started.
bool LaunchFromButton(const LaunchServices& s, const std::string& linkFile, const std::string& currentTarget,
                      bool elevated = false);

// The command line edited in the command-line box, run in the directory it was made for (none:
// where Kest is). A directory that cannot be entered, or a start that fails, is reported.
bool RunEditedCommandLine(const LaunchServices& s, const std::string& commandLine, const std::string& directory);

}  // namespace kest
