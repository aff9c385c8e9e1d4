#include "targets/facts_reader.h"

#include "platform/paths.h"

namespace kest {

namespace {
constexpr const char* kReadingFacts = "(reading the file)";
constexpr const char* kUnreadable = "Cannot be read: ";
}  // namespace

std::string TargetTipText(const std::string& path, const FactsAnswer* answer,
                          const std::function<std::string(unsigned)>& errorText) {
  std::string tip = path + "\r\n";
  if (!answer) return tip + kReadingFacts;
  if (answer->facts) return tip + FactsLine(*answer->facts);
  std::string reason = errorText ? errorText(answer->error) : std::string();
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
  if (reason.empty()) reason = "error " + std::to_string(answer->error);
  return tip + kUnreadable + reason;
}

FactsReader::FactsReader(FileContents& files, std::function<void()> notify)
    : files_(files), notify_(std::move(notify)) {}

FactsReader::~FactsReader() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  answered_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void FactsReader::Queue(const std::string& path, bool first) {
  if (queued_.insert(path).second) {
    if (first) queue_.push_front(path);
    else queue_.push_back(path);
    // The thread starts with the first question, not with the list.
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    wake_.notify_one();
  } else if (first) {
    std::erase(queue_, path);
    queue_.push_front(path);
  }
}

std::optional<FactsAnswer> FactsReader::Ask(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  Queue(path, false);
  auto it = known_.find(path);
  if (it == known_.end()) return std::nullopt;
  return it->second.answer;
}

std::optional<FactsAnswer> FactsReader::Await(const std::string& path, std::chrono::milliseconds patience) {
  std::unique_lock<std::mutex> lock(mutex_);
  // A reading of the path already under way may have looked at the file before it changed.
  Queue(path, true);
  answered_.wait_for(lock, patience, [&] { return stop_ || (!queued_.count(path) && reading_ != path); });
  auto it = known_.find(path);
  if (it == known_.end()) return std::nullopt;
  return it->second.answer;
}

void FactsReader::SetNotify(std::function<void()> notify) {
  std::lock_guard<std::mutex> lock(mutex_);
  notify_ = std::move(notify);
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
    reading_ = path;
    lock.unlock();
    const std::optional<FileStamp> stamp = files_.stamp(path);
    lock.lock();
    auto it = known_.find(path);
    // The same version of the file: the answer stands.
    if (stamp && it != known_.end() && it->second.stamp == stamp) {
      reading_.clear();
      answered_.notify_all();
      continue;
    }
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
    reading_.clear();
    answered_.notify_all();
    // Called outside the lock: whoever hears may ask again at once.
    const std::function<void()> notify = notify_;
    lock.unlock();
    if (notify) notify();
    lock.lock();
  }
}

}  // namespace kest
