#pragma once
// Icons into 16 x 16 image lists.
#include <windows.h>
#include <commctrl.h>

namespace kest::win32 {

// Adds the icon, drawn at 16 x 16 with its mask, to the image list; returns its index or -1.
// ImageList_AddIcon does the same but costs about forty times as much under Wine, which
// matters for catalogs of thousands of tools.
int AddIconToImageList(HIMAGELIST list, HICON icon);

}  // namespace kest::win32
