#pragma once
// The message loops: the program's own, and the modal runner.
#include <windows.h>

#include <functional>

#include "kit/window.h"

namespace kest {

// Gets and dispatches messages until keepGoing says no or the quit message arrives; a window's
// keys (Window::SetKeys) come first, then Tab and the dialog keys in windows with the
// control-parent style. False after WM_QUIT (whose exit code is then in quitCode).
bool PumpMessages(const std::function<bool()>& keepGoing, int* quitCode = nullptr);
// What the loop does with a message before it is dispatched: true when a window's keys or the
// dialog keys took it.
bool TakeKeys(MSG& msg);

// Shows the window modally: the owner is disabled, a nested loop runs until the window ends
// its modal state (EndModal, or a close request) or is gone, and the owner is enabled again
// before the window is destroyed. A quit message that arrives meanwhile is posted again for
// the outer loop. Returns the window's result.
int RunModal(Window& window, HWND owner);

}  // namespace kest
