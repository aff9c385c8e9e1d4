#include "catalog/tool_catalog.h"

#include <memory>
#include <vector>

#include "platform/paths.h"

namespace kest {

EntryClass ClassifyEntry(std::string_view name, std::uint32_t attributes) {
  if (!name.empty() && name[0] == '.') return EntryClass::Skipped;
  if (attributes == 16) return EntryClass::Folder;
  if (attributes >= 10 && attributes <= 19) return EntryClass::Skipped;
  return EntryClass::Tool;
}

std::string ToolDisplayName(std::string_view fileName) {
  return fileName.size() > 4 ? std::string(fileName.substr(0, fileName.size() - 4)) : std::string();
}

void ToolCatalog::Walk(FileSystem& fs, const std::string& directory, CatalogVisitor& visitor) {
  struct Open {
    std::unique_ptr<DirListing> listing;
    std::string path;  // with trailing backslash
  };
  std::vector<Open> stack;
  stack.reserve(kMaxDepth + 1);
  std::unique_ptr<DirListing> root = fs.list(directory);
  if (!root) return;
  stack.push_back({std::move(root), paths::WithTrailingBackslash(directory)});

  DirEntry entry;
  while (!stack.empty() && !visitor.Stopped()) {
    Open& top = stack.back();
    if (!top.listing->next(entry)) {
      stack.pop_back();
      if (!stack.empty()) visitor.FolderLeft();
      continue;
    }
    switch (ClassifyEntry(entry.name, entry.attributes)) {
      case EntryClass::Skipped:
        break;
      case EntryClass::Tool:
        visitor.ToolFound(top.path + entry.name, entry.name, static_cast<int>(stack.size()) - 1);
        break;
      case EntryClass::Folder: {
        const int depth = static_cast<int>(stack.size());
        // Beyond the nesting limit a folder and its content are left out.
        if (depth > kMaxDepth) break;
        std::string path = top.path + entry.name;
        visitor.FolderEntered(entry.name, path, depth);
        std::unique_ptr<DirListing> inner = fs.list(path);
        if (!inner) {
          visitor.FolderLeft();  // a folder that cannot be listed is left at once
          break;
        }
        stack.push_back({std::move(inner), path + "\\"});
        break;
      }
    }
  }
}

}  // namespace kest
