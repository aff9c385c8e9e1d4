#include "platform/win32/helper_process.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/text_encoding.h"

namespace kest::win32 {

namespace {

constexpr DWORD kPipeBytes = 64 * 1024;
// A request is small: a helper that does not take one within this time is hung.
constexpr DWORD kSendMs = 2000;
// What the helper may use: ample for any icon, not enough for a header that claims gigabytes.
constexpr SIZE_T kHelperMemory = 256 * 1024 * 1024;

class Win32HelperProcess final : public HelperProcess {
 public:
  Win32HelperProcess(OwnedHandle pipe, OwnedHandle process, OwnedHandle job)
      : pipe_(std::move(pipe)), process_(std::move(process)), job_(std::move(job)),
        event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Win32HelperProcess() override {
    // At once: it may be hung in the system's icon code. It is gone before the next helper or
    // the next start of Kest is made (under Wine a process started while another is being torn
    // down takes several times as long); the job would end it too.
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 1000);
  }

  bool send(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD n = 0;
      if (!Transfer(false, const_cast<char*>(bytes.data()), static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kPipeBytes)),
                    kSendMs, n) ||
          n == 0)
        return false;
      bytes.remove_prefix(n);
    }
    return true;
  }

  Received receive(std::string& into, std::size_t count, unsigned waitMs) override {
    std::string buffer(std::min<std::size_t>(count, kPipeBytes), '\0');
    DWORD n = 0;
    if (!Transfer(true, buffer.data(), static_cast<DWORD>(buffer.size()), waitMs, n)) return Received::Ended;
    into.append(buffer.data(), n);
    return n > 0 ? Received::Some : Received::Nothing;
  }

 private:
  // One overlapped read or write of the pipe, given up after waitMs; false when the pipe broke.
  bool Transfer(bool read, char* data, DWORD size, DWORD waitMs, DWORD& done) {
    OVERLAPPED o{};
    o.hEvent = event_.get();
    ResetEvent(o.hEvent);
    const BOOL started = read ? ReadFile(pipe_.get(), data, size, nullptr, &o) : WriteFile(pipe_.get(), data, size, nullptr, &o);
    if (!started && GetLastError() != ERROR_IO_PENDING) return false;
    if (!started && WaitForSingleObject(o.hEvent, waitMs) != WAIT_OBJECT_0) CancelIoEx(pipe_.get(), &o);
    if (GetOverlappedResult(pipe_.get(), &o, &done, TRUE)) return true;
    // Cancelled at the time limit, with whatever came before it.
    return GetLastError() == ERROR_OPERATION_ABORTED;
  }

  OwnedHandle pipe_, process_, job_, event_;
};

// The job of one helper: it ends with its last handle, which only Kest holds, and so with Kest.
OwnedHandle MakeHelperJob() {
  OwnedHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION |
                                            JOB_OBJECT_LIMIT_ACTIVE_PROCESS | JOB_OBJECT_LIMIT_PROCESS_MEMORY;
  limits.BasicLimitInformation.ActiveProcessLimit = 1;
  limits.ProcessMemoryLimit = kHelperMemory;
  SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  // Its own atom table, no clipboard, no other process's windows, no system settings.
  JOBOBJECT_BASIC_UI_RESTRICTIONS ui{JOB_OBJECT_UILIMIT_DESKTOP | JOB_OBJECT_UILIMIT_DISPLAYSETTINGS |
                                     JOB_OBJECT_UILIMIT_EXITWINDOWS | JOB_OBJECT_UILIMIT_GLOBALATOMS |
                                     JOB_OBJECT_UILIMIT_HANDLES | JOB_OBJECT_UILIMIT_READCLIPBOARD |
                                     JOB_OBJECT_UILIMIT_SYSTEMPARAMETERS | JOB_OBJECT_UILIMIT_WRITECLIPBOARD};
  SetInformationJobObject(job.get(), JobObjectBasicUIRestrictions, &ui, sizeof ui);
  return job;
}

// Starts the program with only the one handle inherited; with every inheritable handle only where
// the system cannot be told which (Kest makes no other handle inheritable).
bool CreateHelper(const std::wstring& program, std::wstring commandLine, HANDLE pipe, PROCESS_INFORMATION& started) {
  wchar_t system[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  STARTUPINFOEXW info{};
  info.StartupInfo.cb = sizeof info;
  info.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
  info.StartupInfo.wShowWindow = SW_HIDE;
  info.StartupInfo.hStdInput = pipe;
  info.StartupInfo.hStdOutput = pipe;
  const DWORD flags = CREATE_SUSPENDED | BELOW_NORMAL_PRIORITY_CLASS;
  const wchar_t* where = n > 0 && n < MAX_PATH ? system : nullptr;
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> attributes(size);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
  HANDLE inherited[] = {pipe};
  if (size > 0 && InitializeProcThreadAttributeList(list, 1, 0, &size)) {
    if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof inherited, nullptr,
                                  nullptr)) {
      info.lpAttributeList = list;
      // A start that fails with the list is not tried again without it: that would hand the
      // helper every inheritable handle this process has, its parent's included.
      const bool ok = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                     flags | EXTENDED_STARTUPINFO_PRESENT, nullptr, where, &info.StartupInfo,
                                     &started) != FALSE;
      DeleteProcThreadAttributeList(list);
      return ok;
    }
    DeleteProcThreadAttributeList(list);
  }
  info.StartupInfo.cb = sizeof info.StartupInfo;
  return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, where,
                        &info.StartupInfo, &started) != FALSE;
}

}  // namespace

std::unique_ptr<HelperProcess> StartHelperProcess(const std::string& program, const std::string& argument) {
  static std::atomic<unsigned> made{0};
  wchar_t name[96];
  std::swprintf(name, 96, L"\\\\.\\pipe\\Kest.helper.%lu.%u.%lu", static_cast<unsigned long>(GetCurrentProcessId()),
                ++made, static_cast<unsigned long>(GetTickCount()));
  // One instance, made here and connected to at once by Kest itself: no other process can take
  // either end.
  OwnedHandle server = OwnedFile(CreateNamedPipeW(
      name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, kPipeBytes, kPipeBytes, 0, nullptr));
  if (!server) return nullptr;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  OwnedHandle client = OwnedFile(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, 0, nullptr));
  if (!client) return nullptr;
  OwnedHandle job = MakeHelperJob();
  PROCESS_INFORMATION started{};
  // Kest's own path, in the code page the process gave it.
  if (!CreateHelper(AnsiToWide(program), L"\"" + AnsiToWide(program) + L"\" \"" + AnsiToWide(argument) + L"\"",
                    client.get(), started))
    return nullptr;
  OwnedHandle process(started.hProcess), thread(started.hThread);
  // A system older than Windows 8 refuses a process already in a job of its own: the helper then
  // still ends when its pipe breaks.
  if (job) AssignProcessToJobObject(job.get(), process.get());
  ResumeThread(thread.get());
  // The helper holds the other end now: when it goes, the pipe breaks.
  client.reset();
  return std::make_unique<Win32HelperProcess>(std::move(server), std::move(process), std::move(job));
}

HANDLE HelperPipe() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!in || in == INVALID_HANDLE_VALUE || in != out || GetFileType(in) != FILE_TYPE_PIPE) return nullptr;
  return in;
}

}  // namespace kest::win32
