#include "platform/win32/window_system.h"

#include <windows.h>

namespace kest::win32 {

WindowHandle Win32WindowSystem::findByClass(const std::string& className) {
  return FindWindowA(className.c_str(), nullptr);
}

std::optional<std::intptr_t> Win32WindowSystem::send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                                     std::intptr_t lParam, unsigned timeoutMs) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(static_cast<HWND>(window), message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer))
    return std::nullopt;
  return static_cast<std::intptr_t>(answer);
}

bool Win32WindowSystem::exists(WindowHandle window) { return IsWindow(static_cast<HWND>(window)) != FALSE; }

void Win32WindowSystem::bringToForeground(WindowHandle window) {
  SetForegroundWindow(static_cast<HWND>(window));
}

void Win32WindowSystem::sendNamed(WindowHandle window, const std::string& messageName) {
  const UINT message = RegisterWindowMessageA(messageName.c_str());
  DWORD_PTR answer = 0;
  if (message != 0)
    SendMessageTimeoutA(static_cast<HWND>(window), message, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
}

}  // namespace kest::win32
