#include "windows/options_page.h"

#include "settings/work_file_mover.h"
#include "kit/controls.h"

namespace kest {

namespace {

constexpr WindowClass kPageClass{"TfKestOptionsPage", 0, nullptr};
constexpr int kFirstBoxId = 100;
constexpr int moveWorkFiles = 120;
constexpr int extensions = 121;

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

bool OptionsPage::Create(HWND parent, const RECT& area, HFONT font) {
  if (!CreateWindowFor(kPageClass, WS_EX_CONTROLPARENT, "", WS_CHILD, area.left, area.top,
                       area.right - area.left, area.bottom - area.top, parent))
    return false;
  brush_.reset(CreateSolidBrush(ctx_.state.colors.main));
  HINSTANCE instance = GetModuleHandleA(nullptr);
  int width = area.right - area.left;
  HWND group = CreateWindowExA(0, "BUTTON", "Options", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 4, 2, width - 8,
                               26 + 20 * 5, hwnd(), nullptr, instance, nullptr);
  SendMessageA(group, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  hints_ = CreateHintWindow(hwnd());
  SendMessageA(hints_, TTM_SETMAXTIPWIDTH, 0, 300);
  for (const OptionBox& b : OptionBoxes()) {
    int i = static_cast<int>(b.option);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | (i == 0 ? WS_GROUP : 0);
    boxes_[i] = CreateWindowExA(0, "BUTTON", b.caption, style, 14, 20 + 20 * i, width - 28, 18, hwnd(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstBoxId + i)), instance, nullptr);
    SendMessageA(boxes_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    AddHint(hints_, hwnd(), boxes_[i], b.hint);
  }
  // The lower group: the work-file mover. Its list starts afresh at every opening.
  font_ = font;
  LOGFONTA lf{};
  GetObjectA(font, sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  boldFont_.reset(CreateFontIndirectA(&lf));
  const int top = 32 + 20 * 5;
  HWND mover = CreateWindowExA(0, "BUTTON", "Move work files:", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 4, top,
                               width - 8, 130, hwnd(), nullptr, instance, nullptr);
  HWND label5 = CreateWindowExA(0, "STATIC", kMoverText, WS_CHILD | WS_VISIBLE | SS_LEFT, 14, top + 18, width - 28, 54,
                                hwnd(), nullptr, instance, nullptr);
  extensions_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", kWorkFileExtensions,
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, 14, top + 76, width - 28, 20,
                           hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(extensions)), instance, nullptr);
  HWND doIt = CreateWindowExA(0, "BUTTON", ".. move", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                              width - 14 - 70, top + 102, 70, 20, hwnd(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(moveWorkFiles)), instance, nullptr);
  for (HWND c : {mover, label5, extensions_}) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  AddHint(hints_, hwnd(), extensions_, "Please insert ',' at the end of text");
  (void)doIt;
  return true;
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
  int i = id - kFirstBoxId;
  if (code != BN_CLICKED || i < 0 || i >= 5) return;
  model_.Set(static_cast<Option>(i), SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

bool OptionsPage::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != moveWorkFiles) return false;
  DrawFlatButton(item, ctx_.state.colors.caption, RGB(0, 255, 255), boldFont_.get());
  return true;
}

// With no focused target nothing happens; moves that failed are reported once, at the end,
// over the settings window.
void OptionsPage::MoveWorkFilesClick() {
  std::string target = focusedTarget_ ? focusedTarget_() : std::string();
  if (target.empty()) return;
  MoveWorkFiles(ctx_.fs, ctx_.links, ctx_.state.workDrive, ctx_.exeDir, target, ParseExtensionList(WindowTextOf(extensions_)), ctx_.box,
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
