#include "kit/modal.h"

namespace kest {

bool TakeKeys(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (!root) return false;
  if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
    auto keys = static_cast<HACCEL>(GetPropA(root, kKeysProperty));
    if (keys && TranslateAcceleratorA(root, keys, &msg)) return true;
  }
  return (GetWindowLongA(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageA(root, &msg);
}

bool PumpMessages(const std::function<bool()>& keepGoing, int* quitCode) {
  MSG msg;
  while (keepGoing()) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      if (quitCode) *quitCode = static_cast<int>(msg.wParam);
      return false;
    }
    if (got < 0) return true;
    if (TakeKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

int RunModal(Window& window, HWND owner) {
  HWND w = window.hwnd();
  if (!w) return IDCANCEL;
  window.inModal_ = true;
  window.modalEnded_ = false;
  window.modalResult_ = IDCANCEL;
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(w, SW_SHOW);
  SetForegroundWindow(w);
  int quitCode = 0;
  bool quit = !PumpMessages([&] { return !window.modalEnded_ && window.hwnd() != nullptr; }, &quitCode);
  window.inModal_ = false;
  // The owner first, so that activation goes back to it and not to another program.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (window.hwnd()) DestroyWindow(window.hwnd());
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  if (quit) PostQuitMessage(quitCode);
  return window.modalResult_;
}

}  // namespace kest
