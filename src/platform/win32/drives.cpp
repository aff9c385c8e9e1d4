#include "platform/win32/drives.h"

#include <windows.h>

namespace kest::win32 {

DriveType Win32Drives::type(char letter) {
  char root[] = {letter, ':', '\\', '\0'};
  return static_cast<DriveType>(GetDriveTypeA(root));
}

}  // namespace kest::win32
