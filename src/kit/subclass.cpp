#include "kit/subclass.h"

#include <commctrl.h>

#include <exception>

#include "kit/window.h"
#include "platform/kest_error.h"

namespace kest {

void Subclass::Attach(HWND control, HWND errorOwner, Handler handler) {
  Detach();
  control_ = control;
  errorOwner_ = errorOwner;
  handler_ = std::move(handler);
  // The object's own address names the subclass: two objects on one control never take each
  // other's place, and Detach removes only its own.
  SetWindowSubclass(control_, &Subclass::Proc, Id(), reinterpret_cast<DWORD_PTR>(this));
}

void Subclass::Detach() {
  if (control_) RemoveWindowSubclass(control_, &Subclass::Proc, Id());
  control_ = nullptr;
}

LRESULT Subclass::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(control_, message, wParam, lParam);
}

LRESULT CALLBACK Subclass::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR data) {
  auto* self = reinterpret_cast<Subclass*>(data);
  if (message == WM_NCDESTROY) {
    // The control is going: give it back its own procedure before it ends.
    self->Detach();
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  try {
    return self->handler_(message, wParam, lParam);
  } catch (const std::exception& e) {
    Window::ReportUncaught(self->errorOwner_, ErrorText(e));
    return 0;
  }
}

}  // namespace kest
