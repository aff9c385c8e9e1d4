#pragma once
// One backup per target, beside it: the target's name followed by ".KestBackUp".
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/types.h"

namespace kest {

inline constexpr const char* kBackupSuffix = ".KestBackUp";
inline constexpr const char* kNotAFullPath = "The target is not a full path, so it names no one file:\r\n%s";
inline constexpr const char* kDeviceTarget =
    "The target is no file on a disk (a device, a pipe or the like), so it is neither copied nor copied over:\r\n%s";

inline std::string BackupPathOf(const std::string& target) { return target + kBackupSuffix; }

// Copies the target over its backup and says how it went. Without a target the last system
// error is reported; a target that is no full path is refused with kNotAFullPath, and one that
// names a device (a copy would wait on it for ever) with kDeviceTarget.
void BackupTarget(FileSystem& fs, MsgBox& box, WindowHandle owner, const std::optional<std::string>& target);

// Copies the backup over the target and says how it went; without a target nothing happens.
void RestoreTarget(FileSystem& fs, MsgBox& box, WindowHandle owner, const std::optional<std::string>& target);

}  // namespace kest
