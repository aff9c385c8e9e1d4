#include "catalog/shortcuts.h"

#include "platform/paths.h"

namespace kest {

namespace {

bool IsAbsolute(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') || (!path.empty() && path[0] == '\\');
}

}  // namespace

std::string UniqueShortcutName(FileSystem& fs, const std::string& linkName) {
  std::string name = IsAbsolute(linkName) ? linkName : fs.currentDirectory() + linkName;
  name = paths::ChangeExtension(name, ".lnk");
  if (!fs.fileExists(name)) return name;
  std::string base = name.substr(0, name.size() - 4);
  for (unsigned long long n = 1;; ++n) {
    std::string candidate = base + "(" + std::to_string(n) + ").lnk";
    if (!fs.fileExists(candidate)) return candidate;
  }
}

std::string CreateShortcut(ShellLinks& links, FileSystem& fs, const std::string& programPath,
                           const std::string& linkName, const std::string& arguments) {
  std::string file = UniqueShortcutName(fs, linkName);
  if (paths::IsReservedName(paths::FileNameOf(file))) return std::string();
  if (!links.write(file, programPath, arguments, paths::DirectoryOf(programPath))) return std::string();
  return file;
}

std::string ReadShortcutPath(ShellLinks& links, FileSystem& fs, const std::string& linkPath) {
  return fs.fileExists(linkPath) ? links.readPath(linkPath) : std::string();
}

std::string OnWorkDrive(const WorkDrive& drive, std::string program,
                        const std::function<bool(const std::string& path)>& exists) {
  // Nothing read stays nothing, and only a path that starts with a drive letter is moved to the
  // work drive: a UNC or relative path has no letter to replace.
  if (paths::HasDriveLetter(program) && !exists(program)) program[0] = drive.letter;
  return program;
}

std::string OnWorkDrive(FileSystem& fs, const WorkDrive& drive, const std::string& program) {
  return OnWorkDrive(drive, program, [&fs](const std::string& path) { return fs.fileExists(path); });
}

std::string ResolveShortcut(ShellLinks& links, FileSystem& fs, const WorkDrive& drive,
                            const std::string& linkPath) {
  return OnWorkDrive(fs, drive, ReadShortcutPath(links, fs, linkPath));
}

}  // namespace kest
