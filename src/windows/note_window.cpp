#include "windows/note_window.h"

#include <richedit.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "core/texts.h"
#include "core/window_ids.h"
#include "platform/kest_error.h"
#include "platform/utf8.h"
#include "platform/win32/text_encoding.h"
#include "kit/accessible.h"
#include "kit/dpi.h"
#include "kit/pictures.h"
#include "window_rules/keys.h"
#include "window_rules/placement.h"
#include "windows/rich_edit_io.h"

namespace kest {

namespace {

constexpr WindowClass kNoteClass{kNoteWindowClass, CS_DBLCLKS, nullptr};
constexpr int kCaptionHeight = 13;
constexpr int kBarHeight = 20;
constexpr int kEditorPixels = 11;
using namespace ids::note_window;

struct BarButton {
  int id;
  const char* hint;
  NotePicture picture;
};
constexpr BarButton kBarButtons[] = {{copyButton, "Copy (Ctrl+C)", NotePicture::Copy},
                                     {pasteButton, "Paste (Ctrl+V)", NotePicture::Paste},
                                     {fontButton, "Choose font (Ctrl+D)", NotePicture::Font},
                                     {clearButton, "Clear all", NotePicture::Clear}};
constexpr int kBarButtonSize = 18;

// At 96 DPI.
int BarButtonLeft(std::size_t index) { return 2 + static_cast<int>(index) * (kBarButtonSize + 1); }


}  // namespace

NoteWindow::NoteWindow(AppContext& ctx) : FramelessWindow(SIZE{161, 120}), ctx_(ctx) {
  editorFont_.lfHeight = -kEditorPixels;
  editorFont_.lfWeight = FW_NORMAL;
  editorFont_.lfCharSet = DEFAULT_CHARSET;
  editorFont_.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpynA(editorFont_.lfFaceName, "Courier New", LF_FACESIZE);
}

NoteWindow::~NoteWindow() {
  ctx_.state.RemoveObserver(this);
  if (hwnd()) DestroyWindow(hwnd());
}

bool NoteWindow::Create(HWND owner) {
  SettingsFile& s = ctx_.state.settings();
  // The stored place is in 96-DPI units; the window is made at the system's DPI.
  Box place = StoredToPixels(
      Box{s.read(opt::KFSLeft), s.read(opt::KFSTop), s.read(opt::KFSWidth), s.read(opt::KFSHeight)}, SystemDpi());
  if (!CreateWindowFor(kNoteClass, WS_EX_TOOLWINDOW | WS_EX_LAYERED, text::kNoteWindowCaption,
                       WS_POPUP | WS_CLIPCHILDREN, place.x, place.y, place.width, place.height, owner))
    return false;
  // Placed again once it snaps, so that the stored place is snapped like any other.
  SnapToEdges(true);
  SetWindowPos(hwnd(), nullptr, place.x, place.y, place.width, place.height, SWP_NOZORDER | SWP_NOACTIVATE);
  noteFile_ = NoteFilePath(ctx_.dataDir, ctx_.state.currentTarget());
  ctx_.state.AddObserver(this);
  // Shown at once when it was open at the last exit; showing reads the note anyway.
  Follow(s.read(opt::KFSOpened) ? NoteEvent::Toggle : NoteEvent::Create);
  return true;
}

void NoteWindow::OnCreate() {
  font_.reset(MakeFont("Courier New", Scaled(-11)));
  editorFont_.lfHeight = -Scaled(kEditorPixels);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  const int caption = Scaled(kCaptionHeight), bar = Scaled(kBarHeight);
  AddFlatButton(closeButton, "X", rc.right - Scaled(20), 1, Scaled(16), caption - 2, "Close editor",
                KeyName(vk::kEscape, 0));
  for (std::size_t i = 0; i < std::size(kBarButtons); ++i)
    AddFlatButton(kBarButtons[i].id, "", Scaled(BarButtonLeft(i)), rc.bottom - bar + 1, Scaled(kBarButtonSize),
                  Scaled(kBarButtonSize), kBarButtons[i].hint);

  editorMenu_.reset(CreatePopupMenu());
  for (const NoteMenuEntry& e : kNoteMenu) {
    if (!e.caption) {
      AppendMenuW(editorMenu_.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string caption = std::string(e.caption) + (e.shortcut ? std::string("\t") + e.shortcut : "");
    AppendMenuW(editorMenu_.get(), MF_STRING, menuBase + static_cast<int>(e.command),
                win32::Utf8ToWide(caption).c_str());
  }
  SetColors();  // the frame's now, the editor's once it is made
  PostMessageA(hwnd(), msg::kMakeNoteEditor, 0, 0);
}

void NoteWindow::MakeEditor() {
  if (richEdit_ || !hwnd()) return;
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  const int caption = Scaled(kCaptionHeight), bar = Scaled(kBarHeight);
  richEdit_ = CreateWindowExA(0, RichEditClass(), "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                               1, caption, rc.right - 2, rc.bottom - caption - bar, hwnd(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(editor)),
                               GetModuleHandleA(nullptr), nullptr);
  // The control's own limit (32K characters) would cut a long note short on loading.
  SendMessageA(richEdit_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  // Its window text is the note itself.
  SetAccessibleName(richEdit_, "Note");
  editor_.Attach(richEdit_, hwnd(), [this](UINT m, WPARAM w, LPARAM l) { return EditorMessage(m, w, l); });
  // The default format first: left alone, it reads back bold under Wine.
  SetColors();
}

void NoteWindow::OnSize(int width, int height) {
  const int caption = Scaled(kCaptionHeight), bar = Scaled(kBarHeight);
  if (richEdit_) MoveWindow(richEdit_, 1, caption, width - 2, height - caption - bar, TRUE);
  for (std::size_t i = 0; i < std::size(kBarButtons); ++i)
    MoveChild(kBarButtons[i].id, Scaled(BarButtonLeft(i)), height - bar + 1);
}

void NoteWindow::OnDpiChanged() {
  font_.reset(MakeFont("Courier New", Scaled(-11)));
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  if (HWND close = GetDlgItem(hwnd(), closeButton))
    SetWindowPos(close, nullptr, rc.right - Scaled(18), 1, Scaled(16), Scaled(kCaptionHeight) - 2,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  for (const BarButton& b : kBarButtons)
    if (HWND button = GetDlgItem(hwnd(), b.id))
      SetWindowPos(button, nullptr, 0, 0, Scaled(kBarButtonSize), Scaled(kBarButtonSize),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  OnSize(rc.right, rc.bottom);
}

LRESULT NoteWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == msg::kMakeNoteEditor) {
    // What the start would have read into the hidden editor is read now.
    if (!richEdit_) {
      MakeEditor();
      if (richEdit_ && !IsShown()) LoadNote();
    }
    return 0;
  }
  if (message == msg::kSettingsApplied) {
    WantRepaint();
    return 0;
  }
  if (message == WM_SETFOCUS && richEdit_) {
    // Given to the window as it is activated (a click on its caption, say): the keys go to the
    // editor, the one control they are for.
    SetFocus(richEdit_);
    return 0;
  }
  if (message == WM_DRAWITEM) {
    auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (item.CtlType == ODT_BUTTON && item.CtlID != closeButton) {
      DrawBarButton(item);
      return TRUE;
    }
  }
  if (message == WM_WINDOWPOSCHANGED && ctx_.state.stayOnTop &&
      !(GetWindowLongA(hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST))
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return FramelessWindow::HandleMessage(message, wParam, lParam);
}

void NoteWindow::StayOnTopChanged() {
  // Its own moves keep it in the band while the option is on; off, it leaves the band at once.
  if (hwnd()) SetTopmostBand(hwnd(), ctx_.state.stayOnTop);
}

// ---- Notes ------------------------------------------------------------------------------------

void NoteWindow::Follow(NoteEvent event) {
  if (event == NoteEvent::TargetChanged && std::exchange(keepText_, false)) return;
  NoteSteps steps = StepsFor(event, IsShown());
  if (!richEdit_) {
    // The note read at start into the hidden editor is read once the editor is made.
    if (event == NoteEvent::Create) return;
    if (steps.save || steps.show || steps.load) MakeEditor();
    if (!richEdit_) return;
  }
  if (steps.save && !SaveNote(true)) {
    // The window stays as it is, text and all: the user has been told and may try again.
    keepText_ = event == NoteEvent::TargetChanging;
    return;
  }
  if (steps.show) {
    SetColors();
    SetOpacity(ctx_.state.opacity);
  }
  if (steps.load) LoadNote();
  if (steps.show) ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  if (steps.hide) ShowWindow(hwnd(), SW_HIDE);
}

void NoteWindow::CurrentTargetChanging(const std::string&, const std::string&) { Follow(NoteEvent::TargetChanging); }

void NoteWindow::CurrentTargetChanged(const std::string&, const std::string&) { Follow(NoteEvent::TargetChanged); }

void NoteWindow::Toggle() {
  Follow(NoteEvent::Toggle);
  // Asked for, the note takes the keys; one shown at start, as it was left, does not.
  if (!IsShown()) return;
  SetForegroundWindow(hwnd());
  SetFocus(richEdit_);
}

void NoteWindow::Hide() { Follow(NoteEvent::Minimise); }

bool NoteWindow::SaveForExit(bool askOnFailure) {
  if (exitSaved_ || !hwnd()) return true;
  if (StepsFor(NoteEvent::Exit, IsShown()).save && !SaveNote(false, askOnFailure)) {
    // The user decides: a Kest that cannot write beside itself must still be able to end.
    if (askOnFailure &&
        ctx_.box.ask(hwnd(), FileMessage(kCannotCreateFile, noteFile_) + "\r\n" + kQuitWithoutNote, text::kCaption,
                     MbButtons::YesNo, MbIcon::Warning) != MbAnswer::Yes)
      return false;
  }
  exitSaved_ = true;
  return true;
}

void NoteWindow::SessionEnding() {
  SaveForExit(false);
  WritePlace();
}

void NoteWindow::Destroy() {
  if (!hwnd()) return;
  if (!exitSaved_) Follow(NoteEvent::Exit);
  DestroyWindow(hwnd());
}

void NoteWindow::LoadNote() {
  std::string file = NoteFilePath(ctx_.dataDir, ctx_.state.currentTarget());
  if (!ctx_.fs.fileExists(file)) {
    ClearEditor();
    noteFile_ = file;
    noteStamp_.reset();
    SetUnreadable(false);
    savedText_ = NoteRtf();
    return;
  }
  const std::optional<FileStamp> stamp = ctx_.fs.fileStamp(file);
  std::optional<std::string> bytes = ctx_.fs.readFile(file);
  if (!bytes) {
    LeaveUnreadableNote(file, FileMessage(kCannotOpenFile, file));
    return;
  }
  bool plain = !StreamIn(richEdit_, *bytes, SF_RTF);
  // Plain text in UTF-8, or else in the system's own code page, as a note written before
  // Kest spoke UTF-8 is.
  const unsigned cp = utf8::IsValid(*bytes) ? CP_UTF8 : win32::LegacyAnsiCodePage();
  if (plain && !StreamIn(richEdit_, *bytes, SF_TEXT | SF_USECODEPAGE | (static_cast<WPARAM>(cp) << 16))) {
    LeaveUnreadableNote(file, kFailedToLoadStream);
    return;
  }
  noteFile_ = file;
  noteStamp_ = stamp;
  SetUnreadable(false);
  // Plain text has no font of its own; rich text keeps its fonts but is drawn in the scheme's
  // font colour, so no note is ever written in the colour of its background.
  ApplyEditorFormat(SCF_ALL, plain);
  SendMessageA(richEdit_, EM_SETSEL, 0, 0);
  SendMessageA(richEdit_, EM_EMPTYUNDOBUFFER, 0, 0);
  savedText_ = NoteRtf();
}

void NoteWindow::LeaveUnreadableNote(const std::string& file, const std::string& why) {
  // What was read, if anything, is not the whole note: showing it would invite saving it
  // over the rest. The editor stays empty and closed to typing until the note reads again.
  ClearEditor();
  noteFile_ = file;
  SetUnreadable(true);
  Report(why + "\r\n" + kNoteLeftAlone);
}

void NoteWindow::SetUnreadable(bool unreadable) {
  unreadable_ = unreadable;
  SendMessageA(richEdit_, EM_SETREADONLY, unreadable ? TRUE : FALSE, 0);
}

std::string NoteWindow::NoteRtf() const {
  // Written in the system's own code page, with every other character as a Unicode escape:
  // plain RTF that any reader and any Kest reads, where the process's UTF-8 would give the
  // rich edit's own "{\urtf".
  return StreamOut(richEdit_, SF_RTF | SF_USECODEPAGE | (static_cast<WPARAM>(win32::LegacyAnsiCodePage()) << 16));
}

bool NoteWindow::SaveNote(bool report, bool mayAsk) {
  if (unreadable_) return true;
  std::string text = NoteRtf();
  // Nothing typed since the note was read or saved: the file already holds it.
  if (text == savedText_) return true;
  // Another copy of Kest (or another program) wrote the note since it was read here: it is
  // not saved over unless the user says so; where nobody can be asked, it stays.
  if (ctx_.fs.fileStamp(noteFile_) != noteStamp_) {
    if (!mayAsk || ctx_.box.ask(hwnd(), FileMessage(kNoteChangedOnDisk, noteFile_), text::kCaptionConfirm,
                                MbButtons::YesNo, MbIcon::Question) != MbAnswer::Yes) {
      savedText_ = text;
      return true;
    }
  }
  if (!SaveNoteFile(ctx_.fs, noteFile_, text)) {
    if (report) Report(FileMessage(kCannotCreateFile, noteFile_));
    return false;
  }
  savedText_ = text;
  noteStamp_ = ctx_.fs.fileStamp(noteFile_);
  return true;
}

void NoteWindow::Report(const std::string& text) {
  ctx_.box.ask(hwnd(), text, text::kCaption, MbButtons::Ok, MbIcon::Error);
}

void NoteWindow::ClearEditor() {
  SetWindowTextA(richEdit_, "");
  ApplyEditorFormat(SCF_ALL, true);
  SendMessageA(richEdit_, EM_EMPTYUNDOBUFFER, 0, 0);
}

void NoteWindow::ApplyEditorFormat(DWORD scope, bool withFont) {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_COLOR;
  cf.crTextColor = editorColour_;
  if (withFont) {
    cf.dwMask |= CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    int pixels = editorFont_.lfHeight ? std::abs(editorFont_.lfHeight) : Scaled(kEditorPixels);
    cf.yHeight = MulDiv(pixels, 1440, Dpi());
    cf.dwEffects = (editorFont_.lfWeight >= FW_BOLD ? CFE_BOLD : 0) | (editorFont_.lfItalic ? CFE_ITALIC : 0) |
                   (editorFont_.lfUnderline ? CFE_UNDERLINE : 0) | (editorFont_.lfStrikeOut ? CFE_STRIKEOUT : 0);
    cf.bCharSet = editorFont_.lfCharSet;
    cf.bPitchAndFamily = editorFont_.lfPitchAndFamily;
    std::wstring face = win32::AnsiToWide(editorFont_.lfFaceName);
    lstrcpynW(cf.szFaceName, face.c_str(), LF_FACESIZE);
  }
  SendMessageW(richEdit_, EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&cf));
}

// ---- Frame ------------------------------------------------------------------------------------

void NoteWindow::OnDestroy() {
  ctx_.state.RemoveObserver(this);
  WritePlace();
}

void NoteWindow::WritePlace() {
  RECT r{};
  GetWindowRect(hwnd(), &r);
  SettingsFile& s = ctx_.state.settings();
  // Kest is ending: a refused write was already reported by the main window, or must not
  // hold up the end of the session.
  Box place = PixelsToStored(Box{r.left, r.top, r.right - r.left, r.bottom - r.top}, Dpi());
  try {
    SettingsFile::Batch batch(s);
    s.write(opt::KFSLeft, place.x);
    s.write(opt::KFSTop, place.y);
    s.write(opt::KFSWidth, place.width);
    s.write(opt::KFSHeight, place.height);
  } catch (const KestError&) {
  }
}

void NoteWindow::OnFinalDestroy() {
  richEdit_ = nullptr;
  editorMenu_.reset();
  font_.reset();
}

FramelessWindow::Strip NoteWindow::StripAt(POINT p) const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  if (p.y >= 1 && p.y < Scaled(kCaptionHeight)) return Strip::Title;
  if (p.y >= rc.bottom - Scaled(kBarHeight) && p.y < rc.bottom - 1) return Strip::Bar;
  return Strip::None;
}

std::optional<RECT> NoteWindow::GripRect() const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  return RECT{rc.right - Scaled(22), rc.bottom - Scaled(11), rc.right, rc.bottom};
}

void NoteWindow::OnGripResized() {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  MoveChild(closeButton, rc.right - Scaled(18), 1);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void NoteWindow::DrawBarButton(const DRAWITEMSTRUCT& item) const {
  bool pressed = (item.itemState & ODS_SELECTED) != 0;
  COLORREF bg = pressed ? FrameColors().font : FrameColors().caption;
  COLORREF fg = pressed ? FrameColors().caption : FrameColors().font;
  win32::OwnedBrush brush(CreateSolidBrush(bg));
  FillRect(item.hDC, &item.rcItem, brush.get());
  for (const BarButton& b : kBarButtons)
    if (static_cast<int>(item.CtlID) == b.id) DrawNotePicture(item.hDC, item.rcItem, b.picture, fg, bg, Dpi());
}

void NoteWindow::OnPaint(HDC dc) {
  PaintFrame(dc);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, FrameColors().font);
  win32::ScopedSelect useFont(dc, font_.get());
  RECT caption{1, 1, rc.right - Scaled(21), Scaled(kCaptionHeight)};
  DrawTextA(dc, text::kNoteWindowCaption, -1, &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace kest
