#pragma once
// The catalog: the folder "root" beside the executable, read from disk whenever it is needed.
// Subfolders are tool folders, files are tools.
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kest {

enum class EntryClass { Skipped, Folder, Tool };

// By name and attribute word: "." names are skipped; exactly the directory bit is a folder;
// words from 10 to 19 (a directory with read-only, hidden or system bits) are skipped; every
// other entry is a tool.
EntryClass ClassifyEntry(std::string_view name, std::uint32_t attributes);

// A tool's display name: its file name without the last four characters.
std::string ToolDisplayName(std::string_view fileName);

class CatalogVisitor {
 public:
  virtual ~CatalogVisitor() = default;
  // depth: the catalog root is 0, its subfolders 1.
  virtual void FolderEntered(const std::string& name, const std::string& path, int depth) = 0;
  // depth: that of the folder holding the tool.
  virtual void ToolFound(const std::string& path, const std::string& fileName, int depth) = 0;
  virtual void FolderLeft() = 0;
  // True ends the walk after the event just reported.
  virtual bool Stopped() const { return false; }
};

class ToolCatalog {
 public:
  // Folders nested deeper than this below the walked directory are not descended into.
  static constexpr int kMaxDepth = 50;

  // The catalog root in the folder Kest keeps its files in (given with its trailing backslash):
  // the data folder, or the executable's directory.
  static std::string RootOf(const std::string& dataDir) { return dataDir + "root"; }

  // Walks a directory depth first, pre-order, in the listing's order, over an explicit stack
  // of open listings. A directory that cannot be listed gives an empty walk.
  static void Walk(FileSystem& fs, const std::string& directory, CatalogVisitor& visitor);
};

}  // namespace kest
