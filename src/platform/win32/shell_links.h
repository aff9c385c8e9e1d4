#pragma once
// Shell links through the shell's link object.
#include <windows.h>
#include <shobjidl.h>

#include "platform/shell_links.h"
#include "platform/win32/com_ptr.h"

namespace kest::win32 {

// IShellLinkA and IPersistFile of the shell's link object; COM must be initialised on the
// calling thread.
class ComShellLinks final : public ShellLinks {
 public:
  bool write(const std::string& linkFile, const std::string& path, const std::string& arguments,
            const std::string& workingDirectory) override;
  std::string readPath(const std::string& linkFile) override;
  std::string readArguments(const std::string& linkFile) override;

 private:
  bool load(const std::string& linkFile);
  ComPtr<IShellLinkA> reader_;
  ComPtr<IPersistFile> readerFile_;
};

}  // namespace kest::win32
