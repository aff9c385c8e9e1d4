#pragma once
// The notification-area icon's tip, and how its mouse messages become clicks.
#include <string>

#include "platform/paths.h"

namespace kest {

// A tip holds at most 127 characters.
inline constexpr std::size_t kMaxTipLength = 127;

// "Kest - " and the current target's file name, or "Kest" when there is none; cut to fit.
inline std::string TrayTip(const std::string& currentTarget) {
  std::string tip = currentTarget.empty() ? "Kest" : "Kest - " + paths::FileNameOf(currentTarget);
  if (tip.size() > kMaxTipLength) tip.resize(kMaxTipLength);
  return tip;
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
