#pragma once
#include "platform/atom_table.h"

namespace kest {

// A quick line from a second start to the running copy, beside the window message: it needs
// no window search, so the running copy can take the argument over while the second start is
// still loading what the search needs.
class ForwardNotice {
 public:
  virtual ~ForwardNotice() = default;
  // True when a running copy listens on the line.
  virtual bool listening() = 0;
  // Hands over the value of a forwarding atom; false when it could not be delivered.
  virtual bool post(AtomValue atom) = 0;
};

}  // namespace kest
