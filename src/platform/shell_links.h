#pragma once
#include <string>

namespace kest {

// The shell's link object: the only writer and reader of shortcut contents.
class ShellLinks {
 public:
  virtual ~ShellLinks() = default;
  // Writes a link file holding the path, arguments and working directory. Throws KestError
  // when the link object cannot be created; false when the file could not be saved (a missing
  // folder, no rights), so that nobody is told of a tool that is not there.
  virtual bool write(const std::string& linkFile, const std::string& path,
                     const std::string& arguments, const std::string& workingDirectory) = 0;
  // The program path the link file names, not resolved; empty when nothing could be read.
  virtual std::string readPath(const std::string& linkFile) = 0;
  // The arguments the link file stores for its program; empty when none or unreadable.
  virtual std::string readArguments(const std::string& linkFile) = 0;
};

}  // namespace kest
