#include "platform/win32/message_box.h"

#include <windows.h>

#include "platform/win32/text_encoding.h"

namespace kest::win32 {

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

}  // namespace kest::win32
