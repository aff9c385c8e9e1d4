#include "targets/backup.h"

#include "core/texts.h"
#include "platform/paths.h"

namespace kest {

namespace {
void Error(MsgBox& box, WindowHandle owner, const std::string& text) {
  box.ask(owner, text, text::kCaptionError, MbButtons::Ok, MbIcon::Error);
}
void Info(MsgBox& box, WindowHandle owner, const std::string& text) {
  box.ask(owner, text, text::kCaptionInfo, MbButtons::Ok, MbIcon::Information);
}
// A target that is no full path names a file relative to wherever Kest stands, which is not
// the file the user listed: it is neither copied nor copied over.
bool FullPath(FileSystem& fs, MsgBox& box, WindowHandle owner, const std::string& target) {
  if (!paths::IsFullPath(target)) {
    Error(box, owner, FileMessage(kNotAFullPath, target));
    return false;
  }
  if (fs.namesDevice(target)) {
    Error(box, owner, FileMessage(kDeviceTarget, target));
    return false;
  }
  return true;
}
}  // namespace

void BackupTarget(FileSystem& fs, MsgBox& box, WindowHandle owner, const std::optional<std::string>& target) {
  if (!target) {
    Error(box, owner, "Error: " + std::to_string(fs.lastError()));
    return;
  }
  if (!FullPath(fs, box, owner, *target)) return;
  // A failed copy must not pass for a backup because an older one is still there.
  if (!fs.copyFile(*target, BackupPathOf(*target), false)) {
    Error(box, owner, "Error: " + std::to_string(fs.lastError()));
    return;
  }
  if (fs.fileExists(BackupPathOf(*target))) Info(box, owner, "Backup created!");
}

void RestoreTarget(FileSystem& fs, MsgBox& box, WindowHandle owner, const std::optional<std::string>& target) {
  if (!target || !FullPath(fs, box, owner, *target)) return;
  if (fs.copyFile(BackupPathOf(*target), *target, false)) {
    Info(box, owner, "Backup restored!");
  } else {
    Error(box, owner, "Error: !" + std::to_string(fs.lastError()));
  }
}

}  // namespace kest
