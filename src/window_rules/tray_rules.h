#pragma once
// The notification-area icon's tip, and how its mouse messages become clicks.
#include <string>

#include "platform/paths.h"
#include "platform/utf8.h"

namespace kest {

// A tip holds at most 127 characters (UTF-16 units, as Windows counts them).
inline constexpr std::size_t kMaxTipLength = 127;

// "Kest - " and the current target's file name, or "Kest" when there is none; cut to fit.
inline std::string TrayTip(const std::string& currentTarget) {
  std::string tip = currentTarget.empty() ? "Kest" : "Kest - " + paths::FileNameOf(currentTarget);
  return utf8::CutToUtf16Units(tip, kMaxTipLength);
}

// A left press arms a click and the release that follows fires it, at once: the program has no
// double-click action that would make a click wait for the double-click time.
class TrayClick {
 public:
  void Pressed() { armed_ = true; }
  // True when this release completes a click.
  bool Released() {
    bool click = armed_;
    armed_ = false;
    return click;
  }

 private:
  bool armed_ = false;
};

}  // namespace kest
