#include "platform/win32/forward_notice.h"

#include <windows.h>

namespace kest::win32 {

std::string ForwardNoticeName() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return "\\\\.\\mailslot\\KestComLine." + std::to_string(session);
}

bool MailslotForwardNotice::listening() {
  if (!opened_) {
    opened_ = true;
    slot_ = OwnedFile(CreateFileA(ForwardNoticeName().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  return static_cast<bool>(slot_);
}

bool MailslotForwardNotice::post(AtomValue atom) {
  if (!listening()) return false;
  DWORD written = 0;
  return WriteFile(slot_.get(), &atom, sizeof(atom), &written, nullptr) && written == sizeof(atom);
}

}  // namespace kest::win32
