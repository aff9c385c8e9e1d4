#include "catalog/launch.h"

#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "catalog/tool_menus.h"
#include "platform/paths.h"

namespace kest {

namespace {

std::string WithoutAmpersands(std::string s) {
  std::erase(s, '&');
  return s;
}

// Moves into the target's directory and gives its quoted name; empty without a target.
std::string EnterTarget(FileSystem& fs, const std::string& currentTarget) {
  if (currentTarget.empty()) return std::string();
  fs.setCurrentDirectory(paths::DirectoryOf(currentTarget));
  return "\"" + paths::FileNameOf(currentTarget) + "\"";
}

}  // namespace

std::string ToolFileFromCaptions(const std::string& exeDir, const std::vector<std::string>& captions) {
  std::string relative;
  for (std::size_t i = 0; i < captions.size(); ++i) {
    relative += WithoutAmpersands(captions[i]);
    relative += i + 1 < captions.size() ? "\\" : ".lnk";
  }
  return ToolCatalog::RootOf(exeDir) + "\\" + WithoutAmpersands(relative);
}

std::string ToolCommandLine(const std::string& program, const std::string& quotedTarget) {
  // Unquoted, a path with blanks would let Windows try C:\Program.exe first.
  std::string quoted = program.find(' ') != std::string::npos ? "\"" + program + "\"" : program;
  return quoted + " " + quotedTarget;
}

MenuLaunch LaunchFromMenu(const LaunchServices& s, const std::string& exeDir,
                          const std::vector<std::string>& captions, const std::string& currentTarget,
                          bool commandLineEditing) {
  MenuLaunch result;
  std::string file = ToolFileFromCaptions(exeDir, captions);
  if (!s.fs.fileExists(file)) {
    file = file.substr(0, file.size() - 4) + ".pif";
    if (!s.fs.fileExists(file)) return result;
  }
  std::string program = ResolveShortcut(s.links, s.fs, s.drive, file);
  // A shortcut the shell cannot read names no program: nothing to start.
  if (program.empty()) return result;
  program[0] = s.drive.letter;
  if (!s.fs.fileExists(program)) {
    if (CheckToolDrive(program, s.drive, s.search)) {
      program[0] = s.drive.letter;
    } else {
      WarnToolNotFound(s.search, paths::FileNameOf(program));
    }
  }
  std::string quotedTarget = EnterTarget(s.fs, currentTarget);
  if (commandLineEditing) {
    result.commandLine = ToolCommandLine(program, quotedTarget);
    return result;
  }
  if (quotedTarget.empty()) {
    s.processes.shellExecute(s.search.owner, "", program, "", paths::DirectoryOf(program), kSwShow);
  } else {
    s.processes.winExec(ToolCommandLine(program, quotedTarget), kSwShowNormal);
  }
  result.ran = true;
  return result;
}

void LaunchFromButton(const LaunchServices& s, const std::string& linkFile, const std::string& currentTarget) {
  std::string program = ResolveShortcut(s.links, s.fs, s.drive, linkFile);
  if (program.empty()) return;
  std::string quotedTarget = EnterTarget(s.fs, currentTarget);
  if (s.processes.winExec(ToolCommandLine(program, quotedTarget), kSwShowNormal) == kWinExecBadFormat)
    s.processes.shellExecute(s.search.owner, "", program, "", paths::DirectoryOf(program), kSwShow);
}

}  // namespace kest
