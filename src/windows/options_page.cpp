#include "windows/options_page.h"

#include "settings/work_file_mover.h"
#include "kit/controls.h"
#include "kit/dpi.h"
#include "window_rules/dpi.h"
#include "core/window_ids.h"

namespace kest {

namespace {

constexpr WindowClass kPageClass{"TfKestOptionsPage", 0, nullptr};
using namespace ids::settings_window;

}  // namespace

OptionsPage::OptionsPage(AppContext& ctx, OptionEffects effects, std::function<std::string()> focusedTarget)
    : ctx_(ctx), model_(ctx.state, [&] {
        effects.showBox = [this](Option o, bool checked) {
          HWND b = boxes_[static_cast<int>(o)];
          if (b) SendMessageA(b, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        };
        return effects;
      }()),
      focusedTarget_(std::move(focusedTarget)) {}

OptionsPage::~OptionsPage() {
  if (hwnd()) DestroyWindow(hwnd());
}

bool OptionsPage::Create(HWND parent, const RECT& area, HFONT font, int dpi) {
  if (!CreatePage(kPageClass, parent, area, dpi)) return false;
  brush_.reset(CreateSolidBrush(ctx_.state.colors.main));
  auto make = [this](DWORD ex, const char* cls, const char* text, DWORD style, int id) {
    return MakeControl(ex, cls, text, style, id);
  };
  group_ = make(0, "BUTTON", "Options", BS_GROUPBOX, 0);
  hints_ = CreateHintWindow(hwnd());
  for (const OptionBox& b : OptionBoxes()) {
    int i = static_cast<int>(b.option);
    boxes_[i] = make(0, "BUTTON", b.caption, WS_TABSTOP | BS_AUTOCHECKBOX | (i == 0 ? WS_GROUP : 0), firstOptionBox + i);
    AddHint(hints_, hwnd(), boxes_[i], b.hint);
  }
  // The lower group: the work-file mover. Its list starts afresh at every opening.
  mover_ = make(0, "BUTTON", "Move work files:", BS_GROUPBOX, 0);
  moverText_ = make(0, "STATIC", kMoverText, SS_LEFT, 0);
  extensions_ = make(WS_EX_CLIENTEDGE, "EDIT", kWorkFileExtensions, WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, extensions);
  moveButton_ = make(0, "BUTTON", ".. move", WS_TABSTOP | BS_OWNERDRAW, moveWorkFiles);
  AddHint(hints_, hwnd(), extensions_, "Please insert ',' at the end of text");
  TakeFont(font);
  return true;
}

// The places at 96 DPI, scaled to the page's DPI.
void OptionsPage::Layout() {
  const int width = Width96();
  auto place = [this](HWND c, int x, int y, int w, int h) { Place(c, x, y, w, h); };
  place(group_, 4, 2, width - 8, 26 + 20 * kOptionCount);
  for (int i = 0; i < kOptionCount; ++i) place(boxes_[i], 14, 20 + 20 * i, width - 28, 18);
  const int top = 32 + 20 * kOptionCount;
  place(mover_, 4, top, width - 8, 130);
  place(moverText_, 14, top + 18, width - 28, 54);
  place(extensions_, 14, top + 76, width - 28, 20);
  place(moveButton_, width - 14 - 70, top + 102, 70, 20);
  SendMessageA(hints_, TTM_SETMAXTIPWIDTH, 0, Scaled(300));
}

LRESULT OptionsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, ctx_.state.colors.font);
    SetBkColor(dc, ctx_.state.colors.main);
    return reinterpret_cast<LRESULT>(brush_.get());
  }
  return Window::HandleMessage(message, wParam, lParam);
}

void OptionsPage::OnCommand(int id, int code, HWND control) {
  if (id == moveWorkFiles && code == BN_CLICKED) {
    MoveWorkFilesClick();
    return;
  }
  int i = id - firstOptionBox;
  if (code != BN_CLICKED || i < 0 || i >= kOptionCount) return;
  model_.Set(static_cast<Option>(i), SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

bool OptionsPage::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != moveWorkFiles) return false;
  DrawFlatButton(item, ctx_.state.colors.caption, RGB(0, 255, 255), BoldFont());
  return true;
}

// With no focused target nothing happens; moves that failed are reported once, at the end,
// over the settings window.
void OptionsPage::MoveWorkFilesClick() {
  std::string target = focusedTarget_ ? focusedTarget_() : std::string();
  if (target.empty()) return;
  MoveWorkFiles(ctx_.fs, ctx_.links, ctx_.state.workDrive, ctx_.dataDir, target, ParseExtensionList(WindowTextOf(extensions_)), ctx_.box,
                GetAncestor(hwnd(), GA_ROOT));
}

void OptionsPage::Recolour() {
  brush_.reset(CreateSolidBrush(ctx_.state.colors.main));
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void OptionsPage::OnPaint(HDC dc) {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  FillRect(dc, &rc, brush_.get());
}

}  // namespace kest
