#include "catalog/mini_folder.h"

#include <algorithm>

#include "catalog/tool_catalog.h"
#include "catalog/tool_pairs.h"

namespace kest {

MiniFolderContent ListMiniFolder(FileSystem& fs, const std::string& folder) {
  MiniFolderContent content;
  std::unique_ptr<DirListing> listing = fs.list(folder);
  if (!listing) return content;
  DirEntry entry;
  std::vector<std::string> names;
  while (listing->next(entry)) {
    switch (ClassifyEntry(entry.name, entry.attributes)) {
      case EntryClass::Folder:
        content.folders.push_back(entry.name);
        break;
      case EntryClass::Tool:
        // The extension is compared as written: the window shows ".lnk" shortcuts only.
        if (entry.name.size() >= 4 && entry.name.compare(entry.name.size() - 4, 4, ".lnk") == 0)
          names.push_back(entry.name);
        break;
      case EntryClass::Skipped:
        break;
    }
  }
  const FolderPairs pairs = PairTools(names);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (pairs.isTwin[i]) continue;
    content.shortcuts.push_back(folder + "\\" + names[i]);
    content.twins.push_back(pairs.twin[i] ? folder + "\\" + names[*pairs.twin[i]] : std::string());
  }
  return content;
}

void MiniNavigation::Reset(const std::string& dataDir) {
  top_ = ToolCatalog::RootOf(dataDir);
  shown_ = top_;
}

void MiniNavigation::Open(const std::string& caption) { shown_ += "\\" + caption; }

bool MiniNavigation::Back() {
  if (!shown_.empty() && shown_.back() == '\\') shown_.pop_back();
  if (shown_ == top_) return false;
  std::size_t slash = shown_.rfind('\\');
  // The shown folder always lies under the top one; should it not, back leads to the top.
  if (slash == std::string::npos || slash < top_.size() || shown_.compare(0, top_.size(), top_) != 0)
    shown_ = top_;
  else
    shown_.erase(slash);
  return true;
}

int WidenedForCaption(int width, std::size_t captionChars, int fontPoints) {
  // A name is at most a path's length, but the product is kept within a window's reach anyway.
  constexpr std::size_t kLimit = 32767;
  std::size_t wanted = std::min(captionChars, kLimit) * static_cast<std::size_t>(std::max(fontPoints, 0));
  wanted = std::min(wanted, kLimit);
  return static_cast<int>(wanted) > width ? static_cast<int>(wanted) : width;
}

}  // namespace kest
