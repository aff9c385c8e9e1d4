#include "targets/facts_reader.h"

#include "platform/paths.h"

namespace kest {

namespace {
constexpr const char* kReadingFacts = "(reading the file)";
constexpr const char* kUnreadable = "Cannot be read: ";
constexpr const char* kNotAFile = "Not read: it is no file on a disk (a device, a pipe or the like)";
}  // namespace

std::string TargetTipText(const std::string& path, const FactsAnswer* answer,
                          const std::function<std::string(unsigned)>& errorText, const std::string& hashLines) {
  std::string tip = path + "\r\n";
  if (!answer) {
    tip += kReadingFacts;
  } else if (answer->facts) {
    tip += FactsLine(*answer->facts);
  } else if (answer->error == kNotAFileError) {
    tip += kNotAFile;
  } else {
    std::string reason = errorText ? errorText(answer->error) : std::string();
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
    if (reason.empty()) reason = "error " + std::to_string(answer->error);
    tip += kUnreadable + reason;
  }
  return hashLines.empty() ? tip : tip + "\r\n" + hashLines;
}

FactsReader::FactsReader(FileContents& files, std::function<void()> notify)
    : shared_(std::make_shared<Shared>(files, std::move(notify))) {}

FactsReader::~FactsReader() { StopWorker(thread_, *shared_, kReaderStopWaitMs); }

void FactsReader::Queue(const std::string& path, bool first) {
  Shared& s = *shared_;
  if (s.queued.insert(path).second) {
    if (first) s.queue.push_front(path);
    else s.queue.push_back(path);
    // The thread starts with the first question, not with the list.
    if (!thread_.joinable()) thread_ = std::thread([shared = shared_] { Run(shared); });
    s.wake.notify_one();
  } else if (first) {
    std::erase(s.queue, path);
    s.queue.push_front(path);
  }
}

std::optional<FactsAnswer> FactsReader::Ask(const std::string& path) {
  Shared& s = *shared_;
  std::lock_guard<std::mutex> lock(s.mutex);
  Queue(path, false);
  auto it = s.known.find(path);
  if (it == s.known.end()) return std::nullopt;
  return it->second.answer;
}

std::optional<FactsAnswer> FactsReader::Await(const std::string& path, std::chrono::milliseconds patience) {
  Shared& s = *shared_;
  std::unique_lock<std::mutex> lock(s.mutex);
  // A reading of the path already under way may have looked at the file before it changed.
  Queue(path, true);
  s.answered.wait_for(lock, patience, [&] { return s.stop || (!s.queued.count(path) && s.reading != path); });
  auto it = s.known.find(path);
  if (it == s.known.end()) return std::nullopt;
  return it->second.answer;
}

void FactsReader::SetNotify(std::function<void()> notify) {
  Shared& s = *shared_;
  std::lock_guard<std::mutex> lock(s.mutex);
  s.notify = std::move(notify);
}

std::optional<FactsAnswer> FactsReader::Known(const std::string& path) {
  Shared& s = *shared_;
  std::lock_guard<std::mutex> lock(s.mutex);
  auto it = s.known.find(path);
  if (it == s.known.end()) return std::nullopt;
  return it->second.answer;
}

void FactsReader::Run(const std::shared_ptr<Shared>& shared) {
  Shared& s = *shared;
  std::function<void()> cancel = s.files.cancellerForThisThread();
  std::unique_lock<std::mutex> lock(s.mutex);
  s.cancel = std::move(cancel);
  for (;;) {
    s.wake.wait(lock, [&] { return s.stop || !s.queue.empty(); });
    if (s.stop) break;
    const std::string path = s.queue.front();
    s.queue.pop_front();
    s.queued.erase(path);
    s.reading = path;
    lock.unlock();
    const std::optional<FileStamp> stamp = s.files.stamp(path);
    lock.lock();
    if (s.stop) break;
    auto it = s.known.find(path);
    // The same version of the file: the answer stands.
    if (stamp && it != s.known.end() && it->second.stamp == stamp) {
      s.reading.clear();
      s.answered.notify_all();
      continue;
    }
    lock.unlock();
    Entry read;
    read.stamp = stamp;
    unsigned error = 0;
    if (std::optional<FileHead> head = s.files.readHead(path, kFactsHeadBytes, error))
      read.answer.facts = ReadFileFacts(head->bytes, head->size, paths::FileNameOf(path));
    else
      read.answer.error = error;
    lock.lock();
    if (s.stop) break;
    s.known[path] = std::move(read);
    s.reading.clear();
    s.answered.notify_all();
    // Called outside the lock: whoever hears may ask again at once.
    const std::function<void()> notify = s.notify;
    lock.unlock();
    if (notify) notify();
    lock.lock();
  }
  s.reading.clear();
  s.done = true;
  s.ended.notify_all();
  s.answered.notify_all();
}

}  // namespace kest
