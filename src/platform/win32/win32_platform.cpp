#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <vector>

#include "platform/paths.h"
#include "platform/types.h"

namespace kest::win32 {

namespace {
// A read returns at most this many characters.
constexpr DWORD kProfileValueMax = 2047;
}  // namespace

std::string ProfileSettingsStore::get(const std::string& file, const std::string& section,
                                      const std::string& key, const std::string& def) {
  std::vector<char> buffer(kProfileValueMax + 1, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer.data(),
                                     static_cast<DWORD>(buffer.size()), file.c_str());
  return std::string(buffer.data(), n);
}

bool ProfileSettingsStore::put(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

bool ProfileSettingsStore::remove(const std::string& file, const std::string& section,
                                  const std::string& key) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str()) != FALSE;
}

AtomValue GlobalAtomTable::find(const std::string& name) { return GlobalFindAtomA(name.c_str()); }

AtomValue GlobalAtomTable::add(const std::string& name) { return GlobalAddAtomA(name.c_str()); }

void GlobalAtomTable::remove(AtomValue atom) { GlobalDeleteAtom(atom); }

std::optional<std::string> GlobalAtomTable::name(AtomValue atom, int maxChars) {
  std::vector<char> buffer(static_cast<std::size_t>(maxChars) + 1, '\0');
  UINT n = GlobalGetAtomNameA(atom, buffer.data(), maxChars);
  if (n == 0) return std::nullopt;
  return std::string(buffer.data(), n);
}

WindowHandle Win32WindowSystem::findByClass(const std::string& className) {
  return FindWindowA(className.c_str(), nullptr);
}

std::intptr_t Win32WindowSystem::send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
  return SendMessageA(static_cast<HWND>(window), message, wParam, lParam);
}

void Win32WindowSystem::bringToForeground(WindowHandle window) {
  SetForegroundWindow(static_cast<HWND>(window));
}

std::uint32_t Win32FileSystem::attributes(const std::string& path) {
  return GetFileAttributesA(path.c_str());
}

MbAnswer Win32MessageBox::ask(WindowHandle owner, const std::string& text, const std::string& caption,
                              MbButtons buttons, MbIcon icon, bool utf8) {
  UINT style = static_cast<UINT>(buttons) | static_cast<UINT>(icon);
  int answer;
  if (utf8) {
    answer = MessageBoxW(static_cast<HWND>(owner), Utf8ToWide(text).c_str(),
                         Utf8ToWide(caption).c_str(), style);
  } else {
    answer = MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
  }
  return static_cast<MbAnswer>(answer);
}

std::string ExecutablePath() {
  char buffer[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return std::string(buffer, n);
}

std::string ExecutableDirectory() { return paths::DirectoryOf(ExecutablePath()); }

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

}  // namespace kest::win32
