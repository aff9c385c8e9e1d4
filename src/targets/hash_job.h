#pragma once
// A target's hashes, worked out on a thread of their own, and the text they go to the
// clipboard as.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/file_contents.h"

namespace kest {

// One line each, "MD5  <hex>  <name>", "SHA1  ...", "SHA256  ...", each ended "\r\n".
std::string HashesText(const FileDigests& digests, std::string_view fileName);
// The same without the name, for a row's tooltip: "MD5  <hex>", "SHA1  ...", "SHA256  ...".
std::string HashLines(const FileDigests& digests);
std::string LowerHex(std::string_view bytes);
// How far: 0 to 100 (an empty file is done at once).
int HashPercent(std::uint64_t done, std::uint64_t total);
// What the hashed target's row shows after its name: " (hashing 42%)".
std::string HashingSuffix(int percent);

class HashJob {
 public:
  // notify is called on the hashing thread whenever the percentage changes and once at the end.
  HashJob(FileContents& files, std::string path, std::function<void()> notify);
  ~HashJob();  // cancels the work and waits for the block being read
  HashJob(const HashJob&) = delete;
  HashJob& operator=(const HashJob&) = delete;

  const std::string& Path() const { return path_; }
  void Cancel() { cancel_ = true; }
  int Percent() const { return percent_; }
  bool Finished() const { return finished_; }
  // Once Finished.
  const HashResult& Result() const { return result_; }

 private:
  FileContents& files_;
  const std::string path_;
  std::function<void()> notify_;
  std::atomic<bool> cancel_{false};
  std::atomic<int> percent_{0};
  std::atomic<bool> finished_{false};
  HashResult result_;
  std::thread thread_;
};

}  // namespace kest
