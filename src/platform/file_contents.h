#pragma once
// A file's bytes as data, never as a program: its first bytes and its hashes. The calls may be
// made from any thread, and from several at once.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace kest {

// The first bytes of a file and its whole size.
struct FileHead {
  std::string bytes;       // at most the bytes asked for
  std::uint64_t size = 0;  // of the whole file
};

// MD5, SHA-1 and SHA-256 of a file, as raw bytes (16, 20 and 32 of them).
struct FileDigests {
  std::string md5, sha1, sha256;
};

enum class HashStatus { Done, Cancelled, Failed };

struct HashResult {
  HashStatus status = HashStatus::Failed;
  unsigned error = 0;  // the system's error code when Failed
  FileDigests digests;
};

// The error code of a path that is no file on a disk (a device, a pipe): it is not read at all,
// since a read of it may wait for ever. It lies in the range Windows leaves to programs.
inline constexpr unsigned kNotAFileError = 0x20000001u;

class FileContents {
 public:
  virtual ~FileContents() = default;
  // Size and last-write time; nothing for a directory or nothing.
  virtual std::optional<FileStamp> stamp(const std::string& path) = 0;
  // The first maxBytes bytes (fewer in a shorter file) and the size; nothing when the file
  // cannot be opened or read, with the reason in error.
  virtual std::optional<FileHead> readHead(const std::string& path, std::size_t maxBytes, unsigned& error) = 0;
  // The three hashes of the whole file, read in blocks. cancel is looked at before each block;
  // progress hears the bytes done and the size after each block.
  using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;
  virtual HashResult hash(const std::string& path, const std::atomic<bool>& cancel, const Progress& progress) = 0;
  // The system's text for an error code these calls gave; empty when it has none.
  virtual std::string errorText(unsigned code) = 0;
  // Called on a reading thread: something another thread may call to cancel the read or open
  // this thread is waiting in at that moment (a share that stopped answering). Nothing where
  // reads cannot be cancelled; not every read can be, so the caller never relies on it alone.
  virtual std::function<void()> cancellerForThisThread() { return {}; }
};

}  // namespace kest
