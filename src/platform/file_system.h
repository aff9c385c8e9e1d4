#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/paths.h"

namespace kest {

struct DirEntry {
  std::string name;
  std::uint32_t attributes = 0;  // the Windows attribute word of the listing
};

// What tells one version of a file from the next: a rewritten file changes its size or its
// last-write time (in FILETIME ticks).
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
  bool operator==(const FileStamp&) const = default;
};

// One open directory listing, in the order the file system returns its entries.
class DirListing {
 public:
  virtual ~DirListing() = default;
  // False when the listing has no more entries.
  virtual bool next(DirEntry& entry) = 0;
};

// The file system as the program's logic sees it.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The Windows attribute word, or kInvalidAttributes when the path cannot be read.
  virtual std::uint32_t attributes(const std::string& path) = 0;
  // True for an existing file; false for a directory or nothing.
  virtual bool fileExists(const std::string& path) = 0;
  // Size and last-write time of an existing file; nothing for a directory or nothing, as
  // fileExists says.
  virtual std::optional<FileStamp> fileStamp(const std::string& path) = 0;
  // Lists the directory (pattern "*.*"); nullptr when it cannot be opened.
  virtual std::unique_ptr<DirListing> list(const std::string& directory) = 0;
  // With its trailing backslash.
  virtual std::string currentDirectory() = 0;
  virtual bool setCurrentDirectory(const std::string& directory) = 0;
  // CreateDirectoryA: false when it could not be made (also when it exists).
  virtual bool createDirectory(const std::string& path) = 0;
  // RemoveDirectoryA, which removes empty directories only.
  virtual bool removeDirectory(const std::string& path) = 0;
  // CopyFileA; false on failure, with the reason in lastError().
  virtual bool copyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  // DeleteFileA: files only; a read-only file is refused.
  virtual bool deleteFile(const std::string& path) = 0;
  // MoveFileA: moves or renames a file or a directory; refused when the new name exists.
  virtual bool moveFile(const std::string& from, const std::string& to) = 0;
  // Creates or replaces the file with the bytes and flushes them to the disk; false when any of
  // it failed, and then the file may hold part of them.
  virtual bool writeFile(const std::string& path, const std::string& bytes) = 0;
  // The file takes the other's place in one step, keeping what the other is: its attributes and
  // permissions (a missing other is simply made). from is gone afterwards.
  virtual bool replaceFile(const std::string& from, const std::string& to) = 0;
  // Writes the bytes into the existing file itself, cutting it to their length, and flushes
  // them: every name, link, attribute and permission of the file stays. False when any of it
  // failed, and then the file may hold part of them.
  virtual bool overwriteFile(const std::string& path, const std::string& bytes) = 0;
  // The file a path leads to: for a link (a symbolic link, a junction above it), the file it
  // names; otherwise, and for a path that names nothing, the path itself.
  virtual std::string linkTarget(const std::string& path) { return path; }
  // How many names the file has (hard links); 0 when it is not there.
  virtual unsigned nameCount(const std::string& path) = 0;
  // This process's id, which names its temporary files beside the ones it saves.
  virtual unsigned processId() = 0;
  // SetFileAttributesA; the directory bit of a directory stays whatever is asked.
  virtual bool setAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // The calling thread's last system error code.
  virtual unsigned lastError() = 0;
  // The file's bytes, read whole; nothing when it cannot be opened or a read fails part-way
  // (a part taken for the whole would be saved back over the rest).
  virtual std::optional<std::string> readFile(const std::string& path) = 0;
  // True for a path that is no file on a disk but a device or a pipe, which a copy could wait
  // on for ever: by its name (paths::NamesDevice), and where the system can tell without reading
  // it, by what it is.
  virtual bool namesDevice(const std::string& path) { return paths::NamesDevice(path); }
  // The path as the user names it and Kest stores it: a 32-bit Kest on 64-bit Windows names a
  // path given through <Windows>\Sysnative under System32, which every Kest reaches.
  virtual std::string namedPath(const std::string& path) { return path; }
  // A path chosen in this process's own open dialog, as the user saw it: a 32-bit Kest on 64-bit
  // Windows shows SysWOW64's files under the name System32 there.
  virtual std::string namedFromOwnView(const std::string& path) { return namedPath(path); }
  // A path given on the command line, as the program that started Kest named it (a 32-bit
  // console names SysWOW64's files under System32).
  virtual std::string namedFromStarter(const std::string& path) { return namedPath(path); }
};

}  // namespace kest
