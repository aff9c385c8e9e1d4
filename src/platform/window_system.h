#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/types.h"

namespace kest {

// Top-level window search and messages to windows of other processes.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // A top-level window of this class, with any title; nullptr when none.
  virtual WindowHandle findByClass(const std::string& className) = 0;
  // Sends and waits at most timeoutMs for the answer; nothing when the window could not be
  // reached (gone, or Windows kept the message from it) or did not answer in time.
  virtual std::optional<std::intptr_t> send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                            std::intptr_t lParam, unsigned timeoutMs) = 0;
  // Whether the window is still there.
  virtual bool exists(WindowHandle window) = 0;
  virtual void bringToForeground(WindowHandle window) = 0;
  // The message registered under this name, sent and waited for a few seconds at most: a window
  // that hangs does not hold the sender up, and one that does not know the message passes it over.
  virtual void sendNamed(WindowHandle window, const std::string& messageName) = 0;
};

}  // namespace kest
