#pragma once
// The named objects by which the starts of Kest in one session find each other.
#include <string>
#include <utility>

#include "platform/instance_objects.h"
#include "platform/win32/handles.h"

namespace kest::win32 {

// Named mutexes of the session: the start lock is owned for a moment by the start that
// decides; the sign of life is only held open, never owned, by every running copy.
class Win32InstanceObjects final : public InstanceObjects {
 public:
  explicit Win32InstanceObjects(std::string lockName = "KestStartUp", std::string aliveName = "KestRunning")
      : lockName_(std::move(lockName)), aliveName_(std::move(aliveName)) {}
  Win32InstanceObjects(const Win32InstanceObjects&) = delete;
  Win32InstanceObjects& operator=(const Win32InstanceObjects&) = delete;
  ~Win32InstanceObjects() override { unlockStart(); }
  bool lockStart(unsigned timeoutMs) override;
  void unlockStart() override;
  bool anyAlive() override;
  void holdAlive() override;
  std::uint64_t milliseconds() override;
  void pause(unsigned ms) override;

 private:
  std::string lockName_;
  std::string aliveName_;
  OwnedHandle lock_;
  bool locked_ = false;
  OwnedHandle alive_;
};

}  // namespace kest::win32
