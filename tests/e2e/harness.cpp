// End-to-end test harness for Kest (see harness.h).
//
// Link with: -lcomctl32 -luser32 -lgdi32 -lkernel32
#include "harness.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace e2e {

namespace {

constexpr UINT kSendTimeoutMs = 5000;  // cross-process SendMessageTimeout

std::string ToBackslashes(std::string s) {
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}

std::string WithoutTrailingSlash(std::string s) {
  while (s.size() > 1 && (s.back() == '\\' || s.back() == '/') && s[s.size() - 2] != ':') s.pop_back();
  return s;
}

std::string ParentDir(const std::string& path) {
  const std::string p = WithoutTrailingSlash(ToBackslashes(path));
  const size_t pos = p.find_last_of('\\');
  return pos == std::string::npos ? std::string() : p.substr(0, pos);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && (a.empty() || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(),
                                                              static_cast<int>(a.size()), b.data(),
                                                              static_cast<int>(b.size())) == CSTR_EQUAL);
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

// SendMessageTimeout that returns the result (0 on timeout or failure).
LRESULT SendWait(HWND w, UINT msg, WPARAM wp, LPARAM lp, bool* ok = nullptr) {
  DWORD_PTR result = 0;
  const LRESULT r = SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
  if (ok) *ok = r != 0;
  return r ? static_cast<LRESULT>(result) : 0;
}

// A block of memory in the process that owns a window, for messages whose lParam points to a
// structure (the system does not marshal those across processes).
class RemoteMemory {
 public:
  RemoteMemory(HWND owner, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    if (!pid) return;
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                           FALSE, pid);
    if (!process_) return;
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool ok() const { return address_ != nullptr; }
  void* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
  LPARAM lparam(size_t offset = 0) const { return reinterpret_cast<LPARAM>(at(offset)); }
  bool write(size_t offset, const void* data, size_t n) const {
    SIZE_T done = 0;
    return offset + n <= size_ && WriteProcessMemory(process_, at(offset), data, n, &done) && done == n;
  }
  bool read(size_t offset, void* data, size_t n) const {
    SIZE_T done = 0;
    return offset + n <= size_ && ReadProcessMemory(process_, at(offset), data, n, &done) && done == n;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_ = 0;
};

// Reads a text of `chars` characters of CharT (terminated) from a list view through a message
// that fills a structure S with pszText / cchTextMax.
template <typename CharT, typename S, typename Fill>
std::basic_string<CharT> RemoteText(HWND w, UINT msg, WPARAM wp, Fill fill) {
  for (int chars = 1024; chars <= (1 << 20); chars *= 8) {
    const size_t textBytes = static_cast<size_t>(chars) * sizeof(CharT);
    RemoteMemory mem(w, sizeof(S) + textBytes);
    if (!mem.ok()) return {};
    S s{};
    fill(s);
    s.pszText = static_cast<decltype(s.pszText)>(mem.at(sizeof(S)));
    s.cchTextMax = chars;
    std::vector<CharT> buffer(static_cast<size_t>(chars), CharT(0));
    if (!mem.write(0, &s, sizeof(S)) || !mem.write(sizeof(S), buffer.data(), textBytes)) return {};
    bool ok = false;
    SendWait(w, msg, wp, mem.lparam(), &ok);
    if (!ok || !mem.read(sizeof(S), buffer.data(), textBytes)) return {};
    buffer.back() = CharT(0);
    std::basic_string<CharT> text(buffer.data());
    if (static_cast<int>(text.size()) < chars - 1) return text;
  }
  return {};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Files and waiting

std::string ExeDir() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return ".\\";
    if (n < buffer.size()) {
      std::string path(buffer.data(), n);
      const size_t pos = path.find_last_of("\\/");
      return pos == std::string::npos ? std::string(".\\") : path.substr(0, pos + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (cond()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return cond();
    Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pollMs ? pollMs : 1, deadline - now)));
  }
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(WithoutTrailingSlash(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirs(const std::string& dir) {
  const std::string d = WithoutTrailingSlash(ToBackslashes(dir));
  if (d.empty() || DirExists(d)) return !d.empty();
  const std::string parent = ParentDir(d);
  if (!parent.empty() && parent != d && !(parent.size() == 2 && parent[1] == ':')) MakeDirs(parent);
  CreateDirectoryA(d.c_str(), nullptr);
  return DirExists(d);
}

// ---------------------------------------------------------------------------------------------
// AppDir

AppDir::AppDir(const std::string& name, const std::string& sourceExe)
    : path_(ExeDir() + "e2e-work\\" + WithoutTrailingSlash(ToBackslashes(name)) + "\\") {
  if (!WaitUntil([&] { return RemoveTree(path_); }, 3000, 50))
    throw std::runtime_error("AppDir: cannot remove old " + path_);
  if (!MakeDirs(path_)) throw std::runtime_error("AppDir: cannot create " + path_);
  if (!sourceExe.empty() && !CopyFileA(sourceExe.c_str(), exe().c_str(), FALSE)) {
    const DWORD error = GetLastError();
    throw std::runtime_error("AppDir: cannot copy " + sourceExe + " to " + exe() + " (error " +
                             std::to_string(error) + ")");
  }
}

AppDir::~AppDir() {
  WaitUntil([&] { return RemoveTree(path_); }, 2000, 20);
}

std::string AppDir::readIni(const std::string& section, const std::string& key, const std::string& def) const {
  for (DWORD size = 1024;; size *= 4) {
    std::vector<char> buffer(size, '\0');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer.data(), size,
                                             ini().c_str());
    if (n < size - 1 || size >= (1u << 24)) return std::string(buffer.data(), std::min<DWORD>(n, size - 1));
  }
}

void AppDir::writeIni(const std::string& section, const std::string& key, const std::string& value) const {
  WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), ini().c_str());
}

void AppDir::deleteIniKey(const std::string& section, const std::string& key) const {
  WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, ini().c_str());
}

std::string AppDir::file(const std::string& relative) const { return path_ + ToBackslashes(relative); }

void AppDir::writeFile(const std::string& relative, const std::string& content) const {
  const std::string full = file(relative);
  const std::string parent = ParentDir(full);
  if (!parent.empty()) MakeDirs(parent);
  HANDLE h = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("AppDir: cannot write " + full);
  DWORD written = 0;
  const BOOL ok = content.empty() || WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(h);
  if (!ok || (!content.empty() && written != content.size()))
    throw std::runtime_error("AppDir: short write to " + full);
}

std::string AppDir::readFile(const std::string& relative) const {
  const std::string full = file(relative);
  HANDLE h = CreateFileA(full.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string content;
  char buffer[65536];
  DWORD n = 0;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) content.append(buffer, n);
  CloseHandle(h);
  return content;
}

bool AppDir::exists(const std::string& relative) const {
  return GetFileAttributesA(file(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void AppDir::makeDir(const std::string& relative) const { MakeDirs(file(relative)); }

// ---------------------------------------------------------------------------------------------
// Process

Process Process::Start(const std::string& exePath, const std::string& commandLine, const std::string& currentDir) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  if (!CreateProcessA(exePath.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi)) {
    const DWORD error = GetLastError();
    throw std::runtime_error("CreateProcess " + exePath + " failed (error " + std::to_string(error) + ")");
  }
  Process p;
  p.process_ = pi.hProcess;
  p.thread_ = pi.hThread;
  p.pid_ = pi.dwProcessId;
  return p;
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      thread_(std::exchange(other.thread_, nullptr)),
      pid_(std::exchange(other.pid_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    close();
    process_ = std::exchange(other.process_, nullptr);
    thread_ = std::exchange(other.thread_, nullptr);
    pid_ = std::exchange(other.pid_, 0);
  }
  return *this;
}

Process::~Process() { close(); }

void Process::close() {
  if (running()) terminate();
  if (thread_) CloseHandle(thread_);
  if (process_) CloseHandle(process_);
  thread_ = process_ = nullptr;
  pid_ = 0;
}

bool Process::running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool Process::waitExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!process_) return false;
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    *exitCode = code;
  }
  return true;
}

bool Process::waitIdle(DWORD timeoutMs) const {
  return process_ && WaitForInputIdle(process_, timeoutMs) == 0;
}

void Process::terminate() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
  }
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// ---------------------------------------------------------------------------------------------
// Windows

std::string ClassName(HWND w) {
  char buffer[256] = {};
  const int n = GetClassNameA(w, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

DWORD WindowPid(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  return pid;
}

namespace {
struct TopWindowsQuery {
  const char* cls;
  DWORD pid;
  bool visible;
  std::vector<HWND> out;
};

BOOL CALLBACK CollectTopWindow(HWND w, LPARAM lp) {
  auto* q = reinterpret_cast<TopWindowsQuery*>(lp);
  if (q->visible && !IsWindowVisible(w)) return TRUE;
  if (q->pid && WindowPid(w) != q->pid) return TRUE;
  if (q->cls && !EqualsNoCase(ClassName(w), q->cls)) return TRUE;
  q->out.push_back(w);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND w, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(const char* className, DWORD pid, bool visibleOnly) {
  TopWindowsQuery q{className, pid, visibleOnly, {}};
  EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&q));
  return q.out;
}

HWND WaitForWindow(const char* className, DWORD pid, DWORD timeoutMs, bool visibleOnly) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const auto ws = TopWindows(className, pid, visibleOnly);
        found = ws.empty() ? nullptr : ws.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool WaitForWindowGone(HWND w, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(w); }, timeoutMs);
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  if (!parent) return out;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&out));
  return out;
}

HWND FindChildByClass(HWND parent, const char* className, int index) {
  int seen = 0;
  for (HWND w : Children(parent)) {
    if (EqualsNoCase(ClassName(w), className) && seen++ == index) return w;
  }
  return nullptr;
}

HWND FindChildById(HWND parent, int id) {
  if (!parent) return nullptr;
  if (HWND direct = GetDlgItem(parent, id)) return direct;
  for (HWND w : Children(parent)) {
    if (GetDlgCtrlID(w) == id) return w;
  }
  return nullptr;
}

std::string WindowText(HWND w) {
  if (!w || !IsWindow(w)) return {};
  bool ok = false;
  const LRESULT len = SendWait(w, WM_GETTEXTLENGTH, 0, 0, &ok);
  if (ok) {
    std::vector<char> buffer(static_cast<size_t>(std::max<LRESULT>(len, 0)) + 1, '\0');
    DWORD_PTR got = 0;
    if (SendMessageTimeoutA(w, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                            SMTO_ABORTIFHUNG, kSendTimeoutMs, &got)) {
      buffer.back() = '\0';
      return std::string(buffer.data());
    }
  }
  char buffer[4096] = {};
  GetWindowTextA(w, buffer, sizeof buffer);
  return buffer;
}

std::wstring WindowTextW(HWND w) {
  if (!w || !IsWindow(w)) return {};
  DWORD_PTR len = 0;
  if (SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &len)) {
    std::vector<wchar_t> buffer(static_cast<size_t>(len) + 1, L'\0');
    DWORD_PTR got = 0;
    if (SendMessageTimeoutW(w, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                            SMTO_ABORTIFHUNG, kSendTimeoutMs, &got)) {
      buffer.back() = L'\0';
      return std::wstring(buffer.data());
    }
  }
  wchar_t buffer[4096] = {};
  GetWindowTextW(w, buffer, 4096);
  return buffer;
}

RECT WindowRectOnScreen(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

RECT ClientRect(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return r;
}

// ---------------------------------------------------------------------------------------------
// Message boxes

namespace {
constexpr int kMessageBoxTextId = 0xFFFF;

bool LooksLikeMessageBox(HWND dlg) {
  bool hasText = false, hasButton = false;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const std::string cls = ClassName(c);
    if (EqualsNoCase(cls, "Button")) {
      hasButton = true;
    } else if (EqualsNoCase(cls, "Static")) {
      if ((GetDlgCtrlID(c) & 0xFFFF) == kMessageBoxTextId) hasText = true;
    } else {
      return false;
    }
  }
  return hasText && hasButton;
}
}  // namespace

std::vector<HWND> MessageBoxes(const std::string& caption, DWORD pid, bool visibleOnly) {
  std::vector<HWND> out;
  for (HWND w : TopWindows("#32770", pid, visibleOnly)) {
    if (WindowText(w) == caption && LooksLikeMessageBox(w)) out.push_back(w);
  }
  return out;
}

std::string MessageBoxText(HWND dlg) { return WindowText(GetDlgItem(dlg, kMessageBoxTextId)); }

std::wstring MessageBoxTextW(HWND dlg) { return WindowTextW(GetDlgItem(dlg, kMessageBoxTextId)); }

std::optional<MessageBoxInfo> WaitForMessageBox(const std::string& caption, DWORD timeoutMs, DWORD pid) {
  HWND found = nullptr;
  if (!WaitUntil(
          [&] {
            const auto boxes = MessageBoxes(caption, pid, true);
            found = boxes.empty() ? nullptr : boxes.front();
            return found != nullptr;
          },
          timeoutMs))
    return std::nullopt;
  MessageBoxInfo info;
  info.hwnd = found;
  info.caption = WindowText(found);
  info.text = MessageBoxText(found);
  return info;
}

bool NoMessageBox(const std::string& caption, DWORD forMs, DWORD pid) {
  return !WaitUntil([&] { return !MessageBoxes(caption, pid, false).empty(); }, forMs);
}

void AnswerMessageBox(HWND dlg, int buttonId) {
  if (!dlg || !IsWindow(dlg)) return;
  HWND button = GetDlgItem(dlg, buttonId);
  if (button) {
    // BM_CLICK makes the dialog end itself; SendMessageTimeout so that a dialog that starts
    // something long from the click cannot block the test.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    if (WaitForWindowGone(dlg, 2000)) return;
  }
  if (IsWindow(dlg)) {
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    WaitForWindowGone(dlg, 10000);
  }
}

// ---------------------------------------------------------------------------------------------
// List views

int ListViewCount(HWND lv) { return static_cast<int>(SendWait(lv, LVM_GETITEMCOUNT, 0, 0)); }

std::string ListViewText(HWND lv, int item, int subItem) {
  return RemoteText<char, LVITEMA>(lv, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                                   [&](LVITEMA& it) { it.iSubItem = subItem; });
}

std::wstring ListViewTextW(HWND lv, int item, int subItem) {
  return RemoteText<wchar_t, LVITEMW>(lv, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                                      [&](LVITEMW& it) { it.iSubItem = subItem; });
}

std::vector<std::string> ListViewColumn(HWND lv, int subItem) {
  std::vector<std::string> out;
  const int n = ListViewCount(lv);
  out.reserve(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) out.push_back(ListViewText(lv, i, subItem));
  return out;
}

int ListViewSelected(HWND lv) {
  bool ok = false;
  const LRESULT r = SendWait(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0), &ok);
  return ok ? static_cast<int>(r) : -1;
}

std::vector<int> ListViewSelection(HWND lv) {
  std::vector<int> out;
  int i = -1;
  for (;;) {
    bool ok = false;
    const int next = static_cast<int>(SendWait(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(i), MAKELPARAM(LVNI_SELECTED, 0), &ok));
    if (!ok || next < 0 || next <= i) break;
    out.push_back(next);
    i = next;
  }
  return out;
}

bool ListViewSelect(HWND lv, int item) {
  RemoteMemory mem(lv, sizeof(LVITEMA));
  if (!mem.ok()) return false;
  LVITEMA it{};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = 0;
  if (!mem.write(0, &it, sizeof it)) return false;
  SendWait(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), mem.lparam());  // clear all
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!mem.write(0, &it, sizeof it)) return false;
  SendWait(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(item), mem.lparam());
  SendWait(lv, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
  const LRESULT state = SendWait(lv, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED);
  return (state & LVIS_SELECTED) != 0;
}

std::string ListViewColumnTitle(HWND lv, int col) {
  return RemoteText<char, LVCOLUMNA>(lv, LVM_GETCOLUMNA, static_cast<WPARAM>(col),
                                     [](LVCOLUMNA& c) { c.mask = LVCF_TEXT; });
}

int ListViewColumnWidth(HWND lv, int col) {
  return static_cast<int>(SendWait(lv, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(col), 0));
}

int ListViewColumnCount(HWND lv) {
  HWND header = reinterpret_cast<HWND>(SendWait(lv, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendWait(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

RECT ListViewItemRect(HWND lv, int item, int code) {
  RECT r{};
  RemoteMemory mem(lv, sizeof(RECT));
  if (!mem.ok()) return r;
  RECT in{};
  in.left = code;
  if (!mem.write(0, &in, sizeof in)) return r;
  if (!SendWait(lv, LVM_GETITEMRECT, static_cast<WPARAM>(item), mem.lparam())) return r;
  mem.read(0, &r, sizeof r);
  return r;
}

RECT ToolbarItemRect(HWND toolbar, int index) {
  RECT r{};
  RemoteMemory mem(toolbar, sizeof(RECT));
  if (!mem.ok() || !SendWait(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), mem.lparam())) return r;
  mem.read(0, &r, sizeof r);
  return r;
}

// ---------------------------------------------------------------------------------------------
// Input

void MouseTo(int x, int y) {
  SetCursorPos(x, y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

void MouseButton(bool down) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
}

void ClickOnScreen(POINT p) {
  MouseTo(p.x, p.y);
  MouseButton(true);
  MouseButton(false);
}

void CtrlKey(WORD vk) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  for (auto [key, up] : {std::pair{WORD{VK_CONTROL}, false}, {vk, false}, {vk, true}, {WORD{VK_CONTROL}, true}}) {
    in.ki.wVk = key;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
  }
}

void PostClick(HWND w, int x, int y, bool right) {
  const LPARAM pos = MAKELPARAM(x, y);
  PostMessageA(w, WM_MOUSEMOVE, 0, pos);
  if (right) {
    PostMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON, pos);
    PostMessageA(w, WM_RBUTTONUP, 0, pos);
  } else {
    PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, pos);
    PostMessageA(w, WM_LBUTTONUP, 0, pos);
  }
}

void PostDoubleClick(HWND w, int x, int y) {
  const LPARAM pos = MAKELPARAM(x, y);
  PostMessageA(w, WM_MOUSEMOVE, 0, pos);
  PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, pos);
  PostMessageA(w, WM_LBUTTONUP, 0, pos);
  PostMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, pos);
  PostMessageA(w, WM_LBUTTONUP, 0, pos);
}

namespace {
LPARAM KeyLParam(UINT vk, bool up) {
  const UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) & 0xFF;
  bool extended = false;
  switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
    case VK_INSERT: case VK_DELETE: case VK_DIVIDE: case VK_NUMLOCK:
    case VK_RCONTROL: case VK_RMENU: case VK_LWIN: case VK_RWIN: case VK_APPS:
      extended = true;
      break;
    default:
      break;
  }
  LPARAM lp = 1 | (static_cast<LPARAM>(scan) << 16);
  if (extended) lp |= 1L << 24;
  if (up) lp |= (1L << 30) | (1UL << 31);
  return lp;
}
}  // namespace

void PostKey(HWND w, UINT vk) {
  PostMessageA(w, WM_KEYDOWN, vk, KeyLParam(vk, false));
  PostMessageA(w, WM_KEYUP, vk, KeyLParam(vk, true));
}

void PostChar(HWND w, char c) {
  const UINT ch = static_cast<unsigned char>(c);
  const SHORT vks = VkKeyScanA(c);
  const UINT scan = vks == -1 ? 0 : (MapVirtualKeyA(vks & 0xFF, MAPVK_VK_TO_VSC) & 0xFF);
  PostMessageA(w, WM_CHAR, ch, 1 | (static_cast<LPARAM>(scan) << 16));
}

void PostCommand(HWND w, int id) { PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void PostClose(HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); }

HWND WaitForPopupMenu(DWORD timeoutMs, DWORD pid) { return WaitForWindow("#32768", pid, timeoutMs, true); }

void MenuKeys(HWND menu, const std::vector<UINT>& vks) {
  for (UINT vk : vks) PostMessageA(menu, WM_KEYDOWN, vk, KeyLParam(vk, false));
}

void MenuChar(HWND menu, char mnemonic) { PostChar(menu, mnemonic); }

// ---------------------------------------------------------------------------------------------
// Global atoms

namespace {
constexpr int kAtomSafetyLimit = 100000;  // pinned or integer atoms never go away
}

bool AtomExists(const std::string& name) { return GlobalFindAtomA(name.c_str()) != 0; }

int AtomRefCount(const std::string& name) {
  int count = 0;
  while (count < kAtomSafetyLimit) {
    const ATOM a = GlobalFindAtomA(name.c_str());
    if (!a) break;
    SetLastError(ERROR_SUCCESS);
    if (GlobalDeleteAtom(a) != 0) break;  // failed to delete
    ++count;
  }
  for (int i = 0; i < count; ++i) GlobalAddAtomA(name.c_str());
  return count;
}

void DeleteAtomCompletely(const std::string& name) {
  for (int i = 0; i < kAtomSafetyLimit; ++i) {
    const ATOM a = GlobalFindAtomA(name.c_str());
    if (!a || GlobalDeleteAtom(a) != 0) break;
  }
}

int ClearAtomsWithPrefix(const std::string& prefix) {
  int removed = 0;
  char buffer[256];
  for (UINT value = 0xC000; value <= 0xFFFF; ++value) {
    const ATOM a = static_cast<ATOM>(value);
    const UINT n = GlobalGetAtomNameA(a, buffer, sizeof buffer);
    if (n == 0) continue;
    const std::string name(buffer, n);
    if (!StartsWithNoCase(name, prefix)) continue;
    for (int i = 0; i < kAtomSafetyLimit; ++i) {
      const UINT m = GlobalGetAtomNameA(a, buffer, sizeof buffer);
      if (m == 0 || std::string(buffer, m) != name) break;
      if (GlobalDeleteAtom(a) != 0) break;
    }
    ++removed;
  }
  return removed;
}

// ---------------------------------------------------------------------------------------------
// Screen

bool SaveScreenshotBmp(const std::string& bmpPath, HWND window) {
  RECT r{};
  if (window) {
    if (!GetWindowRect(window, &r)) return false;
  } else {
    r.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    r.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    r.right = r.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    r.bottom = r.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  }
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;

  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;  // bottom-up, as stored in the file
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (mem && dib && bits) {
    HGDIOBJ old = SelectObject(mem, dib);
    ok = BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    SelectObject(mem, old);
  }
  if (ok) {
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + imageSize;
    BITMAPINFOHEADER ih = bi.bmiHeader;
    ih.biSizeImage = imageSize;
    ok = false;
    if (FILE* f = std::fopen(bmpPath.c_str(), "wb")) {
      ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&ih, sizeof ih, 1, f) == 1 &&
           std::fwrite(bits, 1, imageSize, f) == imageSize;
      ok = (std::fclose(f) == 0) && ok;
    }
  }
  if (dib) DeleteObject(dib);
  if (mem) DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  if (!screen) return CLR_INVALID;
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

std::vector<COLORREF> ScreenPixels(const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  std::vector<COLORREF> pixels;
  if (width <= 0 || height <= 0) return pixels;
  HDC screen = GetDC(nullptr);
  if (!screen) return pixels;
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (mem && dib && bits) {
    HGDIOBJ old = SelectObject(mem, dib);
    if (BitBlt(mem, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT)) {
      GdiFlush();
      const auto* p = static_cast<const DWORD*>(bits);
      // 0x00RRGGBB in the bitmap, 0x00BBGGRR as a COLORREF.
      for (int i = 0; i < width * height; ++i) pixels.push_back(RGB(p[i] >> 16 & 0xFF, p[i] >> 8 & 0xFF, p[i] & 0xFF));
    }
    SelectObject(mem, old);
  }
  if (dib) DeleteObject(dib);
  if (mem) DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return pixels;
}

int WindowAlpha(HWND w) {
  if (!w || !(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_LAYERED)) return -1;
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(w, &key, &alpha, &flags)) return -1;
  return (flags & LWA_ALPHA) ? alpha : 255;
}

bool PostDropFiles(HWND target, const std::vector<std::string>& files, POINT at) {
  std::string list;
  for (auto& f : files) list += f + '\0';
  list += '\0';
  std::string block(sizeof(DROPFILES), '\0');
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.pt = at;
  std::memcpy(block.data(), &header, sizeof header);
  block += list;
  DWORD pid = WindowPid(target);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  bool ok = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
  CloseHandle(process);
  return ok && PostMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}


}  // namespace e2e
