#pragma once
// The notification-area icon for the whole run: added once the main window is loaded, added
// again when the taskbar is re-created, removed at exit. Its mouse messages go to the main
// window as msg::kTrayCallback.
#include <windows.h>

#include <string>

namespace kest {

class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { Remove(); }

  void Add(HWND receiver, HICON icon, const std::string& tip);
  void SetTip(const std::string& tip);
  void Remove();
  bool Added() const { return added_; }
  // The message the shell broadcasts when the taskbar was re-created.
  UINT TaskbarCreatedMessage() const { return taskbarCreated_; }
  // After the taskbar came back.
  void AddAgain();

 private:
  NOTIFYICONDATAW Data(UINT flags) const;
  HWND receiver_ = nullptr;
  HICON icon_ = nullptr;
  std::string tip_;
  bool added_ = false;
  UINT taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
};

}  // namespace kest
