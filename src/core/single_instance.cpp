#include "core/single_instance.h"

#include <cstring>
#include <optional>

#include "core/texts.h"
#include "core/command_line.h"
#include "platform/paths.h"
#include "platform/utf8.h"

namespace kest {

StartAction DecideStart(bool markerFound, bool windowFound, const std::function<bool()>& noMoreOneCopy) {
  if (markerFound) {
    if (!noMoreOneCopy()) return StartAction::StartBeside;
    return windowFound ? StartAction::ForwardAndQuit : StartAction::ReplaceStaleMarker;
  }
  return windowFound ? StartAction::MarkAndQuit : StartAction::MarkAndStart;
}


void ReportControlCharacters(MsgBox& box, WindowHandle owner, const std::string& path) {
  box.ask(owner, FileMessage(text::kControlCharactersText, paths::Printable(path)), text::kCaptionError, MbButtons::Ok, MbIcon::Error);
}

bool RunStartupDecision(AtomTable& atoms, WindowSystem& windows, ForwardNotice& notice, MsgBox& box,
                        const std::string& commandLine, const std::function<bool()>& noMoreOneCopy) {
  AtomValue marker = atoms.find(kInstanceMarker);
  std::optional<bool> oneCopy;
  auto onlyOneCopy = [&] {
    if (!oneCopy) oneCopy = noMoreOneCopy();
    return *oneCopy;
  };
  const std::string argument = ParseCommandLine(commandLine);
  const std::string atomName = kForwardPrefix + argument;
  // A path that could rewrite Tools.ini, or that no atom can carry, is never handed over.
  const char* refusal = paths::HasControlCharacters(argument)       ? text::kControlCharactersText
                        : utf8::Utf16Units(argument) > kMaxForwardedArgument ? text::kTooLongToForwardText
                                                                  : nullptr;
  // Where the running copy listens, the atom is added and announced before the window search:
  // the search is what makes a start slow, and the running copy need not wait for it.
  AtomValue forwarded = 0;
  if (marker != 0 && !argument.empty() && !refusal && notice.listening() && onlyOneCopy()) {
    forwarded = atoms.add(atomName);
    if (forwarded != 0) notice.post(forwarded);
  }
  WindowHandle running = windows.findByClass(kMainWindowClass);
  StartAction action = DecideStart(marker != 0, running != nullptr, onlyOneCopy);
  if (action != StartAction::ForwardAndQuit && forwarded != 0 && atoms.find(atomName) == forwarded) {
    // The listening copy closed before its window was found: take back what it did not handle.
    atoms.remove(forwarded);
  }
  switch (action) {
    case StartAction::ForwardAndQuit: {
      if (!argument.empty() && !refusal) {
        // The atom goes in the message, so that the running copy need not look for it; a copy
        // that does not read it finds it by its name as before.
        AtomValue atom = forwarded != 0 ? forwarded : atoms.add(atomName);
        if (atom == 0) refusal = text::kTooLongToForwardText;
        else windows.send(running, msg::kForwardedCommandLine, 0, atom);
      }
      if (refusal) box.ask(nullptr, FileMessage(refusal, paths::Printable(argument)), text::kCaptionError, MbButtons::Ok, MbIcon::Error);
      windows.bringToForeground(running);
      return false;
    }
    case StartAction::ReplaceStaleMarker:
      while (marker != 0) {
        atoms.remove(marker);
        marker = atoms.find(kInstanceMarker);
      }
      atoms.add(kInstanceMarker);
      return true;
    case StartAction::StartBeside:
      return true;
    case StartAction::MarkAndQuit:
      atoms.add(kInstanceMarker);
      return false;
    case StartAction::MarkAndStart:
      atoms.add(kInstanceMarker);
      return true;
  }
  return false;
}

void ReleaseInstanceMarker(AtomTable& atoms) {
  // Bounded, so that a table that never lets go cannot hang the exit.
  for (int i = 0; i < 0x10000; ++i) {
    AtomValue marker = atoms.find(kInstanceMarker);
    if (marker == 0) break;
    atoms.remove(marker);
  }
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
  if (IsPlainFolder(fs.attributes(path))) to.importToolsFromDir(path);
  else to.addTarget(path);
}

void DispatchOwnArgument(const std::string& commandLine, FileSystem& fs, const PathDispatch& to,
                         MsgBox& box, WindowHandle owner) {
  std::string argument = ParseCommandLine(commandLine);
  if (argument.empty()) return;
  try {
    DispatchPath(fs, argument, to);
  } catch (const std::exception&) {
    box.ask(owner, "Someone error with command line!", text::kCaption, MbButtons::Ok, MbIcon::Error);
  }
}

}  // namespace kest
