#include "platform/win32/instance_objects.h"

#include <windows.h>

namespace kest::win32 {

bool Win32InstanceObjects::lockStart(unsigned timeoutMs) {
  if (locked_) return true;
  // A name another program took for an object of another kind gives no lock: the start then
  // decides without one, as every start did before there was a lock.
  if (!lock_) lock_.reset(CreateMutexA(nullptr, FALSE, lockName_.c_str()));
  if (!lock_) return false;
  DWORD waited = WaitForSingleObject(lock_.get(), timeoutMs);
  // An abandoned lock belonged to a start that died while deciding: what it left is looked at
  // anew under the lock, so it is as good as a free one.
  locked_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  return locked_;
}

void Win32InstanceObjects::unlockStart() {
  if (locked_) ReleaseMutex(lock_.get());
  locked_ = false;
}

bool Win32InstanceObjects::anyAlive() {
  OwnedHandle alive(OpenMutexA(SYNCHRONIZE, FALSE, aliveName_.c_str()));
  // A copy run as administrator makes an object that a plain start may not open: it is there.
  return alive || GetLastError() == ERROR_ACCESS_DENIED;
}

void Win32InstanceObjects::holdAlive() {
  if (!alive_) alive_.reset(CreateMutexA(nullptr, FALSE, aliveName_.c_str()));
}

std::uint64_t Win32InstanceObjects::milliseconds() { return GetTickCount64(); }

void Win32InstanceObjects::pause(unsigned ms) { Sleep(ms); }

}  // namespace kest::win32
