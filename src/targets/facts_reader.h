#pragma once
// The facts of the targets, read on a thread of their own as they are asked for, once per file
// and version of it (size and last-write time): a list of thousands costs nothing until a row
// is pointed at, and a slow disk never holds up the window.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
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

class FactsReader {
 public:
  // notify is called on the reading thread after each new answer.
  FactsReader(FileContents& files, std::function<void()> notify);
  ~FactsReader();  // waits for the file being read
  FactsReader(const FactsReader&) = delete;
  FactsReader& operator=(const FactsReader&) = delete;

  // The last answer for the path (nothing yet: it has not been read); asks the reading thread
  // to read the file, or to look whether it changed since.
  std::optional<FactsAnswer> Ask(const std::string& path);
  // The last answer for the path, asking for nothing.
  std::optional<FactsAnswer> Known(const std::string& path);

 private:
  void Run();
  struct Entry {
    std::optional<FileStamp> stamp;
    FactsAnswer answer;
  };
  FileContents& files_;
  std::function<void()> notify_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::string> queue_;
  std::set<std::string> queued_;
  std::unordered_map<std::string, Entry> known_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace kest
