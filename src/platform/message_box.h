#pragma once
#include <string>

#include "platform/types.h"

namespace kest {

// Values are those of the MB_ and ID constants of the Windows API.
enum class MbButtons : unsigned { Ok = 0x0, OkCancel = 0x1, YesNoCancel = 0x3, YesNo = 0x4, YesNoDefaultNo = 0x104 };
enum class MbIcon : unsigned { None = 0x0, Error = 0x10, Question = 0x20, Warning = 0x30, Information = 0x40 };
enum class MbAnswer : int { None = 0, Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// Every message box of the program goes through this one call.
class MsgBox {
 public:
  virtual ~MsgBox() = default;
  // Texts are in the ANSI code page, except when utf8 is set: then they are UTF-8 and shown
  // through the wide API, so that non-Latin texts read correctly on any system.
  virtual MbAnswer ask(WindowHandle owner, const std::string& text, const std::string& caption,
                       MbButtons buttons, MbIcon icon, bool utf8 = false) = 0;
};

}  // namespace kest
