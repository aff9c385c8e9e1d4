#include "app/icon_helper.h"

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/com_ptr.h"
#include "platform/win32/helper_process.h"
#include "platform/win32/program_icons.h"
#include "targets/icon_protocol.h"

namespace kest {

namespace {

// Exactly count bytes from the pipe into into; false once it broke.
bool ReadExactly(HANDLE pipe, std::string& into, std::size_t count) {
  into.assign(count, '\0');
  std::size_t got = 0;
  while (got < count) {
    DWORD n = 0;
    if (!ReadFile(pipe, into.data() + got, static_cast<DWORD>(count - got), &n, nullptr) || n == 0) return false;
    got += n;
  }
  return true;
}

bool WriteAll(HANDLE pipe, const std::string& bytes) {
  std::size_t put = 0;
  while (put < bytes.size()) {
    DWORD n = 0;
    if (!WriteFile(pipe, bytes.data() + put, static_cast<DWORD>(bytes.size() - put), &n, nullptr) || n == 0) return false;
    put += n;
  }
  return true;
}

// A fault in the system's icon code ends the helper at once, with no report window and no
// debugger: Kest counts it as the loss of that one icon.
LONG WINAPI EndAtFault(EXCEPTION_POINTERS*) {
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int RunIconHelper() {
  HANDLE pipe = win32::HelperPipe();
  if (!pipe) return 0;
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndAtFault);
  if (!WriteAll(pipe, HelperHello())) return 0;
  win32::Win32ProgramIcons icons;
  // The shell's type icons want COM; files' icons do not.
  std::optional<win32::ComApartment> com;
  for (;;) {
    std::string header, name;
    if (!ReadExactly(pipe, header, kRequestHeaderBytes)) return 0;
    const std::optional<RequestHeader> request = DecodeRequestHeader(header);
    if (!request || !ReadExactly(pipe, name, request->nameBytes)) return 0;
    std::optional<IconPixels> icon;
    if (request->of == IconOf::File) {
      icon = icons.extract(name, request->side);
    } else {
      if (!com) com.emplace();
      icon = win32::TypeIconPixels(name, request->side);
    }
    if (!WriteAll(pipe, EncodeAnswer(request->side, icon))) return 0;
  }
}

}  // namespace kest
