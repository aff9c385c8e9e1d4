#pragma once
// The one place where the paths Kest acts on meet the system's view of them. A 32-bit Kest on
// 64-bit Windows would otherwise open SysWOW64's namesake of every file the user named in
// System32; it reaches the real one through Sysnative, and never turns the system's
// redirection off (DLLs load on first use, from any call). Kest64.exe, and a 32-bit Kest on
// 32-bit Windows, reach every path as it is named.
#include <string>

namespace kest::win32 {

// A 32-bit Kest on 64-bit Windows; decided once per process.
bool RunsUnderWow64();
// Kest64.exe, or a 32-bit Kest on 64-bit Windows.
bool RunsOn64BitWindows();

// The file a path names as a 32-bit view showed it (system_paths.h NameFrom32BitView), on a
// 64-bit Windows; elsewhere the path as named. sure: the view is known to be a 32-bit one.
std::string From32BitView(const std::string& path, bool sure);

// A path given on the command line, as the program that started this one named it: a 32-bit
// program (a 32-bit console, a 32-bit file manager) names SysWOW64's files under System32.
std::string FromStarter(const std::string& path);

// The path to hand the system for a path the user named.
std::string ForSystem(const std::string& path);

// A path as the user names it and Kest stores and shows it: never through Sysnative.
std::string AsNamed(const std::string& path);

// A directory to stand in: as named when the system finds it so (a program started there then
// inherits the name the user gave), otherwise through Sysnative.
std::string DirectoryForSystem(const std::string& directory);

}  // namespace kest::win32
