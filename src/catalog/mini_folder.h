#pragma once
// What the mini window shows of one catalog folder, how it moves between folders, and the
// arithmetic of its layout.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kest {

// One folder as the mini window shows it, in listing order.
struct MiniFolderContent {
  std::vector<std::string> folders;    // captions of the folder labels
  std::vector<std::string> shortcuts;  // full paths of the tool buttons' shortcut files
  std::vector<std::string> twins;      // for each, its 32-bit twin's (empty: none)
};

// Lists the folder without descending, classified as the catalog walk does. Only tools whose
// extension is exactly ".lnk" become buttons: ".LNK" and ".pif" files are not shown. A pair
// (tool_pairs.h) is one button. A folder that cannot be listed is empty.
MiniFolderContent ListMiniFolder(FileSystem& fs, const std::string& folder);

// The shown folder and the top folder the window never climbs above.
class MiniNavigation {
 public:
  // Both folders become the catalog root of the folder Kest keeps its files in (given with
  // its trailing backslash), without trailing backslash.
  void Reset(const std::string& dataDir);
  // The label with this caption was released: its folder is shown.
  void Open(const std::string& caption);
  // Goes to the parent folder; false at the top folder, where nothing changes.
  bool Back();

  const std::string& shown() const { return shown_; }
  const std::string& top() const { return top_; }

 private:
  std::string shown_;
  std::string top_;
};

// The panel's width once a label caption of this many characters is on it: the caption's
// length times the font's point size when that exceeds the width, the width otherwise.
int WidenedForCaption(int width, std::size_t captionChars, int fontPoints);

// Geometry of the mini window, in pixels of its client area.
namespace mini_layout {

inline constexpr int kBorder = 1;             // the panel's frame
inline constexpr int kTitleHeight = 16;       // the title strip "Kest mini"
inline constexpr int kLabelHeight = 18;       // each folder label
inline constexpr int kFontPoints = 8;         // Courier New of the whole window
inline constexpr int kExitFromRight = 23;     // closeButton's left edge from the window's right edge
// Wide enough for the title between "<" and "X" and for five tool buttons in a row.
inline constexpr int kInitialWidth = 120;

// Top of the i-th folder label (0 first): stacked under the title strip.
inline int LabelTop(std::size_t i) { return kBorder + kTitleHeight + kLabelHeight * static_cast<int>(i); }

}  // namespace mini_layout

}  // namespace kest
