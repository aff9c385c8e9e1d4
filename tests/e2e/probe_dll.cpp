// A stand-in sample for the end-to-end tests: a DLL that leaves "<its own path>.loaded" beside
// itself when it is loaded as a module, so a test sees whether anything ran its code.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[4 * MAX_PATH] = {};
  GetModuleFileNameA(self, path, sizeof path);
  HANDLE h = CreateFileA((std::string(path) + ".loaded").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return TRUE;
}
