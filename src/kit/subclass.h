#pragma once
// A control's messages taken over for as long as this object lives (SetWindowSubclass), through
// the same general error handler as the windows' own messages.
#include <windows.h>

#include <functional>

namespace kest {

class Subclass {
 public:
  // Gets every message of the control; call Default for what it leaves to the control.
  using Handler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

  Subclass() = default;
  Subclass(const Subclass&) = delete;
  Subclass& operator=(const Subclass&) = delete;
  ~Subclass() { Detach(); }

  // errorOwner: the window that owns the message box of an uncaught error.
  void Attach(HWND control, HWND errorOwner, Handler handler);
  void Detach();
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  HWND control() const { return control_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR id, DWORD_PTR self);
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }
  HWND control_ = nullptr;
  HWND errorOwner_ = nullptr;
  Handler handler_;
};

}  // namespace kest
