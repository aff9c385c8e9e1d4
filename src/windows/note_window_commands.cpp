// The note window's colours and commands: its bar buttons, the editor's keys and pop-up menu,
// and the font dialog.
#include <richedit.h>
#include <commdlg.h>

#include "core/window_ids.h"
#include "platform/win32/text_encoding.h"
#include "window_rules/keys.h"
#include "windows/note_window.h"

namespace kest {

using namespace ids::note_window;

void NoteWindow::SetColors() {
  const ColorScheme& c = ctx_.state.colors;
  SetFrameColors(c);
  editorColour_ = c.font;
  if (!richEdit_) return;
  SendMessageA(richEdit_, EM_SETBKGNDCOLOR, 0, c.main);
  ApplyEditorFormat(SCF_DEFAULT, true);
  ApplyEditorFormat(SCF_ALL, false);
  InvalidateRect(richEdit_, nullptr, TRUE);
}

void NoteWindow::OnCommand(int id, int, HWND) {
  switch (id) {
    case closeButton:
      CloseClick();
      break;
    case copyButton:
      CopyClick();
      break;
    case pasteButton:
      PasteClick();
      break;
    case fontButton:
      ChooseFontClick();
      break;
    case clearButton:
      ClearClick();
      break;
    default:
      break;
  }
}

void NoteWindow::CloseClick() { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

bool NoteWindow::OnClose() {
  // Saved and hidden, never destroyed: the window lives until the program ends. A refused
  // save keeps it on the screen.
  Follow(NoteEvent::Close);
  return true;
}

// The bar's buttons give the keyboard back to the editor, whose selection they work on.
void NoteWindow::CopyClick() {
  SendMessageA(richEdit_, WM_COPY, 0, 0);
  SetFocus(richEdit_);
}

void NoteWindow::PasteClick() {
  SendMessageA(richEdit_, WM_PASTE, 0, 0);
  SetFocus(richEdit_);
}

void NoteWindow::SelectAllClick() {
  CHARRANGE all{0, -1};
  SendMessageA(richEdit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
  SetFocus(richEdit_);
}

void NoteWindow::ClearClick() {
  // Through the selection, so that the deletion can be undone.
  CHARRANGE all{0, -1};
  SendMessageA(richEdit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
  SendMessageA(richEdit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));
  SetFocus(richEdit_);
}

void NoteWindow::ChooseFontClick() {
  LOGFONTA lf = editorFont_;
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = hwnd();
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  cf.rgbColors = editorColour_;
  if (ChooseFontA(&cf)) {
    // For this run only: the next show takes the scheme's font colour again.
    editorFont_ = lf;
    editorColour_ = cf.rgbColors;
    ApplyEditorFormat(SCF_DEFAULT, true);
    ApplyEditorFormat(SCF_ALL, true);
  }
  SetFocus(richEdit_);
}

void NoteWindow::Run(NoteCommand command) {
  switch (command) {
    case NoteCommand::Copy:
      CopyClick();
      break;
    case NoteCommand::Paste:
      PasteClick();
      break;
    case NoteCommand::SelectAll:
      SelectAllClick();
      break;
    case NoteCommand::ClearAll:
      ClearClick();
      break;
    case NoteCommand::None:
      break;
  }
}

LRESULT NoteWindow::EditorMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // AltGr arrives as Ctrl+Alt: its characters are text, not shortcuts.
  bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) && !(GetKeyState(VK_MENU) & 0x8000);
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        // As "X": the note is saved and hidden, and the keys go back to the main window.
        OnClose();
        if (!IsShown()) SetForegroundWindow(GetWindow(hwnd(), GW_OWNER));
        return 0;
      }
      if (ctrl) {
        NoteCommand c = wParam == 'C'   ? NoteCommand::Copy
                        : wParam == 'V' ? NoteCommand::Paste
                        : wParam == 'A' ? NoteCommand::SelectAll
                                        : NoteCommand::None;
        if (c != NoteCommand::None) {
          Run(c);
          return 0;
        }
        // As in Windows' editors.
        if (wParam == 'D') {
          ChooseFontClick();
          return 0;
        }
      }
      break;
    case WM_CHAR:
      // The control characters of the shortcuts above are not text, nor is Escape's.
      if (ctrl && (wParam == 0x01 || wParam == 0x03 || wParam == 0x04 || wParam == 0x16)) return 0;
      if (wParam == 0x1B) return 0;
      break;
    case WM_CONTEXTMENU:
      ShowEditorMenu(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return 0;
    default:
      break;
  }
  return editor_.Default(message, wParam, lParam);
}

void NoteWindow::ShowEditorMenu(POINT screen) {
  if (screen.x == -1 && screen.y == -1) {  // from the keyboard: at the caret
    GetCaretPos(&screen);
    ClientToScreen(richEdit_, &screen);
  }
  int id = PickFromPopupMenu(hwnd(), editorMenu_.get(), screen);
  if (id >= menuBase) Run(static_cast<NoteCommand>(id - menuBase));
}

}  // namespace kest
