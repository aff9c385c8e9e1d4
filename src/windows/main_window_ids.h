#pragma once
// Control and command identifiers of the main window, shared with the end-to-end tests.

namespace kest::ids {

enum : int {
  lbFTC = 100,
  edCL = 101,
  tbIcon = 102,
  // Caption strip.
  sbClose3 = 110,
  sbMin3 = 111,
  sbToIcon3 = 112,
  sbToIcon2 = 113,
  sbMin2 = 114,
  sbClose2 = 115,
  // Bottom bar.
  sbAddFile = 120,
  sbBACKUP = 121,
  sbRESTORE = 122,
  sbToolsEdit = 123,
  sbRich = 124,
  sbAbout = 125,
  sbClose = 126,
  // pMenu1's fixed entries.
  N11 = 200,  // "Copy file path"
  N21 = 201,  // "Delete"
  N31 = 202,  // "Properties"
  // pmMain.
  miToMini = 210,
  miMinimizeToTray = 211,
  miExit = 212,
  // pTrayMenu's fixed entries.
  miKFS = 220,     // "Kest fast string"
  Restore1 = 221,  // "Restore"
  Exit3 = 222,     // "Exit"
};

}  // namespace kest::ids
