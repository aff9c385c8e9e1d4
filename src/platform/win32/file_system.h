#pragma once
// The file system through the ANSI calls, each path handed over as system_view.h says.
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace kest::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  std::uint32_t attributes(const std::string& path) override;
  bool fileExists(const std::string& path) override;
  std::optional<FileStamp> fileStamp(const std::string& path) override;
  std::unique_ptr<DirListing> list(const std::string& directory) override;
  std::string currentDirectory() override;
  bool setCurrentDirectory(const std::string& directory) override;
  bool createDirectory(const std::string& path) override;
  bool removeDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool deleteFile(const std::string& path) override;
  bool moveFile(const std::string& from, const std::string& to) override;
  bool writeFile(const std::string& path, const std::string& bytes) override;
  bool replaceFile(const std::string& from, const std::string& to) override;
  bool overwriteFile(const std::string& path, const std::string& bytes) override;
  std::string linkTarget(const std::string& path) override;
  unsigned nameCount(const std::string& path) override;
  unsigned processId() override;
  bool setAttributes(const std::string& path, std::uint32_t attributes) override;
  unsigned lastError() override;
  std::string namedPath(const std::string& path) override;
  std::string namedFromOwnView(const std::string& path) override;
  std::string namedFromStarter(const std::string& path) override;
  bool namesDevice(const std::string& path) override;
  std::optional<std::string> readFile(const std::string& path) override;
};

// A file's bytes; nothing when it cannot be opened or read whole.
std::optional<std::string> ReadWholeFile(const std::string& path);
// A file's size and last-write time; nothing for a directory or nothing. Safe on any thread.
std::optional<FileStamp> StampOf(const std::string& path);
// Whether a process of this id is running.
bool ProcessRunning(unsigned id);

}  // namespace kest::win32
