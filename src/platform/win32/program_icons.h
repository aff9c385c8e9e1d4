#pragma once
// Program icons as pixels: taken with ExtractIconA on any thread, added to an image list on the
// thread that owns it.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "platform/program_icons.h"
#include "platform/win32/handles.h"

namespace kest::win32 {

// ExtractIconA (icon index 0), drawn at side x side exactly as AddIconToImageList draws it.
class Win32ProgramIcons final : public ProgramIcons {
 public:
  std::optional<IconPixels> extract(const std::string& program, int side) override {
    return extractAt(program, 0, side);
  }
  std::optional<IconPixels> extractAt(const std::string& file, int index, int side) override;
};

// The icon drawn at side x side as the image lists draw it; nothing when the system refuses.
std::optional<IconPixels> PixelsOf(HICON icon, int side);

// The shell's icon of a file type (".txt") at side x side, as it shows files of that type without
// an icon of their own (its icon for files of no known type, for a type it does not know). No
// file is looked at.
std::optional<IconPixels> TypeIconPixels(const std::string& type, int side);

// An icon made from the pixels; null when the system refuses.
OwnedIcon IconFromPixels(const IconPixels& pixels);

// Adds the icons to the image list in one call, as one strip of images (one call per icon
// costs more than the drawing under Wine); returns the index of the first, or -1. Every icon
// must be of the list's size: otherwise none is added.
int AddIconsToImageList(HIMAGELIST list, const std::vector<const IconPixels*>& icons);

}  // namespace kest::win32
