#pragma once
// Control and command identifiers of the main window, shared with the end-to-end tests.

namespace kest::ids {

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
  // tools menu's fixed entries.
  copyPath = 200,  // "Copy file path"
  deleteTarget = 201,  // "Delete"
  properties = 202,  // "Properties"
  addTools = 203,  // "Add tools...", in both tools menus while the catalog holds no tool
  // title menu.
  menuToMini = 210,
  menuToTray = 211,
  menuExit = 212,
  // tray menu's fixed entries.
  trayNotes = 220,     // "Kest fast string"
  trayRestore = 221,  // "Restore"
  trayExit = 222,     // "Exit"
};

}  // namespace kest::ids
