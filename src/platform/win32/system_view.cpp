#include "platform/win32/system_view.h"

#include <windows.h>

#include "platform/system_paths.h"

namespace kest::win32 {

namespace {

struct View {
  bool wow64 = false;
  std::string windowsDir;
};

const View& TheView() {
  static const View view = [] {
    View v;
#if !defined(_WIN64)
    BOOL wow = FALSE;
    v.wow64 = IsWow64Process(GetCurrentProcess(), &wow) && wow;
#endif
    if (v.wow64) {
      // The Windows folder itself is never redirected.
      char dir[MAX_PATH] = {};
      UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
      if (n > 0 && n < MAX_PATH) v.windowsDir.assign(dir, n);
      else v.wow64 = false;
    }
    return v;
  }();
  return view;
}

}  // namespace

bool RunsUnderWow64() { return TheView().wow64; }

std::string ForSystem(const std::string& path) {
  const View& v = TheView();
  return v.wow64 ? paths::ThroughSysnative(path, v.windowsDir) : path;
}

std::string AsNamed(const std::string& path) {
  const View& v = TheView();
  return v.wow64 ? paths::AsSystem32(path, v.windowsDir) : path;
}

std::string CommandLineForSystem(const std::string& commandLine) {
  if (!RunsUnderWow64()) return commandLine;
  std::size_t start = 0, end;
  if (!commandLine.empty() && commandLine[0] == '"') {
    start = 1;
    end = commandLine.find('"', 1);
  } else {
    end = commandLine.find(' ');
  }
  if (end == std::string::npos) end = commandLine.size();
  return commandLine.substr(0, start) + ForSystem(commandLine.substr(start, end - start)) + commandLine.substr(end);
}

std::string DirectoryForSystem(const std::string& directory) {
  if (!RunsUnderWow64() || directory.empty()) return directory;
  const DWORD a = GetFileAttributesA(directory.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return directory;
  return ForSystem(directory);
}

}  // namespace kest::win32
