#pragma once

namespace kest {

// Values of GetDriveTypeA.
enum class DriveType : unsigned { Unknown = 0, NoRootDir = 1, Removable = 2, Fixed = 3, Remote = 4, CdRom = 5, RamDisk = 6 };

class Drives {
 public:
  virtual ~Drives() = default;
  // The type of the drive with this letter (root "X:\").
  virtual DriveType type(char letter) = 0;
};

}  // namespace kest
