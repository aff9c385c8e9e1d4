// A stand-in tool for the end-to-end tests: appends the command line and the current directory
// it was started with to probe.log beside itself, one line each. With "--stay" on its command
// line it keeps running (up to a minute) until ended.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char exe[4 * MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string log(exe);
  log = log.substr(0, log.find_last_of('\\') + 1) + "probe.log";
  char cwd[4 * MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof cwd, cwd);
  std::string line = std::string("cmd=") + GetCommandLineA() + "\r\ncwd=" + cwd + "\r\n";
  HANDLE h = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(h);
  if (std::string(GetCommandLineA()).find("--stay") != std::string::npos) Sleep(60000);
  return 0;
}
