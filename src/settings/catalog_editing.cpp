#include "settings/catalog_editing.h"

#include <algorithm>

#include "core/texts.h"
#include "catalog/shortcuts.h"
#include "platform/ascii_case.h"
#include "platform/paths.h"
#include "settings/failure_list.h"

namespace kest {

namespace {

constexpr const char* kCaptionInternalError = "Internal error";
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrReparsePoint = 0x400;

bool IsShortcutName(std::string_view fileName, std::uint32_t attributes) {
  if (attributes & kAttrDirectory) return false;
  std::string ext = AsciiLowered(paths::ExtensionOf(fileName));
  return ext == ".lnk" || ext == ".pif";
}

bool OnlyDotsAndBlanks(std::string_view s) {
  return s.find_first_not_of(". ") == std::string_view::npos;
}

// The parts of a path with "." and ".." taken out, in lower case; nothing when it climbs above
// its first part or holds a part that Windows could read as a step.
std::optional<std::vector<std::string>> NormalParts(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  auto take = [&]() -> bool {
    if (part.empty() || part == ".") {
      // nothing to keep
    } else if (part == "..") {
      if (parts.empty()) return false;
      parts.pop_back();
    } else if (OnlyDotsAndBlanks(part)) {
      return false;
    } else {
      parts.push_back(AsciiLowered(part));
    }
    part.clear();
    return true;
  };
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!take()) return std::nullopt;
    } else {
      part += c;
    }
  }
  if (!take()) return std::nullopt;
  return parts;
}

// The folder a path lies in, without trailing backslash. A path that ends in another separator
// ("a\b/", "a\b:") is its own directory part: its parent is then taken from the character
// before that separator, so that the parent is always shorter and a climb always ends.
std::string ParentFolder(std::string_view path) {
  std::string parent = paths::WithoutTrailingBackslash(paths::DirectoryOf(path));
  if (!path.empty() && parent.size() >= path.size())
    parent = paths::WithoutTrailingBackslash(paths::DirectoryOf(path.substr(0, path.size() - 1)));
  return parent;
}

bool AtOrInsideRoot(const std::string& root, const std::string& path) {
  auto r = NormalParts(root);
  auto p = NormalParts(path);
  return r && p && !r->empty() && p->size() >= r->size() && std::equal(r->begin(), r->end(), p->begin());
}

bool DeleteDirTreeAt(FileSystem& fs, std::vector<std::string>& failed, const std::string& folder, int depth) {
  if (depth <= kMaxDeleteDepth) {
    if (std::unique_ptr<DirListing> listing = fs.list(folder)) {
      DirEntry entry;
      while (listing->next(entry)) {
        // "." and "..", and a name no real entry can have, never lead out of the folder.
        if (entry.name.empty() || entry.name == "." || entry.name == ".." ||
            entry.name.find_first_of("\\/") != std::string::npos)
          continue;
        const std::string full = folder + "\\" + entry.name;
        if (IsPlainFolder(entry.attributes)) {
          DeleteDirTreeAt(fs, failed, full, depth + 1);
          continue;
        }
        // A junction or link is taken away itself, never walked into, and its attributes are
        // left alone: they could be those of what it points to.
        if (entry.attributes != kAttrArchive && !(entry.attributes & kAttrReparsePoint))
          fs.setAttributes(full, kAttrArchive);
        if (!fs.deleteFile(full)) failed.push_back(full);
      }
    }
  }
  return fs.removeDirectory(folder);
}

}  // namespace

std::string ItemDisplayName(std::string_view fileName, std::uint32_t attributes) {
  if (IsShortcutName(fileName, attributes) && fileName.size() > 4)
    return std::string(fileName.substr(0, fileName.size() - 4));
  return std::string(fileName);
}

std::vector<CatalogItem> ListCatalogFolder(FileSystem& fs, const std::string& folder) {
  std::vector<std::pair<std::string, CatalogItem>> keyed;  // by shown name in lower case
  if (std::unique_ptr<DirListing> listing = fs.list(folder)) {
    DirEntry entry;
    while (listing->next(entry)) {
      if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
      CatalogItem item{entry.name, ItemDisplayName(entry.name, entry.attributes), entry.attributes};
      keyed.emplace_back(AsciiLowered(item.display), std::move(item));
    }
  }
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    if (a.second.isFolder() != b.second.isFolder()) return a.second.isFolder();
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  std::vector<CatalogItem> items;
  items.reserve(keyed.size());
  for (auto& k : keyed) items.push_back(std::move(k.second));
  return items;
}

NameFault NameFaultOf(std::string_view name) {
  // Control characters are no part of a Windows file name either.
  if (name.find_first_of("\\/:*?\"<>|") != std::string_view::npos || OnlyDotsAndBlanks(name) ||
      std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
    return NameFault::Characters;
  return paths::IsReservedName(name) ? NameFault::Reserved : NameFault::None;
}

void ReportBadName(MsgBox& box, WindowHandle owner, NameFault fault) {
  box.ask(owner, fault == NameFault::Reserved ? kReservedNameText : kBadNameText, text::kCaptionWarning,
          MbButtons::Ok, MbIcon::Error);
}

bool IsInsideRoot(const std::string& root, const std::string& path) {
  auto r = NormalParts(root);
  auto p = NormalParts(path);
  return r && p && !r->empty() && p->size() > r->size() && std::equal(r->begin(), r->end(), p->begin());
}

std::string NearestExistingFolder(FileSystem& fs, const std::string& root, const std::string& folder) {
  std::string f = paths::WithoutTrailingBackslash(folder);
  while (IsInsideRoot(root, f) && !IsPlainFolder(fs.attributes(f))) f = ParentFolder(f);
  return IsInsideRoot(root, f) ? f : paths::WithoutTrailingBackslash(root);
}

std::string RebasedPath(const std::string& path, const std::string& oldPath, const std::string& newPath) {
  if (EqualsIgnoringAsciiCase(path, oldPath)) return newPath;
  if (path.size() > oldPath.size() && EqualsIgnoringAsciiCase(path.substr(0, oldPath.size() + 1), oldPath + "\\"))
    return newPath + path.substr(oldPath.size());
  return path;
}

std::optional<std::string> UpFolder(const std::string& treeSelected, const std::string& currentFolder,
                                    const std::string& rootWithBackslash) {
  if (treeSelected + "\\" == rootWithBackslash) return std::nullopt;
  std::string parent = ParentFolder(currentFolder);
  // The tree may show a file of the root while the list shows the root itself.
  if (!AtOrInsideRoot(rootWithBackslash, parent)) return std::nullopt;
  return parent;
}

NewFolderOutcome CreateNewFolder(FileSystem& fs, MsgBox& box, WindowHandle owner, const std::string& currentFolder,
                                 const std::string& typed) {
  if (typed.empty()) return NewFolderOutcome::Close;
  if (NameFault fault = NameFaultOf(typed); fault != NameFault::None) {
    ReportBadName(box, owner, fault);
    return NewFolderOutcome::KeepOpen;
  }
  const std::string path = currentFolder + "\\" + typed;
  std::uint32_t a = fs.attributes(path);
  if (a != kInvalidAttributes && (a & kAttrDirectory)) {
    box.ask(owner, kFolderExistsText, text::kCaptionWarning, MbButtons::Ok, MbIcon::Error);
    return NewFolderOutcome::KeepOpen;
  }
  if (!fs.createDirectory(path)) {
    box.ask(owner, FolderNotCreatedText(path), text::kCaptionError, MbButtons::Ok, MbIcon::Error);
    return NewFolderOutcome::KeepOpen;
  }
  return NewFolderOutcome::Created;
}

std::string NewToolLinkPath(const std::string& currentFolder, const std::string& chosenFile) {
  std::string name = paths::FileNameOf(chosenFile);
  std::string ext = AsciiLowered(paths::ExtensionOf(name));
  if (ext == ".exe" || ext == ".lnk") name.erase(name.size() - 4);
  return currentFolder + "\\" + name;
}

bool CreateNewTool(FileSystem& fs, ShellLinks& links, MsgBox& box, WindowHandle owner,
                   const std::string& currentFolder, const std::string& chosenFile) {
  const std::string link = NewToolLinkPath(currentFolder, chosenFile);
  if (fs.fileExists(link) || fs.fileExists(paths::ChangeExtension(link, ".lnk")) ||
      fs.fileExists(paths::ChangeExtension(link, ".pif"))) {
    box.ask(owner, kShortcutExistsText, text::kCaptionWarning, MbButtons::Ok, MbIcon::Error);
    return false;
  }
  // The chosen file's name makes the shortcut's (not taken, as just seen): one Windows would
  // take for a device or cut short is refused as a typed one would be.
  const std::string file = paths::ChangeExtension(link, ".lnk");
  if (NameFault fault = NameFaultOf(paths::FileNameOf(file)); fault != NameFault::None) {
    ReportBadName(box, owner, fault);
    return false;
  }
  if (CreateShortcut(links, fs, chosenFile, link, "").empty()) {
    box.ask(owner, ShortcutNotCreatedText(file), text::kCaptionError, MbButtons::Ok, MbIcon::Error);
    return false;
  }
  return true;
}

bool DeleteDirTree(FileSystem& fs, MsgBox& box, const std::string& folder) {
  std::vector<std::string> failed;
  bool gone = DeleteDirTreeAt(fs, failed, paths::WithoutTrailingBackslash(folder), 0);
  ReportFailures(box, nullptr, "Could NOT delete " + CountText(failed.size(), "item", "items") + ":", failed,
                 kCaptionInternalError, MbIcon::None);
  return gone;
}

bool DeleteCatalogItem(FileSystem& fs, MsgBox& box, WindowHandle owner, const std::string& root,
                       const std::string& path, DeleteFrom from, const std::function<void()>& confirmed) {
  if (!IsInsideRoot(root, path)) return false;
  const std::string question = "Are sure to want to delete [" + paths::FileNameOf(path) + "] ?";
  if (box.ask(owner, question, text::kCaptionConfirm, MbButtons::YesNoCancel, MbIcon::Warning) != MbAnswer::Yes)
    return false;
  if (confirmed) confirmed();
  if (IsPlainFolder(fs.attributes(path))) {
    if (!fs.removeDirectory(path) && !DeleteDirTree(fs, box, path)) {
      box.ask(owner, from == DeleteFrom::List ? "Cannot delete folder" : "Cannot delete folder! Try later.",
              text::kCaptionError, MbButtons::Ok, MbIcon::Error);
    }
  } else if (!fs.deleteFile(path)) {
    box.ask(owner, "Cannot delete [" + paths::FileNameOf(path) + "]", text::kCaptionError, MbButtons::Ok,
            MbIcon::Error);
  }
  return true;
}

RenameOutcome RenameCatalogItem(FileSystem& fs, const std::string& root, const std::string& path,
                                std::uint32_t attributes, const std::string& typed, std::string* newPath) {
  if (NameFaultOf(typed) == NameFault::Characters) return RenameOutcome::BadName;
  if (!IsInsideRoot(root, path)) return RenameOutcome::Failed;
  const std::string oldName = paths::FileNameOf(path);
  std::string name = typed;
  if (IsShortcutName(oldName, attributes)) name += oldName.substr(oldName.size() - 4);
  if (name == oldName) return RenameOutcome::Unchanged;
  // "Con" for a shortcut would be "Con.lnk", still the console; "a." for it is "a..lnk", which
  // Windows keeps as it is.
  if (paths::IsReservedName(name)) return RenameOutcome::ReservedName;
  const std::string target = paths::DirectoryOf(path) + name;
  if (!fs.moveFile(path, target)) return RenameOutcome::Failed;
  if (newPath) *newPath = target;
  return RenameOutcome::Renamed;
}

MoveOutcome MoveIntoFolder(FileSystem& fs, const std::string& root, const std::string& source,
                           const std::string& folder) {
  if (!IsInsideRoot(root, source) || !AtOrInsideRoot(root, folder)) return MoveOutcome::Refused;
  // A source whose last part is "." or ".." (or nothing) names a folder above that part: moved
  // under that name it would land beside or above the target folder, even outside the catalog.
  const std::string name = paths::FileNameOf(source);
  if (OnlyDotsAndBlanks(name)) return MoveOutcome::Refused;
  if (!IsPlainFolder(fs.attributes(folder))) return MoveOutcome::Refused;
  // A folder never goes into itself or below itself.
  if (AtOrInsideRoot(source, folder)) return MoveOutcome::Refused;
  return fs.moveFile(source, paths::WithoutTrailingBackslash(folder) + "\\" + name) ? MoveOutcome::Moved
                                                                                    : MoveOutcome::Failed;
}

void ReportRenameFailure(MsgBox& box, WindowHandle owner, const std::string& path, const std::string& typed) {
  box.ask(owner, "Cannot rename [" + paths::FileNameOf(path) + "] to [" + typed + "]", text::kCaptionError,
          MbButtons::Ok, MbIcon::Error);
}

void ReportMoveFailure(MsgBox& box, WindowHandle owner, const std::string& source, const std::string& folder) {
  box.ask(owner, "Cannot move [" + paths::FileNameOf(source) + "] into [" + paths::FileNameOf(folder) + "]",
          text::kCaptionError, MbButtons::Ok, MbIcon::Error);
}

}  // namespace kest
