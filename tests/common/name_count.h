#pragma once
// How many names (hard links) a file has, for the tests that check a save kept them.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace kest::testutil {

inline DWORD NameCount(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  if (h == INVALID_HANDLE_VALUE) return 0;
  GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  return info.nNumberOfLinks;
}

}  // namespace kest::testutil
