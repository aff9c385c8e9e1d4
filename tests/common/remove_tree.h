#pragma once
// Recursive removal of a scratch directory, shared by the Win32 tests and the end-to-end harness.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace kest::testutil {

namespace detail {

inline void RemoveTreeOnce(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A junction goes by itself, never with what it points to.
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
          RemoveDirectoryA(full.c_str());
        else
          RemoveTreeOnce(full);
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(dir.c_str());
}

}  // namespace detail

// Removes a directory and everything in it, best effort. The path may use '/' or '\' and may
// end with a separator; a drive root is refused. True when the directory no longer exists.
inline bool RemoveTree(const std::string& path) {
  std::string dir = path;
  for (char& c : dir)
    if (c == '/') c = '\\';
  while (dir.size() > 1 && dir.back() == '\\' && dir[dir.size() - 2] != ':') dir.pop_back();
  if (dir.empty() || dir.back() == '\\' || dir.back() == ':') return false;
  if (GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  detail::RemoveTreeOnce(dir);
  return GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace kest::testutil
