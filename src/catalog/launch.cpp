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
  std::string quoted(1, '"');
  quoted += paths::FileNameOf(currentTarget);
  quoted += '"';
  return quoted;
}

bool Started(const LaunchServices& s, const std::string& program, unsigned code, bool succeeded) {
  if (succeeded) return true;
  ReportError(s, StartFailureText(program, code, s.processes.errorText(code)));
  return false;
}

bool ShellStart(const LaunchServices& s, const std::string& program, const std::string& parameters = std::string()) {
  std::intptr_t r =
      s.processes.shellExecute(s.search.owner, "", program, parameters, paths::DirectoryOf(program), kSwShow);
  return Started(s, program, static_cast<unsigned>(r < 0 ? 0 : r), r > 32);
}

// Through the elevation prompt, in the directory the tool would have started in; a declined
// prompt is the user's answer, not a failure to report.
bool ElevatedStart(const LaunchServices& s, const std::string& program, const std::string& parameters,
                   const std::string& directory) {
  std::intptr_t r = s.processes.shellExecute(s.search.owner, "runas", program, parameters, directory, kSwShowNormal);
  if (r == static_cast<std::intptr_t>(kShellAccessDenied)) return false;
  return Started(s, program, static_cast<unsigned>(r < 0 ? 0 : r), r > 32);
}

// The start with the target: WinExec, or the elevation prompt when asked for or when the
// program itself asks for administrator rights; any other failure goes to failed with WinExec's
// code, and its answer is whether the tool started after all.
template <class Failed>
bool StartWithTarget(const LaunchServices& s, const std::string& program, const std::string& quotedTarget,
                     const std::string& arguments, const std::string& currentTarget, bool elevated, Failed&& failed) {
  const std::string directory = paths::DirectoryOf(currentTarget.empty() ? program : currentTarget);
  if (!elevated) {
    unsigned r = s.processes.winExec(ToolCommandLine(program, quotedTarget, arguments), kSwShowNormal);
    if (r > 31) return true;
    if (!s.processes.lastStartNeedsElevation()) return failed(r);
  }
  return ElevatedStart(s, program, ToolParameters(quotedTarget, arguments), directory);
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

std::string ToolParameters(const std::string& quotedTarget, const std::string& arguments) {
  if (arguments.empty()) return quotedTarget;
  std::string parameters;
  bool placed = false;
  std::size_t from = 0;
  for (std::size_t at = arguments.find("%1"); at != std::string::npos; at = arguments.find("%1", from)) {
    parameters.append(arguments, from, at - from);
    parameters += quotedTarget;
    from = at + 2;
    placed = true;
  }
  parameters.append(arguments, from, std::string::npos);
  if (!placed && !quotedTarget.empty()) parameters += " " + quotedTarget;
  // Without a target a "%1" leaves blanks at an end; inside, the tool's own spacing stays.
  const std::size_t first = parameters.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return parameters.substr(first, parameters.find_last_not_of(' ') - first + 1);
}

std::string ToolCommandLine(const std::string& program, const std::string& quotedTarget,
                            const std::string& arguments) {
  // Unquoted, a path with blanks would let Windows try C:\Program.exe first.
  std::string quoted = program.find(' ') != std::string::npos ? "\"" + program + "\"" : program;
  return quoted + " " + ToolParameters(quotedTarget, arguments);
}

MenuLaunch LaunchFromMenu(const LaunchServices& s, const std::string& exeDir,
                          const std::vector<std::string>& captions, const std::string& currentTarget,
                          bool commandLineEditing, bool elevated) {
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
  const std::string arguments = s.links.readArguments(file);
  std::optional<std::string> quotedTarget = EnterTarget(s, currentTarget);
  if (!quotedTarget) return result;
  if (commandLineEditing) {
    result.commandLine = ToolCommandLine(program, *quotedTarget, arguments);
    result.directory = paths::DirectoryOf(currentTarget);
    return result;
  }
  const std::string parameters = ToolParameters(*quotedTarget, arguments);
  if (quotedTarget->empty()) {
    result.ran = elevated ? ElevatedStart(s, program, parameters, paths::DirectoryOf(program))
                          : ShellStart(s, program, parameters);
    return result;
  }
  result.ran = StartWithTarget(s, program, *quotedTarget, arguments, currentTarget, elevated,
                               [&](unsigned code) { return Started(s, program, code, false); });
  return result;
}

bool LaunchFromButton(const LaunchServices& s, const std::string& linkFile, const std::string& currentTarget,
                      bool elevated) {
  std::string program = ResolveShortcut(s.links, s.fs, s.drive, linkFile);
  if (program.empty()) return false;
  const std::string arguments = s.links.readArguments(linkFile);
  std::optional<std::string> quotedTarget = EnterTarget(s, currentTarget);
  if (!quotedTarget) return false;
  return StartWithTarget(s, program, *quotedTarget, arguments, currentTarget, elevated, [&](unsigned code) {
    // A button may stand for a document: what is no program goes to the shell.
    if (code == kWinExecBadFormat)
      return ShellStart(s, program, arguments.empty() ? std::string() : ToolParameters(*quotedTarget, arguments));
    return Started(s, program, code, false);
  });
}

bool RunEditedCommandLine(const LaunchServices& s, const std::string& commandLine, const std::string& directory) {
  if (!EnterDirectory(s, directory)) return false;
  unsigned r = s.processes.winExec(commandLine, kSwShowNormal);
  return Started(s, commandLine, r, r > 31);
}

}  // namespace kest
