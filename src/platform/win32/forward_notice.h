#pragma once
// The running copy's quick line: a mailslot of this session.
#include <string>

#include "platform/forward_notice.h"
#include "platform/win32/handles.h"

namespace kest::win32 {

// The quick line is a mailslot of this session, created by the running copy's main window.
std::string ForwardNoticeName();

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
