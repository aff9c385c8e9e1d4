#pragma once
// The system's message box.
#include "platform/message_box.h"

namespace kest::win32 {

class Win32MessageBox final : public MsgBox {
 public:
  MbAnswer ask(WindowHandle owner, const std::string& text, const std::string& caption,
               MbButtons buttons, MbIcon icon, bool utf8 = false) override;
};

}  // namespace kest::win32
