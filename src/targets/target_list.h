#pragma once
// The files being worked on, in the order they were added; the same path may appear more
// than once. The list view of the main window shows them one to one.
#include <string>
#include <vector>

namespace kest {

struct Target {
  std::string fileName;
  std::string directory;  // with trailing backslash, or empty
  // The file whose icon the row shows: what was added (a dropped shortcut's own icon), empty
  // when that is the full path itself.
  std::string iconFrom;
  // What [Targets] holds for the entry: the text it was loaded from (a stored shortcut stays a
  // shortcut), empty for an entry added in this run, which is stored as its full path.
  std::string storedAs;
  std::string fullPath() const { return directory + fileName; }
  std::string iconFile() const { return iconFrom.empty() ? fullPath() : iconFrom; }
  std::string storedText() const { return storedAs.empty() ? fullPath() : storedAs; }
};

class TargetList {
 public:
  // Appends the entry for a path, shown with the icon of iconFrom (the path itself when empty)
  // and stored as storedAs (the path itself when empty); returns its position.
  std::size_t add(const std::string& path, const std::string& iconFrom = std::string(),
                  const std::string& storedAs = std::string());
  void removeAt(std::size_t i) { entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i)); }
  void clear() { entries_.clear(); }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const Target& at(std::size_t i) const { return entries_.at(i); }
  const std::vector<Target>& entries() const { return entries_; }

 private:
  std::vector<Target> entries_;
};

// "LastDir" as written at exit: the directory, without trailing backslash, of the file last
// chosen in the open dialog; empty when none was chosen.
std::string LastDirOf(const std::string& lastChosenFile);

// A help file chosen after F1 is taken only with the extension ".HLP" or ".hlp" exactly.
bool IsHelpFileName(const std::string& path);

// The path a target is shown under: a ".lnk" (exactly so) names the file it points to.
template <class Resolve>
std::string TargetPathToShow(const std::string& path, Resolve&& resolve);

}  // namespace kest

#include "platform/paths.h"

namespace kest {

inline std::size_t TargetList::add(const std::string& path, const std::string& iconFrom, const std::string& storedAs) {
  entries_.push_back(Target{paths::FileNameOf(path), paths::DirectoryOf(path), iconFrom == path ? std::string() : iconFrom,
                            storedAs == path ? std::string() : storedAs});
  return entries_.size() - 1;
}

inline std::string LastDirOf(const std::string& lastChosenFile) {
  return lastChosenFile.empty() ? std::string()
                                : paths::WithoutTrailingBackslash(paths::DirectoryOf(lastChosenFile));
}

inline bool IsHelpFileName(const std::string& path) {
  std::string ext = paths::ExtensionOf(path);
  return ext == ".HLP" || ext == ".hlp";
}

template <class Resolve>
std::string TargetPathToShow(const std::string& path, Resolve&& resolve) {
  return paths::ExtensionOf(path) == ".lnk" ? resolve(path) : path;
}

}  // namespace kest
