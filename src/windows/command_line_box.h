#pragma once
// commandLine: the hidden box in which a launch's command line is edited (Ctrl held while choosing a
// tool); Enter runs it.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "state/app_context.h"
#include "catalog/launch.h"
#include "kit/subclass.h"
#include "window_rules/placement.h"

namespace kest {

class CommandLineBox {
 public:
  explicit CommandLineBox(AppContext& ctx) : ctx_(ctx) {}

  // ran: after a command line was run, so that the target list is drawn again.
  void Create(HWND parent, int id, HFONT font, std::function<void()> ran);
  HWND hwnd() const { return edit_; }
  void Place(const Box& box);
  // Shows the command line for editing, with the keyboard focus; Enter runs it in directory
  // (entered again then: the current directory may have moved meanwhile).
  void Edit(const std::string& commandLine, const std::string& directory, const LaunchServices& launching);
  // The box writes in blue: the answer to WM_CTLCOLOREDIT.
  static LRESULT Colors(HDC dc);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool RunOnEnter(WPARAM key);

  AppContext& ctx_;
  HWND edit_ = nullptr;
  Subclass subclass_;
  std::function<void()> ran_;
  std::string directory_;
  std::optional<LaunchServices> launching_;
};

}  // namespace kest
