#pragma once
// The running copy's quick line: a mailslot of this session.
#include <string>

#include "platform/forward_notice.h"
#include "platform/win32/handles.h"

namespace kest::win32 {

// The quick line is a mailslot of this session, created by the running copy's main window.
std::string ForwardNoticeName();

// What the running copy's forwarding objects are made with, so that a start of this user without
// administrator rights reaches a copy that has them: this user, the system and the
// administrators may use them, and writers of medium integrity may write (a copy run as
// administrator would otherwise make them for administrators alone, at high integrity).
// Empty (the system's default) where the system takes no such description.
class ForwardSecurity {
 public:
  ForwardSecurity();
  ForwardSecurity(const ForwardSecurity&) = delete;
  ForwardSecurity& operator=(const ForwardSecurity&) = delete;
  ~ForwardSecurity();
  SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }
  // The description, as the system writes it back; empty without one.
  std::string text() const;

 private:
  void* descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

// A copy run as administrator still hears the forwarding message from starts without those
// rights (the system drops messages from lower rights unless the window lets them through).
void AcceptForwardsFromLowerRights(HWND window, unsigned message);

class MailslotForwardNotice final : public ForwardNotice {
 public:
  MailslotForwardNotice() = default;
  MailslotForwardNotice(const MailslotForwardNotice&) = delete;
  MailslotForwardNotice& operator=(const MailslotForwardNotice&) = delete;
  bool listening() override;
  bool post(AtomValue atom) override;

 private:
  OwnedHandle slot_;
  bool opened_ = false;
};

}  // namespace kest::win32
