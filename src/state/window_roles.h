#pragma once
// What the program's windows may ask of each other, so that none needs another's header and
// each can be tested against a stand-in.
#include <memory>
#include <string>
#include <vector>

#include "catalog/tool_search.h"
#include "platform/program_icons.h"
#include "platform/types.h"

namespace kest {

// What other windows may ask of the main window.
class MainHost {
 public:
  virtual ~MainHost() = default;
  // Adds a file as a dropped file is added (a shortcut names what it points to); it becomes
  // the current target.
  virtual void AddDroppedTarget(const std::string& path) = 0;
  // Shows the main window again at its place and brings it to the front.
  virtual void ShowMain() = 0;
  // Opens the settings window on its tools manager and returns once it has closed.
  virtual void OpenSettings() = 0;
  // The colours and opacity in the application state changed: the main window takes them.
  virtual void SchemeApplied() = 0;
  // "Always on top" in the application state changed: the main window and the note
  // window take their band at once, not at their next move.
  virtual void StayOnTopChanged() = 0;
  // The full path of the target list's focused entry; empty when none is focused.
  virtual std::string FocusedTarget() const = 0;
  // The main window, to own dialogs and message boxes.
  virtual WindowHandle MainHandle() const = 0;
};

// What the mini window and the find box ask of the tools side of the program (the tool shelf).
class ToolBox {
 public:
  virtual ~ToolBox() = default;
  // What a tool's shortcut runs (on the work drive when its own drive has gone), and that
  // program's icon at side x side pixels (nullptr when it has none): both from what the menus
  // keep of the catalog, read again only for files that changed.
  virtual std::string ToolProgram(const std::string& shortcutFile) = 0;
  virtual std::shared_ptr<const IconPixels> ToolIcon(const std::string& program, int side) = 0;
  // Every tool of the catalog, from a walk of it made now (no shortcut is read).
  virtual std::vector<ToolSearchEntry> CatalogTools() = 0;
  // Runs a tool on the target as choosing its item in a tools menu opened then does
  // (commandLineEditing: as with Ctrl held, its command line goes to the command-line box).
  // twin: a pair's 32-bit twin (empty: none); of the two, the one that fits the target runs.
  virtual void LaunchAsMenu(const std::string& shortcutFile, const std::string& twin, const std::string& target,
                            bool commandLineEditing) = 0;
  // Runs a tool's shortcut file (or its twin) on the current target, as a click on a tool
  // button does.
  virtual void LaunchAsButton(const std::string& shortcutFile, const std::string& twin) = 0;
};

// What the main window asks of the note window.
class NotePane {
 public:
  virtual ~NotePane() = default;
  virtual bool IsShown() const = 0;
  // Hides it when it is shown, shows it otherwise, at the front with the keys in its editor: only
  // the user asks for it ("S", its key, the tray menu), and the next key typed goes into the note.
  virtual void Toggle() = 0;
  virtual void Hide() = 0;
  // Saves a note on the screen on the way out. When that fails the user is asked whether to
  // quit without it (askOnFailure) and false means "keep running"; without asking a failure
  // is passed over. Nothing is saved after it has returned true.
  virtual bool SaveForExit(bool askOnFailure) = 0;
  // The session ends: the note and the window's place are saved, with no question asked.
  virtual void SessionEnding() = 0;
  // The colours and opacity in the application state changed.
  virtual void SchemeApplied() = 0;
  // "Always on top" in the application state changed.
  virtual void StayOnTopChanged() = 0;
  // Ends the window at exit; a note on the screen is saved first unless SaveForExit did, and
  // the window writes its place as it goes.
  virtual void Destroy() = 0;
};

// What the main window asks of the mini window of mini mode.
class MiniPane {
 public:
  virtual ~MiniPane() = default;
  virtual bool IsShown() const = 0;
  // Closes it as its own "X" does: the main window is shown again.
  virtual void Close() = 0;
};

}  // namespace kest
