#include "targets/target_icons.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <set>
#include <unordered_map>

#include "platform/paths.h"
#include "targets/facts_reader.h"
#include "targets/icon_protocol.h"
#include "targets/target_kind.h"

namespace kest {

namespace {

using Clock = std::chrono::steady_clock;
using Job = std::pair<std::string, int>;  // a file or a type, and the side

// The longest a wait for the helper goes without looking whether the work is to stop.
constexpr unsigned kWaitSliceMs = 100;
// How long the end of the work waits for a step before leaving it to end on its own.
constexpr unsigned kEndWaitMs = 2000;

// The file's kind, from its first bytes when it has any and may be read; head keeps them.
FileFacts ReadKind(FileContents& files, const std::string& path, bool read, std::string& head) {
  const std::string name = paths::FileNameOf(path);
  if (!read) return ReadFileFacts(std::string_view(), 0, name);
  const std::optional<FileStamp> stamp = files.stamp(path);
  // An empty file has nothing to read; a device says it is one, and a read of it may never end.
  if (stamp && stamp->size > 0) {
    unsigned error = 0;
    if (std::optional<FileHead> read = files.readHead(path, kFactsHeadBytes, error)) {
      head = std::move(read->bytes);
      return ReadFileFacts(head, read->size, name);
    }
  }
  return ReadFileFacts(std::string_view(), stamp ? stamp->size : 0, name);
}

bool IsSlash(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool ReadWhenDrawn(std::string_view path, const std::function<bool(char letter)>& remoteDrive) {
  // A local drive with its root, also in the long form "\\?\C:\x".
  if (path.size() >= 4 && IsSlash(path[0]) && IsSlash(path[1]) && path[2] == '?' && IsSlash(path[3]))
    path.remove_prefix(4);
  return path.size() >= 3 && paths::HasDriveLetter(path) && IsSlash(path[2]) && !(remoteDrive && remoteDrive(path[0]));
}

struct TargetIcons::Shared {
  Shared(FileContents& f, HelperStarter s, std::function<void()> n, Limits l)
      : files(f), startHelper(std::move(s)), notify(std::move(n)), limits(l) {}

  FileContents& files;
  const HelperStarter startHelper;
  const std::function<void()> notify;
  const Limits limits;

  std::mutex mutex;
  std::condition_variable wake;      // work to do, or the end
  std::condition_variable ended;  // the working thread is done
  std::function<void()> cancel;   // ends a read of the working thread's that waits
  bool stop = false;
  bool done = false;
  std::deque<Job> toRead, types, toTake;  // kinds to read; types' icons; files' own icons
  std::set<Job> asked, typesAsked;
  std::set<std::string> givenUp;  // files and types that cost a helper
  std::set<std::string> byName;   // files known by their names alone
  std::unordered_map<std::string, FileFacts> facts;
  std::vector<Answer> answers;

  // The working thread's own.
  std::unique_ptr<HelperProcess> helper;
  int losses = 0;  // helpers lost one after another

  // Adds an answer (the lock held); true when the taker is to be told.
  bool Post(Answer answer) {
    answers.push_back(std::move(answer));
    return answers.size() == 1;
  }
  bool Stopping() {
    std::lock_guard<std::mutex> lock(mutex);
    return stop;
  }

  // Up to count bytes more of the helper's answer into into, before the deadline.
  bool ReceiveAll(std::string& into, std::size_t count, Clock::time_point deadline) {
    const std::size_t want = into.size() + count;
    while (into.size() < want) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0 || Stopping()) return false;
      const unsigned slice = static_cast<unsigned>(std::min<long long>(left, kWaitSliceMs));
      if (helper->receive(into, want - into.size(), slice) == HelperProcess::Received::Ended) return false;
    }
    return into.size() == want;
  }

  // A helper that has said it is ready, started when none runs.
  bool Ready() {
    if (helper) return true;
    if (losses >= limits.lossesInARow) return false;
    helper = startHelper ? startHelper() : nullptr;
    std::string hello;
    if (helper && ReceiveAll(hello, kAnswerHeaderBytes, Clock::now() + std::chrono::milliseconds(limits.startMs)) &&
        IsHelperHello(hello))
      return true;
    helper.reset();
    if (!Stopping()) ++losses;
    return false;
  }

  // The icon the helper finds for the file or type. A helper that fails to answer in time and in
  // form is ended, and what it was asked about is given up.
  std::optional<IconPixels> Fetch(IconOf of, const std::string& name, int side) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (stop || givenUp.count(name)) return std::nullopt;
    }
    if (!Ready()) return std::nullopt;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limits.answerMs);
    std::string header, body;
    std::optional<AnswerHeader> answer;
    if (helper->send(EncodeRequest(IconRequest{of, side, name})) &&
        ReceiveAll(header, kAnswerHeaderBytes, deadline))
      answer = DecodeAnswerHeader(header, side);
    if (answer && (!answer->icon || ReceiveAll(body, IconBodyBytes(side), deadline))) {
      losses = 0;
      if (!answer->icon) return std::nullopt;
      return IconFromBody(body, side);
    }
    // Crashed, hung, or spoke out of turn: what it says later must never pass for the answer to
    // the next question.
    helper.reset();
    std::lock_guard<std::mutex> lock(mutex);
    if (!stop) {
      givenUp.insert(name);
      ++losses;
    }
    return std::nullopt;
  }
};

TargetIcons::TargetIcons(FileContents& files, HelperStarter startHelper, std::function<void()> notify, Limits limits)
    : shared_(std::make_shared<Shared>(files, std::move(startHelper), std::move(notify), limits)) {}

TargetIcons::~TargetIcons() {
  // The thread keeps what it shares with this object alive until it ends.
  StopWorker(thread_, *shared_, kEndWaitMs);
}

void TargetIcons::Ask(const std::string& path, int side, bool read) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (shared_->stop || !shared_->asked.insert({path, side}).second) return;
  if (!read) shared_->byName.insert(path);
  shared_->toRead.push_back({path, side});
  // The thread starts with the first row drawn, not with the list.
  if (!thread_.joinable()) thread_ = std::thread([shared = shared_] { Run(shared); });
  shared_->wake.notify_one();
}

std::vector<TargetIcons::Answer> TargetIcons::Take() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  std::vector<Answer> taken;
  taken.swap(shared_->answers);
  return taken;
}

std::optional<FileFacts> TargetIcons::FactsOf(const std::string& path) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  auto it = shared_->facts.find(path);
  if (it == shared_->facts.end()) return std::nullopt;
  return it->second;
}

void TargetIcons::Run(const std::shared_ptr<Shared>& shared) {
  Shared& s = *shared;
  std::function<void()> cancel = s.files.cancellerForThisThread();
  std::unique_lock<std::mutex> lock(s.mutex);
  s.cancel = std::move(cancel);
  for (;;) {
    s.wake.wait(lock, [&s] { return s.stop || !s.toRead.empty() || !s.types.empty() || !s.toTake.empty(); });
    if (s.stop) break;
    bool tell = false;
    // Every kind waiting first, then the kinds' icons, then the files' own: a row shows its
    // kind's icon before any file's own icon is taken.
    if (!s.toRead.empty()) {
      const Job job = s.toRead.front();
      s.toRead.pop_front();
      const bool read = !s.byName.count(job.first);
      lock.unlock();
      std::string head;
      const FileFacts facts = ReadKind(s.files, job.first, read, head);
      lock.lock();
      if (s.stop) break;
      if (read) s.facts[job.first] = facts;
      std::string type = KindIconType(facts, paths::FileNameOf(job.first));
      if (!type.empty() && s.typesAsked.insert({type, job.second}).second) s.types.push_back({type, job.second});
      if (MayCarryIcon(facts, head)) s.toTake.push_back(job);
      tell = s.Post(Answer{Answer::Of::Kind, job.first, job.second, std::move(type), std::nullopt});
    } else {
      const bool type = !s.types.empty();
      std::deque<Job>& from = type ? s.types : s.toTake;
      const Job job = from.front();
      from.pop_front();
      lock.unlock();
      std::optional<IconPixels> icon = s.Fetch(type ? IconOf::Type : IconOf::File, job.first, job.second);
      lock.lock();
      if (s.stop) break;
      tell = s.Post(Answer{type ? Answer::Of::Type : Answer::Of::File, job.first, job.second, std::string(),
                           std::move(icon)});
    }
    if (tell && s.notify) {
      lock.unlock();
      s.notify();
      lock.lock();
    }
  }
  lock.unlock();
  s.helper.reset();
  lock.lock();
  s.done = true;
  s.ended.notify_all();
}

}  // namespace kest
