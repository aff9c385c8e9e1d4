#pragma once
// The clipboard, written as Unicode text.
#include "platform/clipboard.h"

namespace kest::win32 {

class Win32Clipboard final : public Clipboard {
 public:
  bool setText(WindowHandle owner, const std::string& text) override;
  std::uint32_t sequence() override;
};

}  // namespace kest::win32
