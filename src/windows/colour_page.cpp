#include "windows/colour_page.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "window_rules/color_rules.h"
#include "kit/accessible.h"
#include "kit/controls.h"
#include "kit/dpi.h"
#include "core/window_ids.h"

namespace kest {

namespace {

constexpr WindowClass kPageClass{"TfKestColourPage", 0, nullptr};
using namespace ids::settings_window;

struct Group {
  const char* title;
  const char* label;
};
constexpr Group kGroups[3] = {{"Main color", "Main color for all window"},
                              {"Caption bar color", "Color of header in all window"},
                              {"Font color", "Color of font in all window"}};

std::uint32_t& Role(ColorScheme& c, int swatch) {
  return swatch == 0 ? c.main : swatch == 1 ? c.caption : c.font;
}

}  // namespace

ColourPage::ColourPage(AppContext& ctx, HWND settingsWindow, std::function<void()> applied)
    : ctx_(ctx), settingsWindow_(settingsWindow), applied_(std::move(applied)), swatches_(ctx.state.colors) {}

ColourPage::~ColourPage() {
  if (hwnd()) DestroyWindow(hwnd());
}

bool ColourPage::Create(HWND parent, const RECT& area, HFONT font, int dpi) {
  if (!CreatePage(kPageClass, parent, area, dpi)) return false;
  page_.reset(CreateSolidBrush(ctx_.state.colors.main));
  auto make = [this](DWORD ex, const char* cls, const char* text, DWORD style, int id) {
    return MakeControl(ex, cls, text, style, id);
  };
  for (int i = 0; i < 3; ++i) {
    groups_[i] = make(0, "BUTTON", kGroups[i].title, BS_GROUPBOX, 0);
    labels_[i] = make(0, "STATIC", kGroups[i].label, SS_LEFT, 0);
    // The swatch shows its colour; a click opens the colour dialog. Its text is not drawn: it
    // is what a screen reader calls it.
    swatchButtons_[i] = make(0, "BUTTON", kGroups[i].title, BS_OWNERDRAW | WS_TABSTOP, mainSwatch + i);
  }
  groups_[3] = make(0, "BUTTON", "Transparency", BS_GROUPBOX, 0);
  spin_ = make(WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | WS_GROUP | ES_NUMBER | ES_AUTOHSCROLL, opacitySpin);
  updown_ = make(0, UPDOWN_CLASSA, "", UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, udSpin);
  SendMessageA(updown_, UDM_SETRANGE32, 0, 255);
  // ES_NUMBER keeps letters out as typed; pasted text is still checked when it changes.
  SendMessageA(spin_, EM_SETLIMITTEXT, 6, 0);
  opacityBar_ = make(0, TRACKBAR_CLASSA, "", WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS, opacityBar);
  SendMessageA(opacityBar_, TBM_SETRANGE, FALSE, MAKELPARAM(0, 255));
  SendMessageA(opacityBar_, TBM_SETTICFREQ, 1, 0);
  apply_ = make(0, "BUTTON", ".. apply", BS_OWNERDRAW | WS_TABSTOP, applyButton);
  // The nearest text before them is the font colour's.
  SetAccessibleName(spin_, "Transparency");
  SetAccessibleName(opacityBar_, "Transparency");
  TakeFont(font);
  // The track bar starts at the main window's opacity and the spin box follows it.
  SendMessageA(opacityBar_, TBM_SETPOS, TRUE, ctx_.state.opacity);
  OpacityBarChanged();
  return true;
}

// The places at 96 DPI, scaled to the page's DPI.
void ColourPage::Layout() {
  const int width = Width96();
  auto place = [this](HWND c, int x, int y, int w, int h) { Place(c, x, y, w, h); };
  for (int i = 0; i < 3; ++i) {
    int top = 2 + 56 * i;
    place(groups_[i], 4, top, width - 8, 52);
    place(labels_[i], 14, top + 22, width - 90, 16);
    place(swatchButtons_[i], width - 70, top + 18, 56, 24);
  }
  int top = 2 + 56 * 3;
  place(groups_[3], 4, top, width - 8, 96);
  place(spin_, 14, top + 20, 60, 20);
  // The up-down control takes its place and size from its buddy, which it narrows.
  SendMessageA(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(spin_), 0);
  place(opacityBar_, 10, top + 46, width - 28, 32);
  place(apply_, width - 84, top + 102, 70, 20);
}

LRESULT ColourPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == opacityBar_) OpacityBarChanged();
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, ctx_.state.colors.font);
      SetBkColor(dc, ctx_.state.colors.main);
      return reinterpret_cast<LRESULT>(page_.get());
    }
    default:
      return Window::HandleMessage(message, wParam, lParam);
  }
}

void ColourPage::OnCommand(int id, int code, HWND) {
  if (id >= mainSwatch && id <= fontSwatch && code == BN_CLICKED) PickColour(id - mainSwatch);
  if (id == applyButton && code == BN_CLICKED) ApplyClick();
  if (id == opacitySpin && code == EN_CHANGE) OpacitySpinChanged();
}

bool ColourPage::OnDrawItem(const DRAWITEMSTRUCT& item) {
  int id = static_cast<int>(item.CtlID);
  if (id >= mainSwatch && id <= fontSwatch) {
    win32::OwnedBrush b(CreateSolidBrush(Role(swatches_, id - mainSwatch)));
    FillRect(item.hDC, &item.rcItem, b.get());
    FrameRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawButtonFocus(item);
    return true;
  }
  if (id == applyButton) {
    DrawFlatButton(item, ctx_.state.colors.caption, RGB(0, 255, 255), BoldFont());
    return true;
  }
  return false;
}

void ColourPage::OnPaint(HDC dc) {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  FillRect(dc, &rc, page_.get());
}

void ColourPage::OnFinalDestroy() {
  page_.reset();
  Page::OnFinalDestroy();
}

void ColourPage::PickColour(int swatch) {
  std::uint32_t& colour = Role(swatches_, swatch);
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = nullptr;
  cc.rgbResult = colour;
  cc.lpCustColors = custom_;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  ShowWindow(settingsWindow_, SW_HIDE);
  if (ChooseColorA(&cc)) colour = PickedColour(cc.rgbResult);
  ShowWindow(settingsWindow_, SW_SHOW);
  // The picked colour is the current one of its role at once; it is stored only by "apply".
  Role(ctx_.state.colors, swatch) = colour;
  InvalidateRect(swatchButtons_[swatch], nullptr, TRUE);
}

void ColourPage::OpacitySpinChanged() {
  if (inStep_) return;
  char text[16] = {};
  GetWindowTextA(spin_, text, sizeof text);
  inStep_ = true;
  SendMessageA(opacityBar_, TBM_SETPOS, TRUE, OpacityFromText(text));
  inStep_ = false;
  // A value the track bar cannot hold (or no number) comes back into the spin box as it holds it.
  int position = static_cast<int>(SendMessageA(opacityBar_, TBM_GETPOS, 0, 0));
  if (std::string(text) != std::to_string(position)) OpacityBarChanged();
}

void ColourPage::OpacityBarChanged() {
  if (inStep_) return;
  inStep_ = true;
  int position = static_cast<int>(SendMessageA(opacityBar_, TBM_GETPOS, 0, 0));
  SetWindowTextA(spin_, std::to_string(position).c_str());
  inStep_ = false;
}

void ColourPage::ApplyClick() {
  int position = static_cast<int>(SendMessageA(opacityBar_, TBM_GETPOS, 0, 0));
  ApplyScheme(ctx_.state, swatches_, position);
  // The main window takes the scheme and hands it to the note window, also while that one is
  // hidden: it exists for the whole run.
  if (applied_) applied_();
  Recolour();
}

void ColourPage::Recolour() {
  page_.reset(CreateSolidBrush(ctx_.state.colors.main));
  InvalidateRect(hwnd(), nullptr, TRUE);
}

}  // namespace kest
