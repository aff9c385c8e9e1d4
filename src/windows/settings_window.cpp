#include "windows/settings_window.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "core/texts.h"
#include "core/window_ids.h"
#include "platform/win32/this_process.h"
#include "windows/colour_page.h"
#include "settings/directory_import.h"
#include "windows/options_page.h"
#include "settings/shell_extension.h"
#include "windows/tools_manager.h"
#include "window_rules/dpi.h"
#include "window_rules/keys.h"
#include "kit/accessible.h"
#include "kit/dpi.h"
#include "kit/frameless.h"
#include "kit/modal.h"
#include "kit/subclass.h"

namespace kest {

namespace {

constexpr WindowClass kSettingsClass{kSettingsWindowClass, CS_DBLCLKS, nullptr};
// Sizes and places at 96 DPI; the window scales them to its own.
constexpr int kWidth = 313;
constexpr int kHeight = 375;
constexpr int kTitleHeight = 11;
constexpr int kCaptionHeight = 17;
constexpr int kBarHeight = 20;
constexpr RECT kPageArea{4, 30, 4 + 305, 30 + 321};
// Runs the opening steps once the window is on the screen, inside its modal loop.

using namespace ids::settings_window;

constexpr const char* kCloseHint = "Close settings";

struct PageLabel {
  int id;
  const char* caption;
  int x, width;
};
constexpr PageLabel kLabels[] = {{toolsTab, "Tools Manger", 4, 88}, {optionsTab, "Options", 97, 56},
                                 {colourTab, "Color sheme", 158, 82}, {exitTab, "Ok", 260, 40}};

class SettingsWindow final : public FramelessWindow {
 public:
  SettingsWindow(AppContext& ctx, MainHost& host) : FramelessWindow(SIZE{kWidth, kHeight}), ctx_(ctx), host_(host) {}
  ~SettingsWindow() override {
    if (hwnd()) DestroyWindow(hwnd());
  }

  bool Create(HWND owner) {
    RECT r{};
    GetWindowRect(owner, &r);
    // Opaque: only the main, mini and note windows let the desktop show through.
    DWORD ex = WS_EX_CONTROLPARENT | (ctx_.state.stayOnTop ? WS_EX_TOPMOST : 0);
    const int offset = ScaleForDpi(20, WindowDpi(owner));
    return CreateWindowFor(kSettingsClass, ex, text::kSettingsHint, WS_POPUP | WS_CLIPCHILDREN, r.left + offset,
                           r.top + offset, kWidth, kHeight, owner) != nullptr;
  }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case msg::kSettingsShown:
        OnShown();
        return 0;
      case WM_DROPFILES:
        DropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
      case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        SetBkColor(dc, FrameColors().caption);
        SetTextColor(dc, LabelColour(id));
        return reinterpret_cast<LRESULT>(captionBrush_.get());
      }
      default:
        return FramelessWindow::HandleMessage(message, wParam, lParam);
    }
  }

  void OnCreate() override {
    // Made at its 96-DPI size; its DPI is known only now.
    SetWindowPos(hwnd(), nullptr, 0, 0, Scaled(kWidth), Scaled(kHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    font_.reset(MakeFont("Courier New", Scaled(-11)));
    SetFrameColors(ctx_.state.colors);
    captionBrush_.reset(CreateSolidBrush(ctx_.state.colors.caption));
    const std::string esc = KeyName(vk::kEscape, 0);
    AddFlatButton(okButton, "x", 0, 0, 0, 0, kCloseHint, esc);
    AddFlatButton(closeButton, "x", 0, 0, 0, 0, kCloseHint, esc);
    for (const PageLabel& l : kLabels) {
      HWND label = CreateWindowExA(0, "STATIC", l.caption, WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_CENTER, 0, 0, 0, 0,
                                   hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(l.id)),
                                   GetModuleHandleA(nullptr), nullptr);
      SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
      hover_[l.id - toolsTab].Attach(label, hwnd(), [this, id = l.id](UINT m, WPARAM w, LPARAM lp) {
        return LabelMessage(id, m, w, lp);
      });
    }
    toolsPage_ = CreateToolsManagerPage(ctx_, hwnd(), kPageArea, Dpi());
    optionsPage_ = std::make_unique<OptionsPage>(
        ctx_, OptionEffects{[this](bool topmost) { SetTopmost(topmost); },
                            [this](bool on) {
                              return ChangeShellCommands(ctx_.registry, ctx_.box, hwnd(), ctx_.exePath, on);
                            },
                            nullptr},
        [this] { return host_.FocusedTarget(); });
    optionsPage_->Create(hwnd(), kPageArea, font_.get(), Dpi());
    colourPage_ = std::make_unique<ColourPage>(ctx_, hwnd(), [this] { SchemeApplied(); });
    colourPage_->Create(hwnd(), kPageArea, font_.get(), Dpi());
    // Tab reaches the "x" buttons after the pages' controls.
    for (int id : {okButton, closeButton})
      SetWindowPos(GetDlgItem(hwnd(), id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetKeys(kSettingsWindowKeys);
    RECT rc{};
    GetClientRect(hwnd(), &rc);
    Layout(rc.right, rc.bottom);
    ShowPage(toolsTab);
    PostMessageA(hwnd(), msg::kSettingsShown, 0, 0);
  }

  // The buttons and page labels, from the client size and the DPI; the pages keep their own place.
  void Layout(int width, int height) {
    const int buttonsTop = CaptionBottom() - Scaled(10);
    PlaceChild(okButton, Scaled(4), buttonsTop, Scaled(16), Scaled(10));
    PlaceChild(closeButton, width - Scaled(20), buttonsTop, Scaled(16), Scaled(10));
    for (const PageLabel& l : kLabels)
      PlaceChild(l.id, Scaled(l.x), BarTop(height) + Scaled(3), Scaled(l.width), Scaled(14));
  }
  void OnSize(int width, int height) override { Layout(width, height); }

  void OnDpiChanged() override {
    // The new font first, then the controls that draw with it; the old one goes after.
    win32::OwnedFont old(font_.release());
    font_.reset(MakeFont("Courier New", Scaled(-11)));
    for (const PageLabel& l : kLabels)
      SendMessageA(GetDlgItem(hwnd(), l.id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    toolsPage_->Rescale(Dpi());
    optionsPage_->Rescale(font_.get(), Dpi());
    colourPage_->Rescale(font_.get(), Dpi());
    RECT rc{};
    GetClientRect(hwnd(), &rc);
    Layout(rc.right, rc.bottom);
  }

  int TitleBottom() const { return 1 + Scaled(kTitleHeight); }
  int CaptionBottom() const { return 1 + Scaled(kTitleHeight + kCaptionHeight); }
  int BarTop(int height) const { return height - Scaled(kBarHeight); }

  void OnShown() {
    FocusPage();
    DragAcceptFiles(hwnd(), TRUE);
    optionsPage_->Model().Open(ctx_.registry, ctx_.box, hwnd());
  }

  // Files dropped from the shell become tools in the tools manager's current folder.
  void DropFiles(HDROP drop) {
    std::vector<std::string> dropped = win32::TakeDroppedFiles(drop);
    if (!toolsPage_) return;
    ImportServices services{ctx_.fs, ctx_.links, ctx_.box, hwnd(), ctx_.exeDir, [this] { ctx_.state.menusOutOfDate = true; }};
    DropToolFiles(services, dropped, toolsPage_->CurrentFolder(), [this] { toolsPage_->RefreshViews(); });
  }

  // After "apply": the main window takes the stored scheme, and so does this window.
  void SchemeApplied() {
    host_.SchemeApplied();
    SetFrameColors(ctx_.state.colors);
    captionBrush_.reset(CreateSolidBrush(ctx_.state.colors.caption));
    optionsPage_->Recolour();
    toolsPage_->Recolour();
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

  // The main window owns this one and keeps its owned windows in its own band, so it changes
  // band too, at once rather than at its next move.
  void SetTopmost(bool topmost) {
    host_.StayOnTopChanged();
    SetTopmostBand(hwnd(), topmost);
  }

  HWND PageWindow(int label) const {
    if (label == toolsTab) return toolsPage_ ? toolsPage_->hwnd() : nullptr;
    return label == optionsTab ? optionsPage_->hwnd() : colourPage_->hwnd();
  }

  void ShowPage(int label) {
    page_ = label;
    for (int l : {toolsTab, optionsTab, colourTab}) {
      if (HWND page = PageWindow(l)) ShowWindow(page, l == label ? SW_SHOW : SW_HIDE);
      // The page's label is drawn pressed and read as selected.
      HWND pageLabel = GetDlgItem(hwnd(), l);
      SetAccessibleSelected(pageLabel, l == label);
      InvalidateRect(pageLabel, nullptr, TRUE);
    }
    // The keys go with the page: none is left on a control that is no longer shown.
    HWND focus = GetFocus();
    if (focus && (focus == hwnd() || IsChild(hwnd(), focus))) FocusPage();
  }

  // The first control of the page on the screen takes the keys.
  void FocusPage() {
    HWND page = PageWindow(page_);
    if (!page) return;
    HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
    SetFocus(first && IsChild(page, first) ? first : page);
  }

  // Ctrl+Tab and its kin step through the pages, wrapping.
  void StepPage(int step) {
    constexpr int kPages = colourTab - toolsTab + 1;
    ShowPage(toolsTab + SteppedPage(page_ - toolsTab, step, kPages));
  }

  void OnEscapeKey() override { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

  void OnCommand(int id, int code, HWND) override {
    switch (id) {
      case closeButton:
      case okButton:
        PostMessageA(hwnd(), WM_CLOSE, 0, 0);
        break;
      case toolsTab:
      case optionsTab:
      case colourTab:
        if (code == STN_CLICKED) ShowPage(id);
        break;
      case nextPage:
        StepPage(1);
        break;
      case previousPage:
        StepPage(-1);
        break;
      case exitTab:
        // "Ok" applies the colour page first; the "x" buttons close without it.
        if (code == STN_CLICKED) {
          colourPage_->ApplyClick();
          PostMessageA(hwnd(), WM_CLOSE, 0, 0);
        }
        break;
      default:
        break;
    }
  }

  // Page labels turn white (the "Ok" label yellow) under the mouse.
  COLORREF LabelColour(int id) const {
    bool hot = id >= toolsTab && id <= exitTab && hot_[id - toolsTab];
    if (id == exitTab) return hot ? RGB(255, 255, 0) : RGB(0, 255, 255);
    return hot ? RGB(255, 255, 255) : ctx_.state.colors.main;
  }

  LRESULT LabelMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    Subclass& s = hover_[id - toolsTab];
    if (message == WM_MOUSEMOVE && !hot_[id - toolsTab]) {
      hot_[id - toolsTab] = true;
      TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, s.control(), 0};
      TrackMouseEvent(&t);
      InvalidateRect(s.control(), nullptr, TRUE);
    } else if (message == WM_MOUSELEAVE) {
      hot_[id - toolsTab] = false;
      InvalidateRect(s.control(), nullptr, TRUE);
    } else if (message == WM_SETCURSOR) {
      SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
      return TRUE;
    } else if (message == WM_PAINT && id == page_) {
      const LRESULT painted = s.Default(message, wParam, lParam);
      win32::WindowDC dc(s.control());
      RECT rc{};
      GetClientRect(s.control(), &rc);
      DrawEdge(dc.get(), &rc, BDR_SUNKENOUTER, BF_RECT);
      return painted;
    }
    return s.Default(message, wParam, lParam);
  }

  Strip StripAt(POINT p) const override {
    RECT rc{};
    GetClientRect(hwnd(), &rc);
    if (p.y >= 1 && p.y < TitleBottom()) return Strip::Title;
    if (p.y >= TitleBottom() && p.y < CaptionBottom()) return Strip::Caption;
    if (p.y >= BarTop(rc.bottom)) return Strip::Bar;
    return Strip::None;
  }
  HFONT ButtonFont(int) const override { return font_.get(); }

  void OnPaint(HDC dc) override {
    PaintFrame(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    win32::ScopedSelect useFont(dc, font_.get());
    RECT rc{};
    GetClientRect(hwnd(), &rc);
    RECT title{1, 1, rc.right - 1, TitleBottom()};
    DrawTextA(dc, "Kest Settings", -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    // Thin lines between the page labels.
    win32::OwnedPen pen(CreatePen(PS_SOLID, 1, FrameColors().font));
    win32::ScopedSelect usePen(dc, pen.get());
    for (int i = 1; i < 4; ++i) {
      int x = Scaled(kLabels[i].x - 3);
      MoveToEx(dc, x, BarTop(rc.bottom) + Scaled(3), nullptr);
      LineTo(dc, x, rc.bottom - Scaled(3));
    }
  }

  bool OnClose() override {
    // The catalog may have changed: the menus are built afresh at their next opening.
    ctx_.state.menusOutOfDate = true;
    return false;  // the modal loop ends
  }

  void OnDestroy() override {
    SendMessageA(static_cast<HWND>(host_.MainHandle()), msg::kSettingsApplied, 0, 0);
  }

  void OnFinalDestroy() override {
    toolsPage_.reset();
    optionsPage_.reset();
    colourPage_.reset();
    font_.reset();
    captionBrush_.reset();
  }

  AppContext& ctx_;
  MainHost& host_;
  win32::OwnedFont font_;
  win32::OwnedBrush captionBrush_;
  std::unique_ptr<ToolsManagerPage> toolsPage_;
  std::unique_ptr<OptionsPage> optionsPage_;
  std::unique_ptr<ColourPage> colourPage_;
  Subclass hover_[4];
  bool hot_[4] = {};
  int page_ = toolsTab;  // the label of the page on the screen
};

}  // namespace

void OpenSettingsWindow(AppContext& ctx, MainHost& host) {
  HWND main = static_cast<HWND>(host.MainHandle());
  SettingsWindow settings(ctx, host);
  if (!settings.Create(main)) return;
  RunModal(settings, main);
}

}  // namespace kest
