#pragma once
// When the target list's changes go to Tools.ini: once per user action, a quarter of a second
// after its first change (the rest of a drop or of several forwards is in the list by then), and
// after a refused save again every two seconds until one succeeds (another program held the file
// a moment, the user made it read-only and answered "No" to quitting). A refusal is reported
// once, not at every try.
#include <optional>

namespace kest {

class TargetSaves {
 public:
  static constexpr unsigned kDelayMs = 250;
  static constexpr unsigned kRetryMs = 2000;

  // The list changed: the delay until its save, or nothing when a save is due already.
  std::optional<unsigned> Changed();
  struct Next {
    std::optional<unsigned> retryIn;  // try again this much later
    bool report = false;              // tell the user of the refusal
  };
  // A save was made, or refused. A refusal stays due whatever route made the save, and is
  // tried again until a save goes through; toldElsewhere: the route has told the user itself
  // (the exit's question), so the retries need not.
  Next Saved(bool written, bool toldElsewhere = false);
  bool Due() const { return due_; }

 private:
  bool due_ = false;
  bool reported_ = false;
};

}  // namespace kest
