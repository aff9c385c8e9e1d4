#pragma once
// Shortcut files of the catalog: written under names that collide with nothing, read back
// with the work drive letter in front of a program that is not where the link says.
#include <functional>
#include <string>

#include "catalog/work_drive.h"
#include "platform/file_system.h"
#include "platform/shell_links.h"

namespace kest {

// The name CreateShortcut saves under: the link name with ".lnk" for its extension, taken
// against the current directory when relative, made unique with "(1)", "(2)", ...
std::string UniqueShortcutName(FileSystem& fs, const std::string& linkName);

// Writes a link to the program, with the program's directory as working directory.
// Returns the file written; empty when nothing was written: the save failed, or the name is one
// Windows would take for a device or cut short (paths::IsReservedName).
std::string CreateShortcut(ShellLinks& links, FileSystem& fs, const std::string& programPath,
                           const std::string& linkName, const std::string& arguments);

// The program path a .lnk or .pif file holds, as stored; empty for a missing file or when
// nothing could be read.
std::string ReadShortcutPath(ShellLinks& links, FileSystem& fs, const std::string& linkPath);

// A program that does not exist gets the work drive letter in front; nothing stays nothing.
// exists is asked only about a path that starts with a drive letter.
std::string OnWorkDrive(const WorkDrive& drive, std::string program,
                        const std::function<bool(const std::string& path)>& exists);
// As above, the file system asked.
std::string OnWorkDrive(FileSystem& fs, const WorkDrive& drive, const std::string& program);

// The program a .lnk or .pif file names, on the work drive when it is not where the link says.
std::string ResolveShortcut(ShellLinks& links, FileSystem& fs, const WorkDrive& drive,
                            const std::string& linkPath);

}  // namespace kest
