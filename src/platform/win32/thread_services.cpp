#include "platform/win32/thread_services.h"

#include "platform/win32/com_ptr.h"
#include "platform/win32/program_icons.h"
#include "platform/win32/file_system.h"
#include "platform/win32/shell_links.h"

namespace kest::win32 {

namespace {

class Win32ThreadServices final : public ThreadServices {
 public:
  FileSystem& fs() override { return fs_; }
  ShellLinks& links() override { return links_; }
  ProgramIcons& icons() override { return icons_; }

 private:
  // Declared first: the link object goes before the apartment it lives in.
  ComApartment com_;
  Win32FileSystem fs_;
  ComShellLinks links_;
  Win32ProgramIcons icons_;
};

}  // namespace

std::unique_ptr<ThreadServices> MakeThreadServices() { return std::make_unique<Win32ThreadServices>(); }

}  // namespace kest::win32
