#pragma once
// The facts of the targets, read on a thread of their own as they are asked for, once per file
// and version of it (size and last-write time): a list of thousands costs nothing until a row
// is pointed at, and a slow disk never holds up the window.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>

#include "platform/file_contents.h"
#include "targets/file_facts.h"

namespace kest {

// What is known of one file: its facts, or the system's error code of a failed read.
struct FactsAnswer {
  std::optional<FileFacts> facts;
  unsigned error = 0;
};

// The tooltip of a row: the full path, then the facts line, the failure or that they are
// still being read, then the file's hashes once "Copy hashes" has worked them out.
// errorText gives the system's text of an error code.
std::string TargetTipText(const std::string& path, const FactsAnswer* answer,
                          const std::function<std::string(unsigned)>& errorText, const std::string& hashLines = "");

// How long the window's thread waits for a reading thread to end before it leaves it behind:
// nothing cancels every read (a serial port with nothing on the line, a share that stopped
// answering), and the window never waits on one.
inline constexpr unsigned kReaderStopWaitMs = 250;

// How long a launch, a menu or a double click waits for a target's first bytes: a local file
// takes a few milliseconds; a share that does not answer, or a device that blocks, is not
// waited for.
inline constexpr std::chrono::milliseconds kFactsPatience{2000};

class FactsReader {
 public:
  // notify is called on the reading thread after each new answer.
  FactsReader(FileContents& files, std::function<void()> notify);
  // Stops the reading thread, cancelling the read at hand where the system can; a thread still
  // in a read after kReaderStopWaitMs is left to end by itself and touches nothing of this
  // object's when it does.
  ~FactsReader();
  FactsReader(const FactsReader&) = delete;
  FactsReader& operator=(const FactsReader&) = delete;

  // The last answer for the path (nothing yet: it has not been read); asks the reading thread
  // to read the file, or to look whether it changed since.
  std::optional<FactsAnswer> Ask(const std::string& path);
  // The last answer for the path, asking for nothing.
  std::optional<FactsAnswer> Known(const std::string& path);
  // The answer for the file as it is now: asked before anything else waiting, and waited for
  // (the file read only when it changed since its last answer). A read that takes longer than
  // patience (a slow share, a device that blocks) is not waited for: the last answer, if any.
  std::optional<FactsAnswer> Await(const std::string& path, std::chrono::milliseconds patience);
  // Whoever hears of new answers from now on (nobody: empty).
  void SetNotify(std::function<void()> notify);

 private:
  struct Entry {
    std::optional<FileStamp> stamp;
    FactsAnswer answer;
  };
  // What the reading thread uses; it owns a share of it, so a thread left behind outlives none.
  struct Shared {
    Shared(FileContents& f, std::function<void()> n) : files(f), notify(std::move(n)) {}
    FileContents& files;
    std::function<void()> notify;
    std::mutex mutex;
    std::condition_variable wake, ended, answered;
    std::deque<std::string> queue;
    std::set<std::string> queued;
    std::string reading;  // the path the thread is at
    std::unordered_map<std::string, Entry> known;
    std::function<void()> cancel;  // the reading thread's, once it runs
    bool stop = false;
    bool done = false;
  };
  static void Run(const std::shared_ptr<Shared>& s);
  // Queues the path (first: before the others), under the lock; the thread starts with the
  // first question.
  void Queue(const std::string& path, bool first);
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

// Stops a thread that uses shared: stop() sets its stop and cancels its read, then the thread is
// joined once it has ended, or left to end by itself after waitMs. ended says it has.
template <class SharedState>
void StopWorker(std::thread& thread, SharedState& shared, unsigned waitMs) {
  std::function<void()> cancel;
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.stop = true;
    cancel = shared.cancel;
  }
  shared.wake.notify_all();
  if (cancel) cancel();
  if (!thread.joinable()) return;
  bool ended;
  {
    std::unique_lock<std::mutex> lock(shared.mutex);
    ended = shared.ended.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return shared.done; });
  }
  if (ended) thread.join();
  else thread.detach();
}

}  // namespace kest
