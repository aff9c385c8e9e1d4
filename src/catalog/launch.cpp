#include "catalog/launch.h"

#include "catalog/shortcuts.h"
#include "catalog/tool_menus.h"
#include "core/texts.h"
#include "platform/ascii_case.h"
#include "platform/paths.h"

namespace kest {

namespace {

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

// Whether the tool may run on the target: a target that is no full path (an old or hand-made
// entry, an "Error link") would be looked for wherever the last launch left Kest, and a batch
// file would hand certain names to the command processor. Refusals are reported.
bool MayRunOn(const LaunchServices& s, const std::string& program, const std::string& target,
              const std::string& arguments) {
  if (target.empty()) return true;
  if (!paths::IsFullPath(target)) {
    ReportError(s, FileMessage(kTargetNotFullPath, target));
    return false;
  }
  const bool batch = IsBatchFile(program);
  if ((batch || IsCommandProcessor(program)) && UnsafeForBatchFile(paths::FileNameOf(target), arguments)) {
    ReportError(s, FileMessage(batch ? kUnsafeForBatchTool : kUnsafeForCommandProcessor, paths::FileNameOf(target)));
    return false;
  }
  return true;
}

// Moves into the target's directory and gives its bare name; empty without a target, and
// nothing when the directory cannot be entered.
std::optional<std::string> EnterTarget(const LaunchServices& s, const std::string& target) {
  if (target.empty()) return std::string();
  if (!EnterDirectory(s, paths::DirectoryOf(target))) return std::nullopt;
  return paths::FileNameOf(target);
}

bool Started(const LaunchServices& s, const std::string& program, unsigned code, bool succeeded) {
  if (succeeded) return true;
  ReportError(s, StartFailureText(program, code, s.processes.errorText(code)));
  return false;
}

// The directory a tool runs in: the target's, or the program's own without a target.
std::string RunDirectory(const std::string& program, const std::string& target) {
  return paths::DirectoryOf(target.empty() ? program : target);
}

bool ShellStart(const LaunchServices& s, const std::string& program, const std::string& parameters,
                const std::string& directory) {
  std::intptr_t r = s.processes.shellExecute(s.search.owner, "", program, parameters, directory, kSwShow);
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
// program itself asks for administrator rights. What is no program (a script, a document) goes
// to the shell with the same target in the same directory; any other failure is reported.
bool StartWithTarget(const LaunchServices& s, const std::string& program, const std::string& targetName,
                     const std::string& arguments, const std::string& target, bool elevated) {
  const std::string directory = RunDirectory(program, target);
  const std::string parameters = ToolParameters(targetName, arguments);
  if (!elevated) {
    unsigned r = s.processes.winExec(ToolCommandLine(program, targetName, arguments), kSwShowNormal);
    if (r > 31) return true;
    if (r == kWinExecBadFormat) return ShellStart(s, program, parameters, directory);
    if (!s.processes.lastStartNeedsElevation()) return Started(s, program, r, false);
  }
  return ElevatedStart(s, program, parameters, directory);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string StartFailureText(const std::string& program, unsigned code, const std::string& systemText) {
  std::string reason = systemText;
  // The system's texts end in a line break and may name the program as "%1".
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
  for (std::size_t at = reason.find("%1"); at != std::string::npos; at = reason.find("%1", at + program.size()))
    reason.replace(at, 2, program);
  if (reason.empty()) reason = "Error " + std::to_string(code) + ".";
  return FileMessage(FileMessage(kCannotStartTool, program), reason);
}

std::string ToolParameters(const std::string& targetName, const std::string& arguments) {
  const std::string quoted = targetName.empty() ? std::string() : "\"" + targetName + "\"";
  if (arguments.empty()) return quoted;
  std::string parameters;
  bool placed = false;
  bool insideQuotes = false;
  std::size_t from = 0;
  for (std::size_t at = arguments.find("%1"); at != std::string::npos; at = arguments.find("%1", from)) {
    for (std::size_t i = from; i < at; ++i)
      if (arguments[i] == '"') insideQuotes = !insideQuotes;
    parameters.append(arguments, from, at - from);
    // Windows writes "%1" in quotes in every registry verb, and users copy it: the quotes are
    // already there, so the bare name goes between them.
    parameters += insideQuotes ? targetName : quoted;
    from = at + 2;
    placed = true;
  }
  parameters.append(arguments, from, std::string::npos);
  if (!placed && !quoted.empty()) parameters += " " + quoted;
  // Without a target a "%1" leaves blanks at an end; inside, the tool's own spacing stays.
  std::size_t first = 0, last = parameters.size();
  while (first < last && IsBlank(parameters[first])) ++first;
  while (last > first && IsBlank(parameters[last - 1])) --last;
  return parameters.substr(first, last - first);
}

std::string ToolCommandLine(const std::string& program, const std::string& targetName,
                            const std::string& arguments) {
  // Unquoted, a path with blanks would let Windows try C:\Program.exe first.
  std::string quoted = program.find(' ') != std::string::npos ? "\"" + program + "\"" : program;
  return quoted + " " + ToolParameters(targetName, arguments);
}

bool IsBatchFile(const std::string& program) {
  const std::string ext = AsciiLowered(paths::ExtensionOf(program));
  return ext == ".bat" || ext == ".cmd";
}

bool IsCommandProcessor(const std::string& program) {
  const std::string name = AsciiLowered(paths::FileNameOf(program));
  return name == "cmd.exe" || name == "command.com";
}

bool UnsafeForBatchFile(const std::string& targetName, const std::string& /*arguments*/) {
  // The name always stands in quotes on the command line, but the command processor expands
  // "%" inside quotes as well, and a batch file that takes its argument as %~1 drops the
  // quotes before it acts on the rest: any of these in the name is refused, wherever it lands.
  return targetName.find_first_of("&|<>^%") != std::string::npos;
}

std::string ResolveToolProgram(const LaunchServices& s, const std::string& shortcutFile) {
  // As named when it is there, else on the work drive (a UNC or relative path as it stands).
  std::string program = ResolveShortcut(s.links, s.fs, s.drive, shortcutFile);
  if (program.empty() || s.fs.fileExists(program)) return program;
  if (CheckToolDrive(program, s.drive, s.search)) return paths::OnDrive(program, s.drive.letter);
  WarnToolNotFound(s.search, paths::FileNameOf(program));
  return program;
}

MenuLaunch LaunchFromMenu(const LaunchServices& s, const std::string& shortcutFile, const std::string& target,
                          bool commandLineEditing, bool elevated) {
  MenuLaunch result;
  // The tool may have gone since the menu was built: nothing to start, nothing to say.
  if (!s.fs.fileExists(shortcutFile)) return result;
  const std::string program = ResolveToolProgram(s, shortcutFile);
  // A shortcut the shell cannot read names no program: nothing to start.
  if (program.empty()) return result;
  const std::string arguments = s.links.readArguments(shortcutFile);
  if (!MayRunOn(s, program, target, arguments)) return result;
  std::optional<std::string> name = EnterTarget(s, target);
  if (!name) return result;
  if (commandLineEditing) {
    result.commandLine = ToolCommandLine(program, *name, arguments);
    result.directory = paths::DirectoryOf(target);
    return result;
  }
  if (name->empty()) {
    const std::string parameters = ToolParameters(*name, arguments);
    const std::string directory = paths::DirectoryOf(program);
    result.ran = elevated ? ElevatedStart(s, program, parameters, directory)
                          : ShellStart(s, program, parameters, directory);
    return result;
  }
  result.ran = StartWithTarget(s, program, *name, arguments, target, elevated);
  return result;
}

bool LaunchFromButton(const LaunchServices& s, const std::string& shortcutFile, const std::string& target,
                      bool elevated) {
  const std::string program = ResolveToolProgram(s, shortcutFile);
  if (program.empty()) return false;
  const std::string arguments = s.links.readArguments(shortcutFile);
  if (!MayRunOn(s, program, target, arguments)) return false;
  std::optional<std::string> name = EnterTarget(s, target);
  if (!name) return false;
  return StartWithTarget(s, program, *name, arguments, target, elevated);
}

bool RunEditedCommandLine(const LaunchServices& s, const std::string& commandLine, const std::string& directory) {
  if (!EnterDirectory(s, directory)) return false;
  unsigned r = s.processes.winExec(commandLine, kSwShowNormal);
  return Started(s, commandLine, r, r > 31);
}

}  // namespace kest
