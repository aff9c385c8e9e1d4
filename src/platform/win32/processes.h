#pragma once
// Programs started through WinExec and the shell, and the system's texts for their failures.
#include "platform/processes.h"

namespace kest::win32 {

class Win32Processes final : public Processes {
 public:
  unsigned winExec(const std::string& commandLine, int show) override;
  std::intptr_t shellExecute(WindowHandle owner, const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& directory, int show) override;
  bool showProperties(const std::string& path) override;
  std::string errorText(unsigned code) override;
  bool lastStartNeedsElevation() override { return needsElevation_; }
  bool is64BitWindows() override;

 private:
  bool needsElevation_ = false;
};

// The system's text for an error code (FormatMessage); empty when it has none.
std::string SystemErrorText(unsigned code);

}  // namespace kest::win32
