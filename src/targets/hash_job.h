#pragma once
// A target's hashes, worked out on a thread of their own, and the text they go to the
// clipboard as.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/file_contents.h"
#include "targets/facts_reader.h"

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
  // Cancels the work: the thread stops before its next block, and one still in a read after
  // kReaderStopWaitMs is left to end by itself (facts_reader.h).
  ~HashJob();
  HashJob(const HashJob&) = delete;
  HashJob& operator=(const HashJob&) = delete;

  const std::string& Path() const { return shared_->path; }
  void Cancel() { shared_->cancelled = true; }
  int Percent() const { return shared_->percent; }
  bool Finished() const { return shared_->finished; }
  // Once Finished.
  const HashResult& Result() const { return shared_->result; }

 private:
  struct Shared {
    Shared(FileContents& f, std::string p, std::function<void()> n)
        : files(f), path(std::move(p)), notify(std::move(n)) {}
    FileContents& files;
    const std::string path;
    std::function<void()> notify;
    std::atomic<bool> cancelled{false};
    std::atomic<int> percent{0};
    std::atomic<bool> finished{false};
    HashResult result;
    // For StopWorker.
    std::mutex mutex;
    std::condition_variable wake, ended;
    std::function<void()> cancel;
    bool stop = false;
    bool done = false;
  };
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace kest
