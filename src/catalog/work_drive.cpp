#include "catalog/work_drive.h"

#include "core/texts.h"
#include "platform/paths.h"

namespace kest {

namespace {

bool SearchPass(const std::string& toolPath, WorkDrive& drive, const DriveSearch& search,
                bool (*wanted)(DriveType)) {
  std::string candidate = toolPath;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    candidate[0] = letter;
    if (wanted(search.drives.type(letter)) && search.fs.fileExists(candidate)) {
      drive.letter = letter;
      return true;
    }
  }
  return false;
}

bool Ask(const DriveSearch& search, const char* text) {
  return search.box.ask(search.owner, text, text::kCaption, MbButtons::YesNo, MbIcon::Question) == MbAnswer::Yes;
}

}  // namespace

bool CheckToolDrive(const std::string& toolPath, WorkDrive& drive, const DriveSearch& search) {
  // Only a path that starts with a drive letter can be looked for on another drive.
  if (!paths::HasDriveLetter(toolPath)) return false;
  if (drive.confirm && !Ask(search, kDriveQuestion)) return false;
  if (SearchPass(toolPath, drive, search,
                 [](DriveType t) { return t == DriveType::Fixed || t == DriveType::Removable; }))
    return true;
  if (drive.confirm && !Ask(search, kCdQuestion)) return false;
  return SearchPass(toolPath, drive, search, [](DriveType t) { return t == DriveType::CdRom; });
}

}  // namespace kest
