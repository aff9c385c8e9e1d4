#pragma once
// The system folder as a 32-bit program sees it on 64-bit Windows. The system redirects such a
// program's paths under <Windows>\System32 to SysWOW64, where a different file of the same
// name may lie; <Windows>\Sysnative reaches the real folder. Kest names every file as the user
// named it and reaches it through these rules, in one place at the platform seam.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kest::paths {

// The path through which a 32-bit process under WoW64 reaches the file the path names: a path
// in <windowsDir>\System32 (in any case, with either separator) goes through
// <windowsDir>\Sysnative, except the folders Windows does not redirect (catroot, catroot2,
// DriverStore, drivers\etc, LogFiles, spool). Any other path, a "\\?\" or UNC form among them,
// is returned as it is. windowsDir: "C:\Windows", with or without a trailing separator.
std::string ThroughSysnative(std::string_view path, std::string_view windowsDir);

// The other way: a path in <windowsDir>\Sysnative named as the user names it, in System32.
std::string AsSystem32(std::string_view path, std::string_view windowsDir);

// The file a path names as a 32-bit view of 64-bit Windows showed it (a 32-bit program's open
// dialog or console, a drop from a 32-bit program): such a view shows SysWOW64's files under the
// name System32. A path through Sysnative names System32's own file. A path in System32 where the
// system redirects names SysWOW64's file when the view is known to be a 32-bit one (sure) and
// SysWOW64 has it; when it is not known (a drop, whose program is not told), only when System32
// does not have it, so that a 64-bit Explorer's drop keeps its name. exists: whether the file
// of a name (as Kest names files) is there. Anything else is returned as it is.
std::string NameFrom32BitView(std::string_view path, std::string_view windowsDir, bool sure,
                              const std::function<bool(const std::string&)>& exists);

// True for a path in <windowsDir>\System32 or <windowsDir>\Sysnative, where the two views differ.
bool InSystemFolder(std::string_view path, std::string_view windowsDir);

// The command line a file type's verb command (its registry "command", environment expanded)
// makes for a file: "%1" and "%L" stand for it, quoted when they are not already in quotes,
// "%*" and "%2" to "%9" for nothing, "%%" for "%"; a command without any of the first two gets
// the file quoted at its end.
std::string VerbCommandLine(std::string_view command, std::string_view file);

// A shortcut's program from its raw path, environment variables unexpanded. For a 32-bit
// program under WoW64 the system would expand %ProgramFiles% (and %CommonProgramFiles%) to the
// 32-bit folders, "Program Files (x86)": as a 64-bit Explorer does, the 64-bit folder
// (%ProgramW6432%, %CommonProgramW6432%) is taken when the program is there, the 32-bit one
// only when only it has the program. Every other variable is expanded from env; one env does
// not know stays as it is written.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;
std::string ExpandLinkPath(std::string_view raw, bool wow64, const EnvironmentLookup& env,
                           const std::function<bool(const std::string&)>& exists);

}  // namespace kest::paths
