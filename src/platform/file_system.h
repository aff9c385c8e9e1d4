#pragma once
#include <cstdint>
#include <string>

namespace kest {

// The file system as the program's logic sees it.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The Windows attribute word, or kInvalidAttributes when the path cannot be read.
  virtual std::uint32_t attributes(const std::string& path) = 0;
};

}  // namespace kest
