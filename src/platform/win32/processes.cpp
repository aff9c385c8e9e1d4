#include "platform/win32/processes.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/ascii_case.h"
#include "platform/paths.h"
#include "platform/system_paths.h"
#include "platform/win32/system_view.h"

namespace kest::win32 {

namespace {

constexpr DWORD kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED, from Vista on

// The program a command line starts: in quotes, or up to the first blank.
std::string ProgramOf(const std::string& commandLine) {
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t end = commandLine.find('"', 1);
    return commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  return commandLine.substr(0, commandLine.find(' '));
}

// Started by Kest itself: the program through the path that reaches it, the command line as the
// started program is to see it. False with the system's code in error.
bool StartDirect(const std::string& application, const std::string& commandLine, const std::string& directory,
                 int show, DWORD& error) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION started{};
  std::string line = commandLine;  // CreateProcess may write into it
  if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &started)) {
    error = GetLastError();
    return false;
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

// A failed start in the codes of WinExec and the shell (below 32).
unsigned StartCode(DWORD error) {
  if (error == ERROR_BAD_EXE_FORMAT || error == ERROR_EXE_MACHINE_TYPE_MISMATCH) return ERROR_BAD_FORMAT;
  return error < 32 ? error : 0;
}

std::string ClassesValue(const std::string& key) {
  char value[2048] = {};
  DWORD size = sizeof value;
  // A REG_EXPAND_SZ value comes expanded, as a REG_SZ one.
  if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return std::string();
  return value;
}

// The command of a file type's verb, as Explorer would run it (the type's default verb for none).
std::string VerbCommand(const std::string& file, const std::string& verb) {
  const std::string type = ClassesValue(paths::ExtensionOf(file));
  if (type.empty()) return std::string();
  std::string chosen = verb.empty() ? ClassesValue(type + "\\shell") : verb;
  if (chosen.empty()) chosen = "open";
  return ClassesValue(type + "\\shell\\" + chosen + "\\command");
}

bool IsProgramFile(const std::string& file) {
  const std::string ext = AsciiLowered(paths::ExtensionOf(file));
  return ext == ".exe" || ext == ".com" || ext == ".scr";
}

}  // namespace

unsigned Win32Processes::winExec(const std::string& commandLine, int show) {
  // A program in System32, under WoW64: reached through Sysnative, and told its System32 name,
  // which a 64-bit program can open (Sysnative exists for 32-bit programs only).
  const std::string program = ProgramOf(commandLine);
  if (RunsUnderWow64() && ForSystem(program) != program) {
    DWORD error = 0;
    needsElevation_ = false;
    if (StartDirect(ForSystem(program), commandLine, "", show, error)) return 33;
    needsElevation_ = error == kElevationRequired;
    return StartCode(error);
  }
  SetLastError(ERROR_SUCCESS);
  const unsigned r = WinExec(commandLine.c_str(), static_cast<UINT>(show));
  // WinExec's own codes have no word for a program that asks for administrator rights; the
  // process start beneath it leaves it in the last error.
  needsElevation_ = r <= 31 && GetLastError() == kElevationRequired;
  return r;
}

std::intptr_t Win32Processes::shellExecute(WindowHandle owner, const std::string& verb,
                                           const std::string& file, const std::string& parameters,
                                           const std::string& directory, int show) {
  const std::string target = ForSystem(file), where = DirectoryForSystem(directory);
  if (target != file && verb != "runas") {
    // A file in System32, under WoW64: only Kest's own calls may use Sysnative. A program is
    // started through it and told its System32 name; a document goes to its type's program with
    // the name that program reaches it by: System32 for a 64-bit one, Sysnative for a 32-bit one
    // (whose System32 is SysWOW64). Without a command Kest can run, the shell has it as before.
    std::string line, application;
    if (IsProgramFile(file)) {
      application = target;
      line = "\"" + file + "\"";
    } else if (const std::string command = VerbCommand(file, verb); !command.empty()) {
      const std::string program = ProgramOf(command);
      // Only a program named by a whole path that is there is started so: a bare name, "%1"
      // or an unquoted path with blanks is the shell's to find.
      if (paths::IsFullPath(program) && GetFileAttributesA(ForSystem(program).c_str()) != INVALID_FILE_ATTRIBUTES) {
        DWORD type = 0;
        const bool sixtyFour = GetBinaryTypeA(ForSystem(program).c_str(), &type) && type == SCS_64BIT_BINARY;
        application = ForSystem(program);
        line = paths::VerbCommandLine(command, sixtyFour ? file : target);
      }
    }
    if (!application.empty()) {
      if (!parameters.empty()) line += " " + parameters;
      DWORD error = 0;
      if (StartDirect(application, line, where, show, error)) return 42;
      // One that asks for administrator rights is left to the shell, which asks the user.
      if (error != kElevationRequired) return static_cast<std::intptr_t>(StartCode(error));
    }
  }
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

bool Win32Processes::is64BitWindows() { return RunsOn64BitWindows(); }

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
