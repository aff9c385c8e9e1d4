#pragma once
// A file's first bytes and its hashes, read with plain reads: the file is never loaded or mapped
// as a module. The hashes are the system's own (CNG, bcrypt.dll).
#include <cstddef>

#include "platform/file_contents.h"

namespace kest::win32 {

class Win32FileContents final : public FileContents {
 public:
  // blockBytes: how much hash() reads at a time.
  explicit Win32FileContents(std::size_t blockBytes = kHashBlockBytes) : blockBytes_(blockBytes ? blockBytes : 1) {}
  static constexpr std::size_t kHashBlockBytes = 1 << 20;

  std::optional<FileStamp> stamp(const std::string& path) override;
  std::optional<FileHead> readHead(const std::string& path, std::size_t maxBytes, unsigned& error) override;
  HashResult hash(const std::string& path, const std::atomic<bool>& cancel, const Progress& progress) override;
  std::string errorText(unsigned code) override;
  std::function<void()> cancellerForThisThread() override;

 private:
  std::size_t blockBytes_;
};

}  // namespace kest::win32
