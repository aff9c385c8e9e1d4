#include "ui/fast_string_window.h"

#include "app/texts.h"
#include "app/window_messages.h"

namespace kest {

namespace {

constexpr WindowClass kFastStringClass{kFastStringWindowClass, CS_DBLCLKS, nullptr};
constexpr int kCaptionHeight = 13;
constexpr int kBarHeight = 20;
constexpr int sbExit = 300;

}  // namespace

TfKFS::TfKFS(AppContext& ctx) : FramelessWindow(SIZE{161, 120}), ctx_(ctx) {}

TfKFS::~TfKFS() {
  if (hwnd()) DestroyWindow(hwnd());
}

bool TfKFS::Create(HWND owner) {
  SettingsFile& s = ctx_.state.settings();
  int left = s.read(opt::KFSLeft);
  int top = s.read(opt::KFSTop);
  int width = s.read(opt::KFSWidth);
  int height = s.read(opt::KFSHeight);
  if (!CreateWindowFor(kFastStringClass, WS_EX_TOOLWINDOW | WS_EX_LAYERED, text::kFastStringCaption,
                       WS_POPUP | WS_CLIPCHILDREN, left, top, width, height, owner))
    return false;
  // Placed again once it snaps, so that the stored place is snapped like any other.
  SnapToEdges(true);
  SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (s.read(opt::KFSOpened)) ShowNotes();
  return true;
}

void TfKFS::OnCreate() {
  font_.reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Courier New"));
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  AddFlatButton(sbExit, "X", rc.right - 20, 1, 16, kCaptionHeight - 2, "Close editor");
  SetColors();
}

LRESULT TfKFS::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == msg::kWantRepaint) {
    SetColors();
    return 0;
  }
  if (message == WM_WINDOWPOSCHANGED && ctx_.state.stayOnTop &&
      !(GetWindowLongA(hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST))
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return FramelessWindow::HandleMessage(message, wParam, lParam);
}

void TfKFS::SetColors() {
  ctx_.state.LoadColors();
  SetFrameColors(ctx_.state.colors);
  SetOpacity(ctx_.state.opacity);
}

void TfKFS::ShowNotes() {
  SetColors();
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

void TfKFS::Toggle() {
  if (IsShown()) Hide();
  else ShowNotes();
}

void TfKFS::Hide() { ShowWindow(hwnd(), SW_HIDE); }

void TfKFS::Destroy() {
  if (hwnd()) DestroyWindow(hwnd());
}

void TfKFS::OnCommand(int id, int, HWND) {
  if (id == sbExit) sbExitClick();
}

void TfKFS::sbExitClick() { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

bool TfKFS::OnClose() {
  // The window is only hidden: it lives until the program ends.
  Hide();
  return true;
}

void TfKFS::OnDestroy() {
  RECT r{};
  GetWindowRect(hwnd(), &r);
  SettingsFile& s = ctx_.state.settings();
  s.write(opt::KFSLeft, r.left);
  s.write(opt::KFSTop, r.top);
  s.write(opt::KFSWidth, r.right - r.left);
  s.write(opt::KFSHeight, r.bottom - r.top);
}

FramelessWindow::Strip TfKFS::StripAt(POINT p) const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  if (p.y >= 1 && p.y < kCaptionHeight) return Strip::Title;
  if (p.y >= rc.bottom - kBarHeight && p.y < rc.bottom - 1) return Strip::Bar;
  return Strip::None;
}

std::optional<RECT> TfKFS::GripRect() const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  return RECT{rc.right - 22, rc.bottom - 11, rc.right, rc.bottom};
}

void TfKFS::OnGripResized() {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  MoveChild(sbExit, rc.right - 18, 1);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void TfKFS::OnPaint(HDC dc) {
  PaintFrame(dc);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  // The note's page, between the caption strip and the bar.
  RECT page{1, kCaptionHeight, rc.right - 1, rc.bottom - kBarHeight};
  win32::OwnedBrush brush(CreateSolidBrush(FrameColors().main));
  FillRect(dc, &page, brush.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, FrameColors().font);
  win32::ScopedSelect useFont(dc, font_.get());
  RECT caption{1, 1, rc.right - 21, kCaptionHeight};
  DrawTextA(dc, text::kFastStringCaption, -1, &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace kest
