#pragma once
// Every command and control identifier of the program's windows, the ranges of the tool
// commands, the timers and every private message, in one place: each value has one name, and
// the tests use the same names. The logic sees them without <windows.h>.

namespace kest::msg {

inline constexpr unsigned kUser = 0x0400;  // WM_USER
inline constexpr unsigned kApp = 0x8000;   // WM_APP

// What other programs and other copies of Kest send; their values are fixed.
// The settings window changed something: to the main window when it closes (the catalog may
// have changed), to the note window after "apply" on the colour page (take the colours
// again).
inline constexpr unsigned kSettingsApplied = kUser + 2;
// A second start, to the running copy's main window: forwarded arguments wait in the atom table.
inline constexpr unsigned kForwardedCommandLine = kUser + 3;
// The notification-area icon's callback to the main window.
inline constexpr unsigned kTrayCallback = kUser + 0x400;

// Kest's own, each window's to itself: work that must wait for the one at hand to end.
inline constexpr unsigned kSettingsShown = kApp + 1;         // the settings window is on the screen
inline constexpr unsigned kForwardSearchDone = kApp + 2;     // the search for left-behind atoms ended
inline constexpr unsigned kRefreshTree = kApp + 3;           // tools manager: read the tree again
inline constexpr unsigned kRefreshAll = kApp + 4;            // tools manager: the tree and the list
inline constexpr unsigned kReportBadName = kApp + 5;         // tools manager: a name was refused
inline constexpr unsigned kReportRenameFailure = kApp + 6;   // tools manager: a rename failed
inline constexpr unsigned kLabelReleased = kApp + 7;         // mini window: a folder label was let go
// Target list, posted to the list itself: the keys took the selection away; if nothing is
// selected once the move is over, there is no current target.
inline constexpr unsigned kSelectionLost = kApp + 8;
// Note window: make the editor, which the first frame does not show, now that the program is idle
inline constexpr unsigned kMakeNoteEditor = kApp + 9;
// Target list, posted to the list by its reading threads: a target's facts were read, a hashing
// moved on or ended.
inline constexpr unsigned kFactsRead = kApp + 10;
inline constexpr unsigned kHashProgress = kApp + 11;
// Target list, posted to the list by the thread of its icons: kinds or icons came.
inline constexpr unsigned kIconsArrived = kApp + 12;

}  // namespace kest::msg

namespace kest::timers {

inline constexpr unsigned kForwardSearch = 1;  // main window: time to search the atom table
// Target list: the changes go to Tools.ini. The list view control runs timers of its own on
// small numbers, so this one is far from them.
inline constexpr unsigned kSaveTargets = 0x4B53;

}  // namespace kest::timers

namespace kest::ids {

// The main window.
enum : int {
  targetList = 100,
  commandLine = 101,
  iconBar = 102,
  // Caption strip.
  closeInMiniStrip = 110,
  trayInMiniStrip = 111,
  toMiniInMiniStrip = 112,
  toMini = 113,
  toTray = 114,
  closeCaption = 115,
  // Bottom bar.
  addFile = 120,
  backup = 121,
  restore = 122,
  settings = 123,
  notes = 124,
  about = 125,
  exit = 126,
  // The tools menu's fixed entries.
  copyPath = 200,      // "Copy file path"
  deleteTarget = 201,  // "Delete"
  properties = 202,    // "Properties"
  addTools = 203,      // "Add tools...", in both tools menus while the catalog holds no tool
  copyHashes = 204,    // "Copy hashes"
  // The title strip's menu.
  menuToMini = 210,
  menuToTray = 211,
  menuExit = 212,
  // The tray menu's fixed entries.
  trayNotes = 220,    // "Kest fast string"
  trayRestore = 221,  // "Restore"
  trayExit = 222,     // "Exit"
};

// Tool entries of the target list's menu, of the tray menu and of the icon bar: a range of
// kToolCommandSpan each from kFirstToolCommand, all below 0x10000.
inline constexpr int kFirstToolCommand = 1000;
inline constexpr int kToolCommandSpan = 21000;

// The note window; its editor's menu takes menuBase + the entry's command.
namespace note_window {
enum : int { closeButton = 300, editor, copyButton, pasteButton, fontButton, clearButton, menuBase = 400 };
}

// The mini window; its tool buttons take ids from firstTool on.
namespace mini_window {
enum : int { backButton = 100, closeButton, iconBar, label, firstTool = 1000, lastTool = 0xFFFF };
}

// The settings window and its pages.
namespace settings_window {
// nextPage and previousPage are the keys' commands that step through the pages.
enum : int { closeButton = 10, okButton, toolsTab, optionsTab, colourTab, exitTab, nextPage, previousPage };
// The option boxes take ids from firstOptionBox on.
enum : int { firstOptionBox = 100, moveWorkFiles = 120, extensions = 121 };
enum : int { mainSwatch = 200, captionSwatch, fontSwatch, opacitySpin, opacityBar, applyButton, udSpin };
}  // namespace settings_window

// The tools manager page.
namespace tools_manager {
enum : int {
  folderTree = 100,
  toolbar,
  itemList,
  nameEdit,
  upTool = 200,
  newFolderTool,
  newToolTool,
  deleteTool,
  refreshTool,
  createTool,
  menuNewFolder = 300,
  menuNewTool,
  menuRefresh,
  menuDeleteItem,
  menuRename,
  menuDelete,
};
}  // namespace tools_manager

// The about panel.
namespace about_panel {
enum : int { closeButton = 10, mailButton, okButton };
}

// The find box.
namespace find_box {
enum : int { closeButton = 10, queryEdit, resultList };
}

}  // namespace kest::ids
