// The target list's work on its files beside the rows: the tooltip with a row's facts, read on
// a thread of their own, and "Copy hashes", worked out on another.
#include <windowsx.h>

#include "core/texts.h"
#include "core/window_ids.h"
#include "platform/paths.h"
#include "platform/win32/text_encoding.h"
#include "kit/dpi.h"
#include "window_rules/dpi.h"
#include "windows/target_list_view.h"

namespace kest {

namespace {
// A target whose hashes could not be worked out; "%s" is the path, the system's text follows.
constexpr const char* kHashFailedText = "The hashes of %s could not be worked out: the file cannot be read.\r\n";
}  // namespace

void TargetListView::CreateTip() {
  // A tooltip of the list's own: it shows the row under the mouse, its text set as the mouse
  // enters the row and again when the row's facts arrive.
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list_, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
  if (!tip_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = list_;
  tool.uId = 1;
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  FitTipToDpi();
  facts_.SetNotify([list = list_] { PostMessageA(list, msg::kFactsRead, 0, 0); });
}

void TargetListView::SetTipDpi(int dpi) {
  tipDpi_ = dpi;
  if (tip_) FitTipToDpi();
}

void TargetListView::FitTipToDpi() {
  // Lines break at "\r\n" and at this width: a long path wraps instead of running off the screen.
  SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(600, tipDpi_));
  // The system's tooltip font, which it makes for the system's DPI, at the window's.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  metrics.lfStatusFont.lfHeight = MulDiv(metrics.lfStatusFont.lfHeight, tipDpi_, SystemDpi());
  win32::OwnedFont old(tipFont_.release());
  tipFont_.reset(CreateFontIndirectW(&metrics.lfStatusFont));
  if (tipFont_) SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(tipFont_.get()), TRUE);
}

void TargetListView::ShowTipFor(int row, bool moved) {
  if (!tip_) return;
  tipRow_ = row;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = list_;
  tool.uId = 1;
  std::wstring text;
  const TargetList& list = state_.targets();
  if (row >= 0 && static_cast<std::size_t>(row) < list.size()) {
    const std::string path = list.at(static_cast<std::size_t>(row)).fullPath();
    // Entering a row asks for its facts (read, or looked at again in case the file changed);
    // their arrival only shows what is known.
    std::optional<FactsAnswer> answer = moved ? facts_.Ask(path) : facts_.Known(path);
    auto hashes = hashLines_.find(path);
    text = win32::AnsiToWide(TargetTipText(path, answer ? &*answer : nullptr,
                                           [this](unsigned code) { return ctx_.files.errorText(code); },
                                           hashes == hashLines_.end() ? std::string() : hashes->second));
    ListView_GetItemRect(list_, row, &tool.rect, LVIR_BOUNDS);
  }
  // A new row is a new tip: the old one goes, and the new one shows after the usual pause.
  if (moved) SendMessageW(tip_, TTM_POP, 0, 0);
  SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  tool.lpszText = text.data();
  SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TargetListView::RelayToTip(UINT message, WPARAM wParam, LPARAM lParam) {
  // Made when the mouse first comes over the list: the first frame does not show it.
  if (!tip_ && message == WM_MOUSEMOVE) CreateTip();
  if (!tip_) return;
  if (message == WM_MOUSEMOVE) {
    LVHITTESTINFO hit{};
    hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int row = ListView_HitTest(list_, &hit);
    if (row != tipRow_) ShowTipFor(row, true);
  }
  MSG relayed{list_, message, wParam, lParam, GetMessageTime(), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}};
  SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void TargetListView::CopyHashes(const std::optional<EntryRef>& entry) {
  // A target that is no full path names no one file.
  if (!StillThere(entry) || !paths::IsFullPath(entry->path)) return;
  hashing_.reset();
  // What the user copies while the hashes are worked out is not overwritten unasked.
  clipboardAtHashing_ = ctx_.clipboard.sequence();
  hashing_ = std::make_unique<HashJob>(ctx_.files, entry->path,
                                       [list = list_] { PostMessageA(list, msg::kHashProgress, 0, 0); });
  InvalidateRect(list_, nullptr, FALSE);
}

void TargetListView::OnHashProgress() {
  if (!hashing_) return;  // cancelled meanwhile
  InvalidateRect(list_, nullptr, FALSE);
  if (!hashing_->Finished()) return;
  // Out of the way before the message box's loop, where another hashing may start.
  const std::unique_ptr<HashJob> done = std::move(hashing_);
  const HashResult& result = done->Result();
  if (result.status == HashStatus::Done) {
    const std::string& path = done->Path();
    hashLines_[path] = HashLines(result.digests);
    if (tipRow_ >= 0) ShowTipFor(tipRow_, false);
    // Minutes may have passed: something copied since is the user's, and is replaced only
    // when the user says so.
    if (ctx_.clipboard.sequence() != clipboardAtHashing_ &&
        ctx_.box.ask(owner_, FileMessage(text::kHashesOverNewerCopyText, path), text::kCaptionConfirm,
                     MbButtons::YesNo, MbIcon::Question) != MbAnswer::Yes)
      return;
    if (!ctx_.clipboard.setText(owner_, HashesText(result.digests, paths::FileNameOf(path))))
      ctx_.box.ask(owner_, FileMessage(text::kHashesNotCopiedText, path), text::kCaptionError, MbButtons::Ok,
                   MbIcon::Error);
  } else if (result.status == HashStatus::Failed) {
    std::string reason = ctx_.files.errorText(result.error);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    ctx_.box.ask(owner_, FileMessage(kHashFailedText, done->Path()) + reason, text::kCaptionError, MbButtons::Ok,
                 MbIcon::Error);
  }
}

void TargetListView::CancelHashing() {
  if (!hashing_) return;
  // Waits for the block being read; what the thread posts meanwhile finds no hashing.
  hashing_.reset();
  InvalidateRect(list_, nullptr, FALSE);
}

void TargetListView::StopWork() {
  CancelHashing();
  facts_.SetNotify(nullptr);
  icons_.reset();
  tipRow_ = -1;
}

}  // namespace kest
