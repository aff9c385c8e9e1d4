#pragma once
// NoteWindow: the per-target note window. It lives, hidden until asked for, for the whole run, and
// follows the current target while it is on the screen.
#include <optional>
#include <string>

#include "state/app_context.h"
#include "state/window_roles.h"
#include "platform/win32/handles.h"
#include "kit/frameless.h"
#include "kit/subclass.h"
#include "window_rules/notes.h"

namespace kest {

inline constexpr const char* kNoteWindowClass = "TfKFS";

class NoteWindow final : public FramelessWindow, public NotePane, public CurrentTargetObserver {
 public:
  explicit NoteWindow(AppContext& ctx);
  ~NoteWindow() override;
  bool Create(HWND owner);

  // NotePane. Every route off the screen saves the note first.
  bool IsShown() const override { return hwnd() && IsWindowVisible(hwnd()); }
  void Toggle() override;
  void Hide() override;
  void Destroy() override;
  bool SaveForExit(bool askOnFailure) override;
  void SchemeApplied() override { SetColors(); }
  void StayOnTopChanged() override;
  void SessionEnding() override;

  // CurrentTargetObserver.
  void CurrentTargetChanging(const std::string& from, const std::string& to) override;
  void CurrentTargetChanged(const std::string& from, const std::string& to) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate() override;
  void OnSize(int width, int height) override;
  void OnCommand(int id, int code, HWND control) override;
  void OnPaint(HDC dc) override;
  bool OnClose() override;
  void OnDestroy() override;
  void OnFinalDestroy() override;
  Strip StripAt(POINT client) const override;
  std::optional<RECT> GripRect() const override;
  void OnGripResized() override;
  void OnDpiChanged() override;
  HFONT ButtonFont(int) const override { return font_.get(); }

  void Follow(NoteEvent event);
  // The current target's note into the editor; a failure is reported and the editor keeps
  // its text and its file.
  void LoadNote();
  // The editor's text as RTF into the file it was read from, unless it is unchanged or the
  // note could not be read; false (reported when asked) when refused. A note changed on the
  // disk since it was read is saved over only when the user says so (mayAsk), never otherwise.
  bool SaveNote(bool report, bool mayAsk = true);
  std::string NoteRtf() const;
  void LeaveUnreadableNote(const std::string& file, const std::string& why);
  void SetUnreadable(bool unreadable);
  void WritePlace();
  void Report(const std::string& text);
  void ClearEditor();
  // The editor's font and colour for the scope (SCF_DEFAULT, SCF_ALL); the colour alone when
  // withFont is false.
  void ApplyEditorFormat(DWORD scope, bool withFont);

  // The rich edit control: made when the window is first shown or the program is first idle,
  // as its library is the largest the program loads.
  void MakeEditor();
  void SetColors();
  void WantRepaint() { SetColors(); }
  void CloseClick();
  void CopyClick();
  void PasteClick();
  void SelectAllClick();
  void ClearClick();
  void ChooseFontClick();
  void Run(NoteCommand command);
  LRESULT EditorMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void ShowEditorMenu(POINT screen);
  void DrawBarButton(const DRAWITEMSTRUCT& item) const;

  AppContext& ctx_;
  win32::OwnedFont font_;  // caption and "X"
  HWND richEdit_ = nullptr;
  Subclass editor_;
  win32::OwnedMenu editorMenu_;
  LOGFONTA editorFont_{};
  COLORREF editorColour_ = RGB(255, 255, 255);
  // The file the editor's text was read from and is saved to.
  std::string noteFile_;
  // The save before a target change failed: the text stays, with its own file, until it can go.
  bool keepText_ = false;
  // The RTF of the text as last read or saved: an unchanged note is not written again.
  std::string savedText_;
  // The note file as it was read or last saved here (nothing: there was none).
  std::optional<FileStamp> noteStamp_;
  // The current note could not be read: it is never written over.
  bool unreadable_ = false;
  // Saved (or given up by the user) on the way out: nothing more is saved.
  bool exitSaved_ = false;
};

}  // namespace kest
