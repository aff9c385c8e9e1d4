#pragma once
// Other processes' windows, found by class and sent messages.
#include "platform/window_system.h"

namespace kest::win32 {

class Win32WindowSystem final : public WindowSystem {
 public:
  WindowHandle findByClass(const std::string& className) override;
  std::optional<std::intptr_t> send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam, unsigned timeoutMs) override;
  bool exists(WindowHandle window) override;
  void bringToForeground(WindowHandle window) override;
  void sendNamed(WindowHandle window, const std::string& messageName) override;
};

}  // namespace kest::win32
