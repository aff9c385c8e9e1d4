#pragma once
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace kest {

// Starting programs and handing files to the shell.
class Processes {
 public:
  virtual ~Processes() = default;
  // WinExec: above 31 on success, otherwise its error code.
  virtual unsigned winExec(const std::string& commandLine, int show) = 0;
  // Whether the last winExec failed because the program asks for administrator rights.
  virtual bool lastStartNeedsElevation() = 0;
  // ShellExecuteA with an empty verb meaning the default one; above 32 on success.
  virtual std::intptr_t shellExecute(WindowHandle owner, const std::string& verb,
                                     const std::string& file, const std::string& parameters,
                                     const std::string& directory, int show) = 0;
  // The shell's properties sheet of a file.
  virtual bool showProperties(const std::string& path) = 0;
  // The system's text for a WinExec or ShellExecuteA failure code; empty when it has none.
  virtual std::string errorText(unsigned code) = 0;
  // Whether the system runs 64-bit programs (a 32-bit program asks whether it runs under WoW64).
  virtual bool is64BitWindows() = 0;
};

}  // namespace kest
