#include "kit/window.h"

#include <exception>
#include <set>
#include <vector>

#include "core/texts.h"
#include "kit/controls.h"
#include "kit/dpi.h"
#include "platform/kest_error.h"

namespace kest {

MsgBox* Window::errorReporter_ = nullptr;

Window::~Window() {
  FreeKeys();
  if (hwnd_ && IsWindow(hwnd_)) {
    // The object is going: the window must not call back into it while it is destroyed.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Window::ReportUncaught(HWND owner, const std::string& text) {
  if (errorReporter_) errorReporter_->ask(owner, text, text::kCaption, MbButtons::Ok, MbIcon::Error);
}

void Window::SetKeys(std::span<const KeyBinding> keys) {
  std::vector<ACCEL> table;
  for (const KeyBinding& k : keys)
    table.push_back(ACCEL{static_cast<BYTE>(FVIRTKEY | ((k.modifiers & kCtrl) ? FCONTROL : 0) |
                                            ((k.modifiers & kShift) ? FSHIFT : 0) | ((k.modifiers & kAlt) ? FALT : 0)),
                          static_cast<WORD>(k.key), static_cast<WORD>(k.command)});
  FreeKeys();
  keys_ = CreateAcceleratorTableA(table.data(), static_cast<int>(table.size()));
  if (keys_) SetPropA(hwnd_, kKeysProperty, keys_);
}

void Window::FreeKeys() {
  if (!keys_) return;
  if (hwnd_ && IsWindow(hwnd_)) RemovePropA(hwnd_, kKeysProperty);
  DestroyAcceleratorTable(keys_);
  keys_ = nullptr;
}

namespace {

// Enter presses the focused push button (also a flat one) of the window, as in a dialog.
bool PressFocusedButton(HWND window) {
  HWND focus = GetFocus();
  if (!focus || !IsChild(window, focus)) return false;
  char cls[16] = {};
  GetClassNameA(focus, cls, sizeof cls);
  const LONG type = GetWindowLongA(focus, GWL_STYLE) & BS_TYPEMASK;
  if (lstrcmpiA(cls, "Button") != 0 || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW))
    return false;
  SendMessageA(focus, BM_CLICK, 0, 0);
  return true;
}

}  // namespace

bool Window::CreatePageAt(const WindowClass& cls, DWORD style, HWND parent, const RECT& area, int dpi) {
  RECT r = ScaledRect(area.left, area.top, area.right - area.left, area.bottom - area.top, dpi);
  return CreateWindowFor(cls, WS_EX_CONTROLPARENT, "", WS_CHILD | style, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, parent) != nullptr;
}

HWND Window::CreateWindowFor(const WindowClass& cls, DWORD exStyle, const char* title, DWORD style,
                             int x, int y, int width, int height, HWND owner) {
  static std::set<std::string> registered;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (registered.insert(cls.name).second) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = cls.style;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = cls.background;
    wc.lpszClassName = cls.name;
    RegisterClassExA(&wc);
  }
  return CreateWindowExA(exStyle, cls.name, title, style, x, y, width, height, owner, nullptr,
                         instance, this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_COMMAND:
      // The dialog keys of the control-parent style; no control of these windows has their ids.
      if ((wParam == IDCANCEL || wParam == IDOK) && !GetDlgItem(hwnd_, static_cast<int>(wParam))) {
        if (wParam == IDCANCEL) OnEscapeKey();
        else if (!PressFocusedButton(hwnd_)) OnEnterKey();
        return 0;
      }
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_MEASUREITEM:
      if (OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (OnDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      try {
        OnPaint(dc);
      } catch (...) {
        EndPaint(hwnd_, &ps);
        throw;
      }
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CLOSE:
      if (OnClose()) return 0;
      if (inModal_) {
        EndModal(IDCANCEL);
        return 0;
      }
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_MENUCHAR:
      // Typed letters in the window's pop-up menus; the system menu keeps the system's.
      if (!(HIWORD(wParam) & MF_SYSMENU)) return AnswerMenuChar(hwnd_, wParam, reinterpret_cast<HMENU>(lParam));
      break;
    case WM_ACTIVATE:
      // Wine may leave the disabled owner above a modal window once a box or dialog of the
      // window has closed: the window then looks on top but the owner gets the clicks.
      if (inModal_ && LOWORD(wParam) != WA_INACTIVE)
        SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    default:
      if (message == MenuCharSelectMessage() && message != 0) {
        FinishMenuCharSelect(hwnd_, wParam, lParam);
        return 0;
      }
      break;
  }
  return Default(message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& e) {
    ReportUncaught(hwnd, ErrorText(e));
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    self->FreeKeys();
    try {
      self->OnFinalDestroy();
    } catch (const std::exception& e) {
      ReportUncaught(nullptr, ErrorText(e));
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace kest
