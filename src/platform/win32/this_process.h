#pragma once
// What the process knows of itself and takes from the system as its own: where its executable
// lies, where its DLLs may come from, and the files dropped on its windows.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace kest::win32 {

// The executable's own path and directory (with trailing backslash).
std::string ExecutablePath();
std::string ExecutableDirectory();

// Kest's current directory lies in sample folders, which may hold malware: from here on
// DLLs are taken from the system directory only (where the system can be told so) and never
// from the current directory.
void RestrictDllSearch();
// A system DLL loaded by its full path in the system directory.
HMODULE LoadSystemLibrary(const char* name);

// Every file name of a shell drop, in the drop's order; the drop block is freed.
std::vector<std::string> TakeDroppedFiles(HDROP drop);

}  // namespace kest::win32
