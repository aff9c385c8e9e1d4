#include "windows/command_line_box.h"

#include "catalog/launch.h"
#include "kit/controls.h"

namespace kest {

void CommandLineBox::Create(HWND parent, int id, HFONT font, std::function<void()> ran) {
  ran_ = std::move(ran);
  edit_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL, 1, kMainDesignHeight - 42, 272, 19,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleA(nullptr), nullptr);
  SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  subclass_.Attach(edit_, parent, [this](UINT m, WPARAM w, LPARAM l) { return HandleMessage(m, w, l); });
}

void CommandLineBox::Place(const Box& box) { MoveWindow(edit_, box.x, box.y, box.width, box.height, TRUE); }

void CommandLineBox::Edit(const std::string& commandLine, const std::string& directory,
                          const LaunchServices& launching) {
  directory_ = directory;
  launching_.emplace(launching);
  // The box's own limit would cut a long command line short without a word.
  SendMessageA(edit_, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(edit_, commandLine.c_str());
  ShowWindow(edit_, SW_SHOW);
  SetFocus(edit_);
}

LRESULT CommandLineBox::Colors(HDC dc) {
  SetTextColor(dc, RGB(0, 0, 255));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

LRESULT CommandLineBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && RunOnEnter(wParam)) return 0;
  if (message == WM_CHAR && wParam == '\r') return 0;  // no beep for the Enter just handled
  if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
  return subclass_.Default(message, wParam, lParam);
}

bool CommandLineBox::RunOnEnter(WPARAM key) {
  if (key != VK_RETURN) return false;
  std::string text = WindowTextOf(edit_);
  if (!text.empty() && launching_) {
    // What did not run (reported) stays in the box, to be mended and run again.
    if (!RunEditedCommandLine(*launching_, text, directory_)) return true;
    SetWindowTextA(edit_, "");
    if (ran_) ran_();
  }
  ShowWindow(edit_, SW_HIDE);
  ctx_.state.commandLineEditing = false;
  return true;
}

}  // namespace kest
