#pragma once
// One running copy: the "OnlyOneKest" marker, the window search, and the forwarding of a
// second start's argument through a "KestComLine=" atom and WM_USER + 3.
#include <functional>
#include <string>

#include "app/window_messages.h"
#include "platform/atom_table.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace kest {

inline constexpr const char* kInstanceMarker = "OnlyOneKest";
inline constexpr const char* kForwardPrefix = "KestComLine=";
inline constexpr const char* kMainWindowClass = "TfKest";
// Longest argument a forwarding atom can carry: 255 characters less the prefix.
inline constexpr std::size_t kMaxForwardedArgument = 243;

enum class StartAction {
  ForwardAndQuit,         // marker and window found, one copy only: hand over the argument
  ReplaceStaleMarker,     // marker found without a window: a crashed copy left it
  StartBeside,            // further copies allowed: run without touching the marker
  MarkAndQuit,            // a window without marker: mark, and end silently
  MarkAndStart,           // nothing runs
};

// The decision table; noMoreOneCopy is asked only when the marker was found.
StartAction DecideStart(bool markerFound, bool windowFound, const std::function<bool()>& noMoreOneCopy);

// Runs the entry's single-instance steps. True when this process starts normally.
bool RunStartupDecision(AtomTable& atoms, WindowSystem& windows, const std::string& commandLine,
                        const std::function<bool()>& noMoreOneCopy);

// Removes every reference of the marker, also those other copies added.
void ReleaseInstanceMarker(AtomTable& atoms);

// Takes over every forwarding atom present, in ascending atom order: dispatch gets the path,
// then one reference of the atom is removed.
void ReceiveForwardedArguments(AtomTable& atoms, const std::function<void(const std::string&)>& dispatch);

// Where a received path goes: a plain folder (attribute word exactly 16) is imported as
// tools, anything else, also a path that does not exist, becomes a target.
struct PathDispatch {
  std::function<void(const std::string& path)> addTarget;
  std::function<void(const std::string& sourceDir)> importToolsFromDir;
};
void DispatchPath(FileSystem& fs, const std::string& path, const PathDispatch& to);

// The first copy's own argument, taken while its main window is created. A failed dispatch is
// reported and creation goes on.
void DispatchOwnArgument(const std::string& commandLine, FileSystem& fs, const PathDispatch& to,
                         MsgBox& box, WindowHandle owner);

}  // namespace kest
