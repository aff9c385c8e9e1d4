#pragma once
// One running copy: the "OnlyOneKest" marker, the start lock and the sign of life, the window
// search, and the forwarding of a second start's argument through a "KestComLine=" atom and
// msg::kForwardedCommandLine (announced ahead of the message on the running copy's quick line when it has one).
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/window_ids.h"
#include "platform/atom_table.h"
#include "platform/file_system.h"
#include "platform/forward_notice.h"
#include "platform/instance_objects.h"
#include "platform/message_box.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace kest {

inline constexpr const char* kInstanceMarker = "OnlyOneKest";
inline constexpr const char* kForwardPrefix = "KestComLine=";
inline constexpr const char* kMainWindowClass = "TfKest";
// A second start without a file, to the running copy's main window before it is brought to the
// front: come back to the screen, out of the tray or mini mode, with the keys in the target list.
// A registered message, so that no copy can take it for another; one that does not know it (an
// older copy) passes it over and is only brought to the front, as before.
inline constexpr const char* kComeBackMessage = "KestComeBack";
// Longest argument a forwarding atom can carry: 255 characters (UTF-16 units, as the atom
// table keeps names) less the prefix.
inline constexpr std::size_t kMaxForwardedArgument = 243;

// The forwarding message's first parameter says who sends it. A start that reads the answer
// may be refused by a copy that is closing and then runs as the new copy itself; the copy's own
// quick line may be refused the same way. Older starts send 0 and read nothing: they are
// never refused.
inline constexpr std::uintptr_t kForwardFromOlderStart = 0;
inline constexpr std::uintptr_t kForwardReadsAnswer = 1;
inline constexpr std::uintptr_t kForwardFromLine = 2;
// The answers: taken (handled, or kept until the window can take it), or refused. Older
// copies answer 0, having taken it.
inline constexpr std::intptr_t kForwardTaken = 0x4B54;
inline constexpr std::intptr_t kForwardRefused = 0x4B52;
// How long a start waits for the running copy to answer.
inline constexpr unsigned kForwardAnswerWaitMs = 10000;
// After a refusal, how often the start looks again (the window gone, or taking paths again).
inline constexpr unsigned kRefusedLookAgainMs = 250;

enum class StartAction {
  ForwardAndQuit,      // one copy only, and the other copy's window is there: hand over the argument
  WaitForWindow,       // one copy only, and the other copy is still starting: wait for its window
  ReplaceStaleMarker,  // a marker without a window or a living copy: a crashed copy left it
  StartBeside,         // further copies allowed: run beside the others
  MarkAndStart,        // nothing runs
};

// The decision table. Another copy lives when its window or the sign of life is found;
// noMoreOneCopy is asked only then.
StartAction DecideStart(bool markerFound, bool windowFound, bool aliveFound, const std::function<bool()>& noMoreOneCopy);

// How long a start waits for the start lock, how long for the window of a copy that is still
// starting, and how often it looks for that window.
inline constexpr unsigned kStartLockWaitMs = 5000;
inline constexpr unsigned kStartingWindowWaitMs = 15000;
inline constexpr unsigned kStartingWindowPollMs = 10;

// What the single-instance steps need from the system.
struct StartServices {
  AtomTable& atoms;
  WindowSystem& windows;
  ForwardNotice& notice;
  InstanceObjects& instances;
  FileSystem& fs;
  MsgBox& box;
};

struct StartOutcome {
  bool run = false;          // this process goes on as a copy of Kest
  bool holdsMarker = false;  // it added one reference of the marker, to be removed at its end
};

// Runs the entry's single-instance steps: the argument is made absolute against this
// process's current directory, the decision is taken under the start lock, and a start that
// finds another copy still starting waits for its window. A start refused by a copy that is
// closing decides anew once that copy's window has gone, and so runs as the new copy with its
// argument. A start that does not run has handed its argument over, or says in a message box
// why not (control characters, too long for an atom, no window in time, no answer).
// beforeRunning is done by a start that runs, still under the start lock, so that starts beside
// each other do it one after the other.
StartOutcome RunStartupDecision(const StartServices& s, const std::string& commandLine,
                                const std::function<bool()>& noMoreOneCopy,
                                const std::function<void()>& beforeRunning = {});

// The message of a path refused for control characters, with them shown as "?".
void ReportControlCharacters(MsgBox& box, WindowHandle owner, const std::string& path);

// Removes the one reference of the marker this copy added; those of other copies stay.
void ReleaseInstanceMarker(AtomTable& atoms);

// Takes over every forwarding atom present, in ascending atom order: one reference of the
// atom is removed, then dispatch gets the path.
void ReceiveForwardedArguments(AtomTable& atoms, const std::function<void(const std::string&)>& dispatch);

// The same over a listing made earlier (by a scan off the user-interface thread): an atom that
// has gone since, or now names something else, is passed over.
void HandleForwardingAtoms(AtomTable& atoms, const std::vector<std::pair<AtomValue, std::string>>& listing,
                           const std::function<void(const std::string&)>& dispatch);

// The atom a second start names in its message: handled at once when it is a forwarding atom.
// False for 0 (a copy that names none) or any other value.
bool ReceiveForwardedAtom(AtomTable& atoms, AtomValue atom, const std::function<void(const std::string&)>& dispatch);

// Where a received path goes: a plain folder (attribute word exactly 16) is imported as
// tools, anything else, also a path that does not exist, becomes a target. A path holding
// control characters goes to neither: refuse gets it.
struct PathDispatch {
  std::function<void(const std::string& path)> addTarget;
  std::function<void(const std::string& sourceDir)> importToolsFromDir;
  std::function<void(const std::string& path)> refuse;
};
void DispatchPath(FileSystem& fs, const std::string& path, const PathDispatch& to);

// The first copy's own argument, taken while its main window is created, made absolute against
// the current directory as a second start makes it. A failed dispatch is reported and creation
// goes on.
void DispatchOwnArgument(const std::string& commandLine, FileSystem& fs, const PathDispatch& to,
                         MsgBox& box, WindowHandle owner);

}  // namespace kest
