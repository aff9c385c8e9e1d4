#pragma once
#include <cstdint>

namespace kest {

// The named objects of this session that single instance rests on beside the atoms: a lock
// that lets one start at a time decide, and a sign of life that every running copy holds for
// its whole life. The system removes the sign with the last process that holds it, also one
// that crashed, so it tells a copy that is still starting from a marker a dead copy left.
class InstanceObjects {
 public:
  virtual ~InstanceObjects() = default;
  // Waits up to timeoutMs for the start lock; true when this process holds it now, also when
  // the start that held it ended without letting go.
  virtual bool lockStart(unsigned timeoutMs) = 0;
  virtual void unlockStart() = 0;
  // True while any copy holds the sign of life.
  virtual bool anyAlive() = 0;
  // This process holds the sign of life from now until it ends.
  virtual void holdAlive() = 0;
  // A steady clock in milliseconds, and a pause between two looks for a starting copy's window.
  virtual std::uint64_t milliseconds() = 0;
  virtual void pause(unsigned ms) = 0;
};

}  // namespace kest
