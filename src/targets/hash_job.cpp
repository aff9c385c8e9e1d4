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
    : files_(files), path_(std::move(path)), notify_(std::move(notify)) {
  thread_ = std::thread([this] {
    result_ = files_.hash(path_, cancel_, [this](std::uint64_t done, std::uint64_t total) {
      const int percent = HashPercent(done, total);
      if (percent_.exchange(percent) != percent && notify_) notify_();
    });
    finished_ = true;
    if (notify_) notify_();
  });
}

HashJob::~HashJob() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace kest
