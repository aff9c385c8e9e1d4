#pragma once
// Base of every window class: the class is registered on first use, a static window procedure
// finds the C++ object through GWLP_USERDATA and calls its typed hooks, and an error a handler
// leaves uncaught is shown in a message box and the rest of that handler is abandoned.
#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string>

#include "platform/message_box.h"
#include "window_rules/keys.h"

namespace kest {

// The window property that holds a window's keys for the message loop.
inline constexpr const char* kKeysProperty = "Kest keys";

struct WindowClass {
  const char* name;
  UINT style = CS_DBLCLKS;
  HBRUSH background = nullptr;
};

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

  // Modal use (see RunModal): the window asks its loop to end; a close request does the same.
  void EndModal(int result) {
    modalResult_ = result;
    modalEnded_ = true;
  }

 protected:
  // Registers the class on its first use, then creates the window with this object as its
  // creation parameter.
  HWND CreateWindowFor(const WindowClass& cls, DWORD exStyle, const char* title, DWORD style, int x,
                       int y, int width, int height, HWND owner);
  // A child page at its area given at 96 DPI, scaled to the DPI.
  bool CreatePageAt(const WindowClass& cls, DWORD style, HWND parent, const RECT& area, int dpi);
  // The window's keys: the message loop translates them before the focused control sees them,
  // and each arrives as its command (WM_COMMAND from an accelerator, code 1).
  void SetKeys(std::span<const KeyBinding> keys);

  // The message switch; overrides handle their own messages and pass the rest on.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
  }

  // Typed hooks.
  virtual void OnCreate() {}
  virtual void OnSize(int /*width*/, int /*height*/) {}
  virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
  virtual LRESULT OnNotify(NMHDR& /*header*/) { return 0; }
  virtual bool OnMeasureItem(MEASUREITEMSTRUCT& /*item*/) { return false; }
  virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // Paints inside BeginPaint and EndPaint.
  virtual void OnPaint(HDC /*dc*/) {}
  // True when the close request was handled; otherwise the window is destroyed (a modal
  // window's loop is ended instead).
  virtual bool OnClose() { return false; }
  virtual void OnDestroy() {}
  // The dialog keys of a window with the control-parent style: Escape, and Enter when no push
  // button has the focus (Enter on one presses it).
  virtual void OnEscapeKey() {}
  virtual void OnEnterKey() {}
  // The last message of the window, while its handle is still valid: free what the window
  // made for itself here.
  virtual void OnFinalDestroy() {}

 private:
  friend int RunModal(Window& window, HWND owner);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  void FreeKeys();

  HWND hwnd_ = nullptr;
  HACCEL keys_ = nullptr;
  bool inModal_ = false;
  bool modalEnded_ = false;
  int modalResult_ = 0;
  static MsgBox* errorReporter_;
};

}  // namespace kest
