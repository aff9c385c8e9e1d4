#include "targets/facts_reader.h"

#include "platform/paths.h"

namespace kest {

namespace {
constexpr const char* kReadingFacts = "(reading the file)";
constexpr const char* kUnreadable = "Cannot be read: ";
}  // namespace

std::string TargetTipText(const std::string& path, const FactsAnswer* answer,
                          const std::function<std::string(unsigned)>& errorText, const std::string& hashLines) {
  std::string tip = path + "\r\n";
  if (!answer) {
    tip += kReadingFacts;
  } else if (answer->facts) {
    tip += FactsLine(*answer->facts);
  } else {
    std::string reason = errorText ? errorText(answer->error) : std::string();
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
    if (reason.empty()) reason = "error " + std::to_string(answer->error);
    tip += kUnreadable + reason;
  }
  return hashLines.empty() ? tip : tip + "\r\n" + hashLines;
}

FactsReader::FactsReader(FileContents& files, std::function<void()> notify)
    : files_(files), notify_(std::move(notify)) {}

FactsReader::~FactsReader() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

std::optional<FactsAnswer> FactsReader::Ask(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (queued_.insert(path).second) {
    queue_.push_back(path);
    // The thread starts with the first question, not with the list.
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    wake_.notify_one();
  }
  auto it = known_.find(path);
  if (it == known_.end()) return std::nullopt;
  return it->second.answer;
}

std::optional<FactsAnswer> FactsReader::Known(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = known_.find(path);
  if (it == known_.end()) return std::nullopt;
  return it->second.answer;
}

void FactsReader::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (stop_) return;
    const std::string path = queue_.front();
    queue_.pop_front();
    queued_.erase(path);
    lock.unlock();
    const std::optional<FileStamp> stamp = files_.stamp(path);
    lock.lock();
    auto it = known_.find(path);
    // The same version of the file: the answer stands.
    if (stamp && it != known_.end() && it->second.stamp == stamp) continue;
    lock.unlock();
    Entry read;
    read.stamp = stamp;
    unsigned error = 0;
    if (std::optional<FileHead> head = files_.readHead(path, kFactsHeadBytes, error))
      read.answer.facts = ReadFileFacts(head->bytes, head->size, paths::FileNameOf(path));
    else
      read.answer.error = error;
    lock.lock();
    known_[path] = std::move(read);
    lock.unlock();
    if (notify_) notify_();
    lock.lock();
  }
}

}  // namespace kest
