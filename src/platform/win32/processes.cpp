#include "platform/win32/processes.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/system_view.h"

namespace kest::win32 {

unsigned Win32Processes::winExec(const std::string& commandLine, int show) {
  SetLastError(ERROR_SUCCESS);
  const unsigned r = WinExec(CommandLineForSystem(commandLine).c_str(), static_cast<UINT>(show));
  // WinExec's own codes have no word for a program that asks for administrator rights; the
  // process start beneath it leaves it in the last error.
  constexpr DWORD kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED, from Vista on
  needsElevation_ = r <= 31 && GetLastError() == kElevationRequired;
  return r;
}

std::intptr_t Win32Processes::shellExecute(WindowHandle owner, const std::string& verb,
                                           const std::string& file, const std::string& parameters,
                                           const std::string& directory, int show) {
  const std::string target = ForSystem(file), where = DirectoryForSystem(directory);
  HINSTANCE r = ShellExecuteA(static_cast<HWND>(owner), verb.empty() ? nullptr : verb.c_str(),
                              target.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                              where.empty() ? nullptr : where.c_str(), show);
  return reinterpret_cast<std::intptr_t>(r);
}

std::string Win32Processes::errorText(unsigned code) {
  // The shell's own codes above the system's: no system text says what they mean.
  switch (code) {
    case 0:
    case SE_ERR_OOM:
      code = ERROR_NOT_ENOUGH_MEMORY;
      break;
    case SE_ERR_SHARE:
      code = ERROR_SHARING_VIOLATION;
      break;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
      return "No program is associated with this kind of file.";
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
      return "The program did not answer the shell.";
    case SE_ERR_DLLNOTFOUND:
      return "A library the program needs was not found.";
    default:
      break;
  }
  return SystemErrorText(code);
}

bool Win32Processes::is64BitWindows() {
#if defined(_WIN64)
  return true;
#else
  static const bool wow64 = [] {
    BOOL wow = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow) && wow;
  }();
  return wow64;
#endif
}

std::string SystemErrorText(unsigned code) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n && buffer ? std::string(buffer, n) : std::string();
  if (buffer) LocalFree(buffer);
  return text;
}

bool Win32Processes::showProperties(const std::string& path) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.lpVerb = "properties";
  const std::string file = ForSystem(path);
  info.lpFile = file.c_str();
  info.nShow = 0;
  return ShellExecuteExA(&info) != FALSE;
}

}  // namespace kest::win32
