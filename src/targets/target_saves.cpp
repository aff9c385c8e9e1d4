#include "targets/target_saves.h"

namespace kest {

std::optional<unsigned> TargetSaves::Changed() {
  if (due_) return std::nullopt;
  due_ = true;
  return kDelayMs;
}

TargetSaves::Next TargetSaves::Saved(bool written, bool toldElsewhere) {
  if (written) {
    due_ = false;
    reported_ = false;
    return {};
  }
  due_ = true;
  Next next{kRetryMs, !reported_ && !toldElsewhere};
  reported_ = true;
  return next;
}

}  // namespace kest
