#include "windows/about_panel.h"


#include <string>

#include "kest_version.h"
#include "platform/win32/handles.h"
#include "kit/frameless.h"
#include "kit/modal.h"
#include "core/window_ids.h"
#include "window_rules/keys.h"

namespace kest {

namespace {

constexpr WindowClass kAboutClass{kAboutPanelClass, CS_DBLCLKS, nullptr};
constexpr int kWidth = 257;
constexpr int kHeight = 145;
constexpr int kStripHeight = 18;
constexpr int kBarHeight = 20;
constexpr const char* kMailAddress = "kest@example.org";
constexpr const char* kAboutText =
    "Kest keeps a reverse engineer's tools at hand: the files being worked on in one list, the tools "
    "in a catalog of shortcuts, and one click runs a tool on the current target. Written by the Kest "
    "team in 2026. Thanks to everyone who tried the first builds and told us what broke.";

using namespace ids::about_panel;

class AboutPanel final : public FramelessWindow {
 public:
  AboutPanel(AppContext& ctx, MainHost& host) : FramelessWindow(SIZE{kWidth, kHeight}), ctx_(ctx), host_(host) {}
  ~AboutPanel() override {
    if (hwnd()) DestroyWindow(hwnd());
  }

  bool Create(HWND owner) {
    RECT r{};
    GetWindowRect(owner, &r);
    // Control-parent: Tab moves between its buttons, Escape closes it.
    return CreateWindowFor(kAboutClass, WS_EX_CONTROLPARENT | (ctx_.state.stayOnTop ? WS_EX_TOPMOST : 0), "About Kest",
                           WS_POPUP | WS_CLIPCHILDREN, r.left + 20, r.top + 20, kWidth, kHeight, owner) != nullptr;
  }

 private:
  void OnCreate() override {
    // Made at its 96-DPI size; its DPI is known only now.
    SetWindowPos(hwnd(), nullptr, 0, 0, Scaled(kWidth), Scaled(kHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CreateParts();
    // "Ок", whatever the system's code page.
    SetWindowTextW(GetDlgItem(hwnd(), okButton), L"\x041E\x043A");
  }

  void CreateParts() {
    font_.reset(MakeFont("Courier New", Scaled(-11)));
    // The frame stays black; the text takes the scheme.
    ColorScheme frame = ctx_.state.colors;
    frame.caption = RGB(0, 0, 0);
    SetFrameColors(frame);
    picture_.reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                 Scaled(48), Scaled(48), LR_DEFAULTCOLOR)));
    const int width = Scaled(kWidth), height = Scaled(kHeight), bar = Scaled(kBarHeight);
    const std::string esc = KeyName(vk::kEscape, 0);
    Place(closeButton, "X", width - Scaled(27), 1, Scaled(25), Scaled(kStripHeight), "Close about panel", esc);
    Place(mailButton, kMailAddress, Scaled(2), height - bar, Scaled(228), Scaled(18), "Mail me", "");
    Place(okButton, "\xD0\x9E\xD0\xBA", width - Scaled(27), height - bar, Scaled(25), Scaled(18), "Show about panel",
          esc);
  }

  // Makes the button, or moves an existing one (after a change of DPI).
  void Place(int id, const char* caption, int x, int y, int width, int height, const char* hint,
             const std::string& key) {
    if (GetDlgItem(hwnd(), id))
      PlaceChild(id, x, y, width, height);
    else
      AddFlatButton(id, caption, x, y, width, height, hint, key);
  }

  void OnDpiChanged() override { CreateParts(); }

  Strip StripAt(POINT p) const override {
    if (p.y >= 1 && p.y < 1 + Scaled(kStripHeight) && p.x < 1 + Scaled(227)) return Strip::Title;
    return Strip::None;
  }
  HFONT ButtonFont(int) const override { return font_.get(); }
  COLORREF ButtonTextColour(int id) const override {
    return id == okButton ? RGB(0, 255, 255) : FrameColors().font;
  }

  void OnCommand(int id, int, HWND) override {
    if (id == closeButton || id == okButton) PostMessageA(hwnd(), WM_CLOSE, 0, 0);
    if (id == mailButton)
      ctx_.processes.shellExecute(hwnd(), "open", std::string("mailto:") + kMailAddress, "", "", SW_SHOW);
  }

  // Escape, and Enter with no button in focus, close the panel.
  void OnEscapeKey() override { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }
  void OnEnterKey() override { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

  bool OnClose() override {
    // The main window comes to the front before the panel goes.
    host_.ShowMain();
    return false;
  }

  void OnPaint(HDC dc) override {
    PaintFrame(dc);
    const ColorScheme& c = FrameColors();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, c.font);
    win32::ScopedSelect useFont(dc, font_.get());
    RECT caption{1, 1, 1 + Scaled(227), 1 + Scaled(kStripHeight)};
    DrawTextA(dc, "          About Kest v " KEST_VERSION, -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    // the label with the picture at its right.
    RECT label{Scaled(2), 1 + Scaled(kStripHeight), Scaled(2 + 253), 1 + Scaled(kStripHeight + 103)};
    win32::OwnedBrush page(CreateSolidBrush(c.main));
    FillRect(dc, &label, page.get());
    RECT text{label.left + Scaled(4), label.top + Scaled(3), label.right - Scaled(65 + 4), label.bottom - Scaled(2)};
    DrawTextA(dc, kAboutText, -1, &text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    if (picture_)
      DrawIconEx(dc, label.right - Scaled(65 - 8), label.top + Scaled(12), picture_.get(), Scaled(48), Scaled(48), 0,
                 nullptr, DI_NORMAL);
  }

  void OnFinalDestroy() override {
    font_.reset();
    picture_.reset();
  }

  AppContext& ctx_;
  MainHost& host_;
  win32::OwnedFont font_;
  win32::OwnedIcon picture_;
};

}  // namespace

void OpenAboutPanel(AppContext& ctx, MainHost& host) {
  HWND main = static_cast<HWND>(host.MainHandle());
  AboutPanel about(ctx, host);
  if (!about.Create(main)) return;
  RunModal(about, main);
}

}  // namespace kest
