#include "windows/tray_icon.h"

#include <shellapi.h>

#include "core/window_ids.h"
#include "platform/win32/text_encoding.h"
#include "window_rules/tray_rules.h"

namespace kest {

namespace {
constexpr UINT kTrayIconId = 1;
}

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
  NOTIFYICONDATAW data{};
  // The record as the shell of every Windows version since 2000 reads it.
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = receiver_;
  data.uID = kTrayIconId;
  data.uFlags = flags;
  data.uCallbackMessage = msg::kTrayCallback;
  data.hIcon = icon_;
  // Through the wide record: the tip's 128 characters, whatever the code page takes per character.
  std::wstring tip = win32::AnsiToWide(tip_);
  lstrcpynW(data.szTip, tip.c_str(), static_cast<int>(kMaxTipLength + 1));
  return data;
}

void TrayIcon::Add(HWND receiver, HICON icon, const std::string& tip) {
  receiver_ = receiver;
  icon_ = icon;
  tip_ = tip;
  AddAgain();
}

void TrayIcon::AddAgain() {
  if (!receiver_) return;
  NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  // Version 0: mouse actions arrive as plain mouse messages.
  data.uVersion = 0;
  Shell_NotifyIconW(NIM_SETVERSION, &data);
}

void TrayIcon::SetTip(const std::string& tip) {
  if (tip == tip_) return;
  tip_ = tip;
  if (!added_) return;
  NOTIFYICONDATAW data = Data(NIF_TIP);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::Remove() {
  if (!added_) return;
  NOTIFYICONDATAW data = Data(0);
  Shell_NotifyIconW(NIM_DELETE, &data);
  added_ = false;
}

}  // namespace kest
