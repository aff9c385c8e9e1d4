#include "catalog/launch.h"

#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "catalog/tool_menus.h"
#include "core/texts.h"
#include "platform/paths.h"

namespace kest {

namespace {

std::string WithoutAmpersands(std::string s) {
  std::erase(s, '&');
  return s;
}

void ReportError(const LaunchServices& s, const std::string& text) {
  s.search.box.ask(s.search.owner, text, text::kCaptionError, MbButtons::Ok, MbIcon::Error);
}

// Moves into the directory; a failure is reported. Only the target's bare name is passed to
// the tool, so running it from anywhere else would open a same-named file there.
bool EnterDirectory(const LaunchServices& s, const std::string& directory) {
  if (directory.empty() || s.fs.setCurrentDirectory(directory)) return true;
  ReportError(s, FileMessage(kCannotEnterDirectory, directory));
  return false;
}

// Moves into the target's directory and gives its quoted name; empty without a target, and
// nothing when the directory cannot be entered.
std::optional<std::string> EnterTarget(const LaunchServices& s, const std::string& currentTarget) {
  if (currentTarget.empty()) return std::string();
  if (!EnterDirectory(s, paths::DirectoryOf(currentTarget))) return std::nullopt;
  return "\"" + paths::FileNameOf(currentTarget) + "\"";
}

bool Started(const LaunchServices& s, const std::string& program, unsigned code, bool succeeded) {
  if (succeeded) return true;
  ReportError(s, StartFailureText(program, code, s.processes.errorText(code)));
  return false;
}

bool ShellStart(const LaunchServices& s, const std::string& program) {
  std::intptr_t r = s.processes.shellExecute(s.search.owner, "", program, "", paths::DirectoryOf(program), kSwShow);
  return Started(s, program, static_cast<unsigned>(r < 0 ? 0 : r), r > 32);
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

std::string StartFailureText(const std::string& program, unsigned code, const std::string& systemText) {
  std::string reason = systemText;
  // The system's texts end in a line break and may name the program as "%1".
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
  for (std::size_t at = reason.find("%1"); at != std::string::npos; at = reason.find("%1", at + program.size()))
    reason.replace(at, 2, program);
  if (reason.empty()) reason = "Error " + std::to_string(code) + ".";
  return FileMessage(FileMessage(kCannotStartTool, program), reason);
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
  // Only a program named with a drive letter lives on the work drive; a UNC or relative one
  // is taken as it stands.
  program = paths::OnDrive(program, s.drive.letter);
  if (!s.fs.fileExists(program)) {
    if (CheckToolDrive(program, s.drive, s.search)) {
      program = paths::OnDrive(program, s.drive.letter);
    } else {
      WarnToolNotFound(s.search, paths::FileNameOf(program));
    }
  }
  std::optional<std::string> quotedTarget = EnterTarget(s, currentTarget);
  if (!quotedTarget) return result;
  if (commandLineEditing) {
    result.commandLine = ToolCommandLine(program, *quotedTarget);
    result.directory = paths::DirectoryOf(currentTarget);
    return result;
  }
  if (quotedTarget->empty()) {
    result.ran = ShellStart(s, program);
  } else {
    unsigned r = s.processes.winExec(ToolCommandLine(program, *quotedTarget), kSwShowNormal);
    result.ran = Started(s, program, r, r > 31);
  }
  return result;
}

bool LaunchFromButton(const LaunchServices& s, const std::string& linkFile, const std::string& currentTarget) {
  std::string program = ResolveShortcut(s.links, s.fs, s.drive, linkFile);
  if (program.empty()) return false;
  std::optional<std::string> quotedTarget = EnterTarget(s, currentTarget);
  if (!quotedTarget) return false;
  unsigned r = s.processes.winExec(ToolCommandLine(program, *quotedTarget), kSwShowNormal);
  // A button may stand for a document: what is no program goes to the shell.
  if (r == kWinExecBadFormat) return ShellStart(s, program);
  return Started(s, program, r, r > 31);
}

bool RunEditedCommandLine(const LaunchServices& s, const std::string& commandLine, const std::string& directory) {
  if (!EnterDirectory(s, directory)) return false;
  unsigned r = s.processes.winExec(commandLine, kSwShowNormal);
  return Started(s, commandLine, r, r > 31);
}

}  // namespace kest
