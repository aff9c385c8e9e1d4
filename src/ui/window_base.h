#pragma once
// Base of every window class: a static window procedure finds the C++ object through
// GWLP_USERDATA and forwards to it; an error a handler leaves uncaught is shown in a message
// box and the rest of that handler is abandoned.
#include <windows.h>

#include <string>

#include "platform/message_box.h"

namespace kest {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }

  // The message box through which uncaught errors are shown.
  static void SetErrorReporter(MsgBox* box) { errorReporter_ = box; }
  // The general error handler: the text of an uncaught error in a message box.
  static void ReportUncaught(HWND owner, const std::string& text);

 protected:
  static void RegisterWindowClass(const char* className, UINT style = CS_DBLCLKS,
                                  HBRUSH background = nullptr);
  // Creates the window with this object as its creation parameter.
  HWND CreateWindowFor(DWORD exStyle, const char* className, const char* title, DWORD style,
                       int x, int y, int width, int height, HWND owner);
  // Handlers override this; unhandled messages go to DefWindowProcA.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
  // Called after WM_NCDESTROY, when the handle is gone.
  virtual void OnFinalDestroy() {}

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  static MsgBox* errorReporter_;
};

}  // namespace kest
