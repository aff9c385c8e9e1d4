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
inline constexpr const char* kTargetNotFullPath =
    "The target is not a full path, so it names no one file:\r\n%s\r\nThe tool was not started.";
inline constexpr const char* kUnsafeForBatchTool =
    "The tool is a batch file, and the command processor would act on a character of the target's "
    "name (& | < > ^ %):\r\n%s\r\nThe tool was not started.";
inline constexpr const char* kUnsafeForCommandProcessor =
    "The tool is the command processor, which would act on a character of the target's name "
    "(& | < > ^ %):\r\n%s\r\nThe tool was not started.";

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

// What follows the program for the target's bare file name (empty: no target): the name in
// double quotes alone, or the shortcut's own arguments with each "%1" in them standing for it,
// or followed by it when they hold no "%1". The name is quoted exactly once: a "%1" that
// stands inside the arguments' own quotes takes the bare name.
std::string ToolParameters(const std::string& targetName, const std::string& arguments);

// The program, quoted when it holds a blank, a blank, and the parameters above; without
// arguments, exactly the program and the quoted target name.
std::string ToolCommandLine(const std::string& program, const std::string& targetName,
                            const std::string& arguments = std::string());

// A batch file runs in the command processor, which acts on & | < > ^ outside quotes and
// expands % anywhere: such a target name would reach the tool as another name, or as commands.
bool IsBatchFile(const std::string& program);
// The command processor itself ("cmd.exe /c t.bat %1" in a shortcut) reads its command line by
// the same rules.
bool IsCommandProcessor(const std::string& program);
bool UnsafeForBatchFile(const std::string& targetName, const std::string& arguments);

// The program a tool's shortcut runs, by the one rule of every route: the program where the
// shortcut names it when it is there, else on the work drive, else on another drive found by
// the drive search (which may ask and changes the work drive). A program found nowhere is
// warned about and given on the work drive, where its start then fails. Empty when nothing
// can be read from the shortcut.
std::string ResolveToolProgram(const LaunchServices& s, const std::string& shortcutFile);

struct MenuLaunch {
  bool ran = false;                        // the tool started (MinToolsRun then applies)
  std::optional<std::string> commandLine;  // for the command-line box instead of a launch
  std::string directory;                   // where the box's command line is to run
};

// shortcutFile: the tool's file in the catalog, as the menu item carries it. elevated: through
// the system's elevation prompt (Shift held); a tool that asks for administrator rights goes
// there anyway.
MenuLaunch LaunchFromMenu(const LaunchServices& s, const std::string& shortcutFile, const std::string& target,
                          bool commandLineEditing, bool elevated = false);

// A tool button: its shortcut file run directly. True when the tool started.
bool LaunchFromButton(const LaunchServices& s, const std::string& shortcutFile, const std::string& target,
                      bool elevated = false);

// The command line edited in the command-line box, run in the directory it was made for (none:
// where Kest is). A directory that cannot be entered, or a start that fails, is reported.
bool RunEditedCommandLine(const LaunchServices& s, const std::string& commandLine, const std::string& directory);

}  // namespace kest
