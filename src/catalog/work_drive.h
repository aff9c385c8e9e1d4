#pragma once
// The one drive on which all tools are taken to live, and whether to ask before searching
// the other drives for a tool that is missing there.
#include <string>

#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/types.h"

namespace kest {

struct WorkDrive {
  char letter = 'C';
  bool confirm = true;
};

inline constexpr const char* kDriveQuestion =
    "One or more tools was not found! May be work drive was changed!\r\n"
    "Kest may check other drives to find the tools. Do it now?";
inline constexpr const char* kCdQuestion = "Tool not found on HDD and Flesh drives!Check CD?";

struct DriveSearch {
  Drives& drives;
  FileSystem& fs;
  MsgBox& box;
  WindowHandle owner = nullptr;
};

// Looks for the tool on the other drives: fixed and removable drives C to Z first, then CD
// drives, asking first when the confirm flag is set. True when found: the work drive letter
// then names the drive it was found on. The path itself is not changed.
bool CheckToolDrive(const std::string& toolPath, WorkDrive& drive, const DriveSearch& search);

}  // namespace kest
