#pragma once
// TfKFS: the per-target note window. It lives, hidden until asked for, for the whole run.
#include "app/app_context.h"
#include "app/window_roles.h"
#include "platform/win32/handles.h"
#include "ui/kit/frameless.h"

namespace kest {

inline constexpr const char* kFastStringWindowClass = "TfKFS";

class TfKFS final : public FramelessWindow, public NotePane {
 public:
  explicit TfKFS(AppContext& ctx);
  ~TfKFS() override;
  bool Create(HWND owner);

  // NotePane.
  bool IsShown() const override { return hwnd() && IsWindowVisible(hwnd()); }
  void Toggle() override;
  void Hide() override;
  void Destroy() override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate() override;
  void OnCommand(int id, int code, HWND control) override;
  void OnPaint(HDC dc) override;
  bool OnClose() override;
  void OnDestroy() override;
  void OnFinalDestroy() override { font_.reset(); }
  Strip StripAt(POINT client) const override;
  std::optional<RECT> GripRect() const override;
  void OnGripResized() override;
  HFONT ButtonFont(int) const override { return font_.get(); }

  void ShowNotes();
  void SetColors();
  void sbExitClick();

  AppContext& ctx_;
  win32::OwnedFont font_;
};

}  // namespace kest
