#include "ui/tray_icon.h"

#include <shellapi.h>

#include "app/window_messages.h"
#include "ui/tray_rules.h"

namespace kest {

namespace {
constexpr UINT kTrayIconId = 1;
}

NOTIFYICONDATAA TrayIcon::Data(UINT flags) const {
  NOTIFYICONDATAA data{};
  // The record as the shell of every Windows version since 2000 reads it.
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = receiver_;
  data.uID = kTrayIconId;
  data.uFlags = flags;
  data.uCallbackMessage = msg::kTrayCallback;
  data.hIcon = icon_;
  lstrcpynA(data.szTip, tip_.c_str(), static_cast<int>(kMaxTipLength + 1));
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
  NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  added_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  // Version 0: mouse actions arrive as plain mouse messages.
  data.uVersion = 0;
  Shell_NotifyIconA(NIM_SETVERSION, &data);
}

void TrayIcon::SetTip(const std::string& tip) {
  if (tip == tip_) return;
  tip_ = tip;
  if (!added_) return;
  NOTIFYICONDATAA data = Data(NIF_TIP);
  Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayIcon::Remove() {
  if (!added_) return;
  NOTIFYICONDATAA data = Data(0);
  Shell_NotifyIconA(NIM_DELETE, &data);
  added_ = false;
}

}  // namespace kest
