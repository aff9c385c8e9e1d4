#pragma once
// Path helpers for the ANSI, backslash-separated paths the program keeps.
#include <string>
#include <string_view>

namespace kest::paths {

inline constexpr std::size_t kMaxPath = 260;

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

// "C:" for "C:\x\y"; empty for paths without a drive letter.
inline std::string DriveOf(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  return std::string();
}

}  // namespace kest::paths
