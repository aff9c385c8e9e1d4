#pragma once
// What a thread of its own needs to read the catalog: a file system, a shell link object and
// the program icons of its own (a shell link object belongs to the thread, and the COM apartment
// that made it, for its whole life).
#include <functional>
#include <memory>

#include "platform/file_system.h"
#include "platform/program_icons.h"
#include "platform/shell_links.h"

namespace kest {

class ThreadServices {
 public:
  virtual ~ThreadServices() = default;
  virtual FileSystem& fs() = 0;
  virtual ShellLinks& links() = 0;
  virtual ProgramIcons& icons() = 0;
};

// Called on the thread that is to use what it makes, and destroyed there.
using ThreadServicesFactory = std::function<std::unique_ptr<ThreadServices>()>;

}  // namespace kest
