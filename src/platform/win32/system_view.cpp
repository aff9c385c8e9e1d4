#include "platform/win32/system_view.h"

#include <windows.h>
#include <tlhelp32.h>

#include "platform/system_paths.h"

namespace kest::win32 {

namespace {

struct View {
  bool wow64 = false;
  bool sixtyFour = false;  // a 64-bit Windows, where two views of System32 exist
  bool windows64 = false;  // a 64-bit Windows, even where the views cannot be told apart
  std::string windowsDir;
};

const View& TheView() {
  static const View view = [] {
    View v;
#if !defined(_WIN64)
    BOOL wow = FALSE;
    v.wow64 = IsWow64Process(GetCurrentProcess(), &wow) && wow;
#endif
#if defined(_WIN64)
    v.sixtyFour = true;
#else
    v.sixtyFour = v.wow64;
#endif
    v.windows64 = v.sixtyFour;
    if (v.sixtyFour) {
      // The Windows folder itself is never redirected.
      char dir[MAX_PATH] = {};
      UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
      if (n > 0 && n < MAX_PATH) v.windowsDir.assign(dir, n);
      else v.wow64 = v.sixtyFour = false;
    }
    return v;
  }();
  return view;
}

}  // namespace

bool RunsUnderWow64() { return TheView().wow64; }

bool RunsOn64BitWindows() { return TheView().windows64; }

std::string ForSystem(const std::string& path) {
  const View& v = TheView();
  return v.wow64 ? paths::ThroughSysnative(path, v.windowsDir) : path;
}

std::string AsNamed(const std::string& path) {
  const View& v = TheView();
  return v.wow64 ? paths::AsSystem32(path, v.windowsDir) : path;
}

std::string From32BitView(const std::string& path, bool sure) {
  const View& v = TheView();
  if (!v.sixtyFour) return path;
  return paths::NameFrom32BitView(path, v.windowsDir, sure, [](const std::string& name) {
    return GetFileAttributesA(ForSystem(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  });
}

namespace {

// Whether the process that started this one is a 32-bit program on a 64-bit Windows.
bool StartedBy32BitProgram() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  const DWORD self = GetCurrentProcessId();
  DWORD parent = 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
  CloseHandle(snapshot);
  HANDLE process = parent ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent) : nullptr;
  if (!process) return false;
  BOOL wow = FALSE;
  const bool thirtyTwo = IsWow64Process(process, &wow) && wow;
  CloseHandle(process);
  return thirtyTwo;
}

}  // namespace

std::string FromStarter(const std::string& path) {
  const View& v = TheView();
  // Only a path in System32 is named differently in the two views; only then is it asked.
  if (!v.sixtyFour || !paths::InSystemFolder(path, v.windowsDir)) return AsNamed(path);
  return StartedBy32BitProgram() ? From32BitView(path, true) : AsNamed(path);
}

std::string DirectoryForSystem(const std::string& directory) {
  if (!RunsUnderWow64() || directory.empty()) return directory;
  const DWORD a = GetFileAttributesA(directory.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return directory;
  return ForSystem(directory);
}

}  // namespace kest::win32
