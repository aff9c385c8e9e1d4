#pragma once
// Path helpers for the ANSI, backslash-separated paths the program keeps.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii_case.h"

namespace kest::paths {

inline bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

// Directory part with its trailing backslash ("C:\a\b.exe" -> "C:\a\"); empty when none.
inline std::string DirectoryOf(std::string_view path) {
  std::size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  return std::string(path.substr(0, i));
}

// File name after the last separator.
inline std::string FileNameOf(std::string_view path) {
  return std::string(path.substr(DirectoryOf(path).size()));
}

// Extension from the last dot of the file name, dot included; empty when there is none.
inline std::string ExtensionOf(std::string_view path) {
  std::string name = FileNameOf(path);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

// Replaces the extension (from the last dot of the file name) or appends one.
inline std::string ChangeExtension(std::string_view path, std::string_view ext) {
  std::string dir = DirectoryOf(path);
  std::string name = FileNameOf(path);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return dir + name + std::string(ext);
}

inline std::string WithTrailingBackslash(std::string_view dir) {
  std::string s(dir);
  if (!s.empty() && s.back() != '\\') s += '\\';
  return s;
}

// Drops one trailing backslash, except from a drive root such as "C:\".
inline std::string WithoutTrailingBackslash(std::string_view dir) {
  std::string s(dir);
  bool driveRoot = s.size() == 3 && s[1] == ':';
  if (!s.empty() && s.back() == '\\' && !driveRoot) s.pop_back();
  return s;
}

// True for "C:..." : a path whose first character is a drive letter followed by a colon.
// Only such a path can be moved to another drive by changing its first character.
inline bool HasDriveLetter(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return false;
  char c = path[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The path with its drive letter replaced; a path without one (UNC, relative) is unchanged.
inline std::string OnDrive(std::string_view path, char letter) {
  std::string s(path);
  if (HasDriveLetter(s)) s[0] = letter;
  return s;
}

// Control characters (line breaks, tabs, ...) belong in no file name Windows allows; stored
// in Tools.ini, a line break would start a line of its own.
inline bool HasControlCharacters(std::string_view path) {
  for (char c : path)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

// The path with each control character shown as "?", for a message that names it.
inline std::string Printable(std::string_view path) {
  std::string s(path);
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return s;
}

// What the system compares with its device names: a file name's part up to its first dot, blanks
// before the dot left out, in lower case.
inline std::string DeviceBaseOf(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  return AsciiLowered(base);
}

// One of the device names, given as DeviceBaseOf gives it: CON, PRN, AUX, NUL, COM1 to COM9,
// LPT1 to LPT9.
inline bool IsDeviceBase(const std::string& lower) {
  if (lower == "con" || lower == "prn" || lower == "aux" || lower == "nul") return true;
  return lower.size() == 4 && (lower.compare(0, 3, "com") == 0 || lower.compare(0, 3, "lpt") == 0) &&
         lower[3] >= '1' && lower[3] <= '9';
}

// True for a file name that Windows does not keep as written, so that an entry made under it
// lands on something else: a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, in
// any case, also with an extension or with blanks before the dot) opens the device, and a
// trailing dot or blank is cut off.
inline bool IsReservedName(std::string_view name) {
  if (name.empty()) return false;
  if (name.back() == '.' || name.back() == ' ') return true;
  return IsDeviceBase(DeviceBaseOf(name));
}

// True for a path that Windows opens as a device rather than a file on a disk: the device
// namespace ("\\.\COM1", "\\.\pipe\x", "\\?\GLOBALROOT\..."; "\\?\C:\x" and "\\?\UNC\..." are
// files), or a last part that is a device name in any folder ("C:\x\COM1", "D:\nul.txt",
// "aux .bin"), which the system takes for the device unless the path starts with "\\?\". A
// read of such a thing may wait for ever (a serial port with nothing on the line).
inline bool NamesDevice(std::string_view path) {
  auto slash = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 4 && slash(path[0]) && slash(path[1]) && (path[2] == '.' || path[2] == '?') && slash(path[3])) {
    if (path[2] == '.') return true;
    std::string_view rest = path.substr(4);
    const bool drive = rest.size() >= 3 && HasDriveLetter(rest) && slash(rest[2]);
    const bool unc = rest.size() >= 4 && AsciiLowered(rest.substr(0, 3)) == "unc" && slash(rest[3]);
    return !drive && !unc;
  }
  std::string_view name = path;
  for (std::size_t i = name.size(); i > 0; --i) {
    if (slash(name[i - 1]) || name[i - 1] == ':') {
      name = name.substr(i);
      break;
    }
  }
  // The system drops trailing dots and blanks, and takes the name up to its first dot.
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  const std::string lower = DeviceBaseOf(name);
  return IsDeviceBase(lower) || lower == "conin$" || lower == "conout$";
}

// True for a path that names one file wherever Kest stands: a drive letter with its root
// ("C:\x") or a UNC path ("\\server\share\x", "\\?\C:\x"). Anything else is taken against
// some current directory.
inline bool IsFullPath(std::string_view path) {
  if (path.size() >= 3 && HasDriveLetter(path) && (path[2] == '\\' || path[2] == '/')) return true;
  return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
}

// "C:" for "C:\x\y"; empty for paths without a drive letter.
inline std::string DriveOf(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  return std::string();
}

// The path as a process whose current directory is currentDir (absolute, with or without its
// trailing backslash) names it. A path with a drive and a backslash ("C:\x") and a UNC path
// ("\\server\share\x", "\\?\C:\x") stay exactly as they are; "\x" is on the current
// directory's drive or UNC share; "x", ".\x" and "..\x" are joined to the current directory;
// "D:x" to it when it is on drive D, else to "D:\". "." and ".." are resolved by the letters
// alone, never above the root, and nothing else is changed: trailing dots and blanks may be
// part of a sample's name. Without a current directory the path stays as it is.
inline std::string AbsolutePath(std::string_view currentDir, std::string_view path) {
  auto slash = [](char c) { return c == '\\' || c == '/'; };
  if (path.empty() || (path.size() >= 2 && slash(path[0]) && slash(path[1]))) return std::string(path);
  if (HasDriveLetter(path) && path.size() >= 3 && slash(path[2])) return std::string(path);
  if (currentDir.empty()) return std::string(path);
  // The current directory as its root ("C:" or "\\server\share") and its folders.
  auto split = [&slash](std::string_view text, std::vector<std::string>& into) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && !slash(text[i])) continue;
      if (i > start) into.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  };
  std::string root;
  std::vector<std::string> folders;
  if (HasDriveLetter(currentDir)) {
    root = std::string(currentDir.substr(0, 2));
    split(currentDir.substr(2), folders);
  } else {
    std::vector<std::string> parts;
    split(currentDir, parts);
    if (currentDir.size() < 2 || !slash(currentDir[0]) || !slash(currentDir[1]) || parts.size() < 2)
      return std::string(path);
    root = "\\\\" + parts[0] + "\\" + parts[1];
    folders.assign(parts.begin() + 2, parts.end());
  }
  std::string_view rest = path;
  if (slash(path[0])) {
    folders.clear();
  } else if (HasDriveLetter(path)) {
    if (root.size() != 2 || AsciiLower(root[0]) != AsciiLower(path[0])) {
      root = std::string(path.substr(0, 2));
      folders.clear();
    }
    rest = path.substr(2);
  }
  std::vector<std::string> names;
  split(rest, names);
  for (const std::string& name : names) {
    if (name == "..") {
      if (!folders.empty()) folders.pop_back();
    } else if (name != ".") {
      folders.push_back(name);
    }
  }
  std::string result = root + "\\";
  for (std::size_t i = 0; i < folders.size(); ++i) result += (i ? "\\" : "") + folders[i];
  // A folder named with its trailing backslash keeps it.
  if (!folders.empty() && slash(path.back())) result += '\\';
  return result;
}

}  // namespace kest::paths
