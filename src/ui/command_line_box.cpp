#include "ui/command_line_box.h"

#include "catalog/launch.h"

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

void CommandLineBox::Edit(const std::string& commandLine) {
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
  if (message == WM_KEYDOWN && edCLKeyDown(wParam)) return 0;
  if (message == WM_CHAR && wParam == '\r') return 0;  // no beep for the Enter just handled
  if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
  return subclass_.Default(message, wParam, lParam);
}

bool CommandLineBox::edCLKeyDown(WPARAM key) {
  if (key != VK_RETURN) return false;
  char text[1024] = {};
  GetWindowTextA(edit_, text, sizeof text);
  if (text[0] != '\0') {
    ctx_.processes.winExec(text, kSwShowNormal);
    SetWindowTextA(edit_, "");
    if (ran_) ran_();
  }
  ShowWindow(edit_, SW_HIDE);
  ctx_.state.commandLineEditing = false;
  return true;
}

}  // namespace kest
