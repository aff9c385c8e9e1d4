#pragma once
// The target list's icons, worked out on a thread of their own as rows ask for them. Each file's
// kind is read first with Kest's own reader (target_kind.h), and the shell's icon of that kind
// is asked for; then the file's own icon. Both come from a helper process (helper_process.h):
// the system's icon code runs on samples there, never in Kest. A helper that crashes, hangs past
// the time limit or answers what was not asked costs only the icon it was on: that file keeps its
// kind's icon and is not asked about again, and a new helper takes the rest.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/file_contents.h"
#include "platform/helper_process.h"
#include "platform/program_icons.h"
#include "targets/file_facts.h"

namespace kest {

// Whether a row's file may be read for its icon as the row is drawn: only a full path on a local
// drive ("C:\x", "\\?\C:\x"). Not a network path ("\\server\share\x", a drive remoteDrive says
// is a network drive), where drawing a row would reach out to another machine, nor a device
// ("\\.\x"), nor a path taken against some current directory. Such a file is known by its name.
bool ReadWhenDrawn(std::string_view path, const std::function<bool(char letter)>& remoteDrive);

class TargetIcons {
 public:
  struct Limits {
    unsigned startMs = 15000;  // from starting a helper until it says it is ready
    unsigned answerMs = 4000;  // from asking for an icon until the whole answer is there
    // Helpers lost one after another, with no answer between, before no more are started.
    int lossesInARow = 16;
  };
  struct Answer {
    enum class Of { Kind, Type, File } of = Of::Kind;
    std::string key;  // the file's path (Kind, File) or the type, ".txt" (Type)
    int side = 0;
    std::string type;                // Kind: the type whose icon the kind shows; empty: the default icon
    std::optional<IconPixels> icon;  // Type, File: the icon; nothing when there is none
  };

  // notify is called on the working thread when answers wait to be taken.
  TargetIcons(FileContents& files, HelperStarter startHelper, std::function<void()> notify, Limits limits);
  TargetIcons(FileContents& files, HelperStarter startHelper, std::function<void()> notify)
      : TargetIcons(files, std::move(startHelper), std::move(notify), Limits()) {}
  // Stops the work after the step it is on. A step that does not end within a moment (a read
  // the system holds up) is left to end on its own.
  ~TargetIcons();
  TargetIcons(const TargetIcons&) = delete;
  TargetIcons& operator=(const TargetIcons&) = delete;

  // A row shows the file at side x side pixels: its kind, its kind's icon and its own icon are
  // worked out, once per file and side. Unless read, the kind goes by the name alone and no
  // own icon is asked for.
  void Ask(const std::string& path, int side, bool read = true);
  // The answers that came since the last call, in their order.
  std::vector<Answer> Take();
  // The facts read for the file; nothing before it was read, or when it is known by its name.
  std::optional<FileFacts> FactsOf(const std::string& path);

 private:
  struct Shared;
  static void Run(const std::shared_ptr<Shared>& shared);
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace kest
