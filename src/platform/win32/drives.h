#pragma once
// A drive's kind, as the system tells it.
#include "platform/drives.h"

namespace kest::win32 {

class Win32Drives final : public Drives {
 public:
  DriveType type(char letter) override;
};

}  // namespace kest::win32
