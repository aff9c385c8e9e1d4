#include "core/single_instance.h"

#include <cstring>
#include <optional>

#include "core/texts.h"
#include "core/command_line.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace kest {

StartAction DecideStart(bool markerFound, bool windowFound, bool aliveFound, const std::function<bool()>& noMoreOneCopy) {
  if (windowFound || aliveFound) {
    if (!noMoreOneCopy()) return StartAction::StartBeside;
    return windowFound ? StartAction::ForwardAndQuit : StartAction::WaitForWindow;
  }
  return markerFound ? StartAction::ReplaceStaleMarker : StartAction::MarkAndStart;
}


void ReportControlCharacters(MsgBox& box, WindowHandle owner, const std::string& path) {
  box.ask(owner, FileMessage(text::kControlCharactersText, paths::Printable(path)), text::kCaptionError, MbButtons::Ok, MbIcon::Error);
}

namespace {

// The start lock from its taking to the end of the decision. A lock that cannot be had in
// time (a start hung while deciding, a name taken by another program) leaves the start to
// decide without it.
class StartLock {
 public:
  explicit StartLock(InstanceObjects& objects) : objects_(objects), held_(objects.lockStart(kStartLockWaitMs)) {}
  StartLock(const StartLock&) = delete;
  StartLock& operator=(const StartLock&) = delete;
  ~StartLock() { release(); }
  void release() {
    if (held_) objects_.unlockStart();
    held_ = false;
  }

 private:
  InstanceObjects& objects_;
  bool held_;
};

enum class Waited { Window, CopyGone, TimedOut };

// Looks for the window of a copy that is still starting until it is there, the copy has gone
// (its sign of life with it) or the deadline has passed.
Waited WaitForStartingWindow(const StartServices& s, std::uint64_t deadline, WindowHandle& window) {
  for (;;) {
    window = s.windows.findByClass(kMainWindowClass);
    if (window) return Waited::Window;
    if (!s.instances.anyAlive()) return Waited::CopyGone;
    if (s.instances.milliseconds() >= deadline) return Waited::TimedOut;
    s.instances.pause(kStartingWindowPollMs);
  }
}

}  // namespace

StartOutcome RunStartupDecision(const StartServices& s, const std::string& commandLine,
                                const std::function<bool()>& noMoreOneCopy,
                                const std::function<void()>& beforeRunning) {
  std::optional<bool> oneCopy;
  auto onlyOneCopy = [&] {
    if (!oneCopy) oneCopy = noMoreOneCopy();
    return *oneCopy;
  };
  // The running copy has another current directory: a relative name means what it means here.
  const std::string argument =
      s.fs.namedFromStarter(paths::AbsolutePath(s.fs.currentDirectory(), ParseCommandLine(commandLine)));
  const std::string atomName = kForwardPrefix + argument;
  // A path that could rewrite Tools.ini, or that no atom can carry, is never handed over.
  const char* refusal = paths::HasControlCharacters(argument)       ? text::kControlCharactersText
                        : utf8::Utf16Units(argument) > kMaxForwardedArgument ? text::kTooLongToForwardText
                                                                  : nullptr;
  auto report = [&](const char* pattern) {
    s.box.ask(nullptr, FileMessage(pattern, paths::Printable(argument)), text::kCaptionError, MbButtons::Ok, MbIcon::Error);
  };
  // What became of a hand-over: done (handed, or said why not), refused by a copy that is
  // closing (the atom taken back), or no answer (taken back and said).
  enum class Handover { Done, Closing, NoAnswer };
  // announced: the atom already added and announced on the quick line, or 0.
  auto forward = [&](WindowHandle running, AtomValue announced) {
    if (!argument.empty() && !refusal) {
      // The atom goes in the message, so that the running copy need not look for it; a copy
      // that does not read it finds it by its name as before.
      AtomValue atom = announced != 0 ? announced : s.atoms.add(atomName);
      if (atom == 0) {
        refusal = text::kTooLongToForwardText;
      } else {
        std::optional<std::intptr_t> answer =
            s.windows.send(running, msg::kForwardedCommandLine, kForwardReadsAnswer, atom, kForwardAnswerWaitMs);
        // Not taken, unless the atom has gone meanwhile (from the quick line, or just before
        // the copy stopped answering): this start takes it back and goes on with it.
        if ((!answer || *answer == kForwardRefused) && s.atoms.find(atomName) == atom) {
          s.atoms.remove(atom);
          return answer || !s.windows.exists(running) ? Handover::Closing : Handover::NoAnswer;
        }
      }
    }
    if (refusal) report(refusal);
    // Started without a file, Kest is wanted on the screen, also from the tray or mini mode.
    if (argument.empty()) s.windows.sendNamed(running, kComeBackMessage);
    s.windows.bringToForeground(running);
    return Handover::Done;
  };
  // One deadline for the whole wait, however often a starting copy dies, or a closing copy
  // refuses, and the start decides again.
  std::optional<std::uint64_t> deadline;
  auto startDeadline = [&] {
    if (!deadline) deadline = s.instances.milliseconds() + kStartingWindowWaitMs;
  };
  // After a hand-over: true when the start has ended (handed over, or said why not); false
  // when it decides anew, once the closing copy's window has gone or a moment has passed (a
  // closing copy whose user kept it running takes paths again).
  auto handedOver = [&](WindowHandle running, AtomValue announced) {
    switch (forward(running, announced)) {
      case Handover::Done:
        return true;
      case Handover::NoAnswer:
        report(text::kNoAnswerText);
        return true;
      case Handover::Closing:
        break;
    }
    startDeadline();
    const std::uint64_t lookAgain = s.instances.milliseconds() + kRefusedLookAgainMs;
    while (s.windows.exists(running) && s.instances.milliseconds() < lookAgain) s.instances.pause(kStartingWindowPollMs);
    if (s.instances.milliseconds() < *deadline) return false;
    report(text::kStillClosingText);
    return true;
  };
  for (;;) {
    StartLock lock(s.instances);
    AtomValue marker = s.atoms.find(kInstanceMarker);
    const bool alive = s.instances.anyAlive();
    // Where the running copy listens, the atom is added and announced before the window
    // search: the search is what makes a start slow, and the running copy need not wait for it.
    AtomValue forwarded = 0;
    if ((marker != 0 || alive) && !argument.empty() && !refusal && s.notice.listening() && onlyOneCopy()) {
      forwarded = s.atoms.add(atomName);
      if (forwarded != 0) s.notice.post(forwarded);
    }
    WindowHandle running = s.windows.findByClass(kMainWindowClass);
    StartAction action = DecideStart(marker != 0, running != nullptr, alive, onlyOneCopy);
    if (action != StartAction::ForwardAndQuit && forwarded != 0 && s.atoms.find(atomName) == forwarded) {
      // The listening copy closed before its window was found: take back what it did not handle.
      s.atoms.remove(forwarded);
    }
    switch (action) {
      case StartAction::ForwardAndQuit:
        lock.release();
        if (handedOver(running, forwarded)) return {};
        continue;
      case StartAction::WaitForWindow: {
        // Outside the lock, so that the starting copy's window is not held up by it, nor
        // the other starts that wait for the same window.
        lock.release();
        startDeadline();
        switch (WaitForStartingWindow(s, *deadline, running)) {
          case Waited::Window:
            if (handedOver(running, 0)) return {};
            continue;
          case Waited::CopyGone:
            continue;  // it died while starting: what is left is looked at anew
          case Waited::TimedOut:
            report(refusal ? refusal : argument.empty() ? text::kNoWindowInTimeBareText : text::kNoWindowInTimeText);
            return {};
        }
        return {};
      }
      case StartAction::ReplaceStaleMarker:
        // Bounded, so that a table that never lets go cannot hang the start.
        for (int i = 0; i < 0x10000 && marker != 0; ++i) {
          s.atoms.remove(marker);
          marker = s.atoms.find(kInstanceMarker);
        }
        [[fallthrough]];
      case StartAction::StartBeside:
      case StartAction::MarkAndStart: {
        // Both before the lock goes, so that the next start sees this copy.
        StartOutcome started{true, s.atoms.add(kInstanceMarker) != 0};
        s.instances.holdAlive();
        if (beforeRunning) beforeRunning();
        return started;
      }
    }
    return {};
  }
}

void ReleaseInstanceMarker(AtomTable& atoms) {
  if (AtomValue marker = atoms.find(kInstanceMarker)) atoms.remove(marker);
}

namespace {

constexpr int kAtomNameChars = 256;

bool IsForwardingName(const std::string& name) {
  // Only the first five characters are compared, as every copy of the program does.
  return name.compare(0, 5, "KestC") == 0;
}

void HandleOne(AtomTable& atoms, AtomValue atom, const std::string& name,
               const std::function<void(const std::string&)>& dispatch) {
  const std::size_t prefixLength = std::strlen(kForwardPrefix);
  // Handling a path may wait on a question, during which a further forward can take over the
  // atoms listed here: one that has gone since is not handled again, and each reference is
  // given up before its path is handled, so that no forward is handled twice.
  if (atoms.find(name) != atom) return;
  atoms.remove(atom);
  std::string path = name.size() > prefixLength ? name.substr(prefixLength) : std::string();
  if (!path.empty()) dispatch(path);
}

}  // namespace

void HandleForwardingAtoms(AtomTable& atoms, const std::vector<std::pair<AtomValue, std::string>>& listing,
                           const std::function<void(const std::string&)>& dispatch) {
  for (const auto& [atom, name] : listing)
    if (IsForwardingName(name)) HandleOne(atoms, atom, name, dispatch);
}

void ReceiveForwardedArguments(AtomTable& atoms, const std::function<void(const std::string&)>& dispatch) {
  // Values below 0xC000 are integer atoms, named "#n": they can never carry an argument.
  // Every other value is asked for, because atom values of other programs leave gaps. The
  // whole buffer is used: a limit of 255 would cut (or, under Wine, refuse) the name of the
  // longest argument a second start can forward.
  HandleForwardingAtoms(atoms, atoms.names(0xC000, 0xFFFF, kAtomNameChars), dispatch);
}

bool ReceiveForwardedAtom(AtomTable& atoms, AtomValue atom, const std::function<void(const std::string&)>& dispatch) {
  if (atom < 0xC000) return false;
  std::optional<std::string> name = atoms.name(atom, kAtomNameChars);
  if (!name || !IsForwardingName(*name)) return false;
  HandleOne(atoms, atom, *name, dispatch);
  return true;
}

void DispatchPath(FileSystem& fs, const std::string& path, const PathDispatch& to) {
  if (paths::HasControlCharacters(path)) {
    if (to.refuse) to.refuse(path);
    return;
  }
  // A path given through Sysnative is stored as the user names it, which every Kest reaches.
  const std::string named = fs.namedPath(path);
  if (IsPlainFolder(fs.attributes(named))) to.importToolsFromDir(named);
  else to.addTarget(named);
}

void DispatchOwnArgument(const std::string& commandLine, FileSystem& fs, const PathDispatch& to,
                         MsgBox& box, WindowHandle owner) {
  std::string argument = fs.namedFromStarter(paths::AbsolutePath(fs.currentDirectory(), ParseCommandLine(commandLine)));
  if (argument.empty()) return;
  try {
    DispatchPath(fs, argument, to);
  } catch (const std::exception&) {
    box.ask(owner, "Someone error with command line!", text::kCaption, MbButtons::Ok, MbIcon::Error);
  }
}

}  // namespace kest
