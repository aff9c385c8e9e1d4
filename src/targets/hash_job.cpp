#include "targets/hash_job.h"

#include <algorithm>
#include <cstdint>

namespace kest {

std::string LowerHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

std::string HashesText(const FileDigests& digests, std::string_view fileName) {
  const std::string name(fileName);
  return "MD5  " + LowerHex(digests.md5) + "  " + name + "\r\n" +
         "SHA1  " + LowerHex(digests.sha1) + "  " + name + "\r\n" +
         "SHA256  " + LowerHex(digests.sha256) + "  " + name + "\r\n";
}

std::string HashLines(const FileDigests& digests) {
  return "MD5  " + LowerHex(digests.md5) + "\r\nSHA1  " + LowerHex(digests.sha1) + "\r\nSHA256  " +
         LowerHex(digests.sha256);
}

int HashPercent(std::uint64_t done, std::uint64_t total) {
  if (total == 0 || done >= total) return 100;
  // done * 100 stays in range for every size a disk holds; beyond that, by hundredths of total.
  if (total > UINT64_MAX / 100) return static_cast<int>(std::min<std::uint64_t>(99, done / (total / 100)));
  return static_cast<int>(done * 100 / total);
}

std::string HashingSuffix(int percent) { return " (hashing " + std::to_string(percent) + "%)"; }

HashJob::HashJob(FileContents& files, std::string path, std::function<void()> notify)
    : shared_(std::make_shared<Shared>(files, std::move(path), std::move(notify))) {
  thread_ = std::thread([shared = shared_] {
    Shared& s = *shared;
    {
      std::function<void()> cancel = s.files.cancellerForThisThread();
      std::lock_guard<std::mutex> lock(s.mutex);
      s.cancel = std::move(cancel);
    }
    s.result = s.files.hash(s.path, s.cancelled, [&s](std::uint64_t done, std::uint64_t total) {
      const int percent = HashPercent(done, total);
      if (s.percent.exchange(percent) != percent && s.notify) s.notify();
    });
    s.finished = true;
    if (s.notify) s.notify();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.done = true;
    s.ended.notify_all();
  });
}

HashJob::~HashJob() {
  shared_->cancelled = true;
  StopWorker(thread_, *shared_, kReaderStopWaitMs);
}

}  // namespace kest
