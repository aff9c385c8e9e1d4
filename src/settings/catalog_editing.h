#pragma once
// The rules of the tools manager page: what it shows of a catalog folder, and every change it
// makes to the catalog (new folder, new tool, delete, rename, move by drop, going up), kept
// apart from the window so that they can be checked against a fake file system.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/shell_links.h"
#include "platform/types.h"

namespace kest {

inline constexpr const char* kBadNameText =
    "A name may not contain \\ / : * ? \" < > | and may not be only dots or blanks!";
inline constexpr const char* kReservedNameText =
    "A name may not be CON, PRN, AUX, NUL, COM1 to COM9 or LPT1 to LPT9, also with an extension, and may not "
    "end in a dot or a blank!";
inline constexpr const char* kFolderExistsText = "Cannot create this folder! Enter unique name for it!";
inline constexpr const char* kShortcutExistsText = "Cannot create shortcut! It is allready exists!";
inline constexpr const char* kNewToolDialogTitle = "Choose the program of the new tool";

// Folders nested deeper than this below the folder DeleteDirTree is given are left in place:
// no path of 260 characters nests that deep, so only a loop in the file system gets there.
inline constexpr int kMaxDeleteDepth = 130;

// One entry of a catalog folder as the page shows it.
struct CatalogItem {
  std::string name;          // the file name with its extension
  std::string display;       // what the views show
  std::uint32_t attributes;  // the listing's attribute word
  // Only a word of exactly 16 is a folder here; anything else is handled as a file.
  bool isFolder() const { return IsPlainFolder(attributes); }
};

// What the views show for a file name: a shortcut (".lnk", ".pif") without its extension,
// anything else as it is named.
std::string ItemDisplayName(std::string_view fileName, std::uint32_t attributes);

// The entries of a folder, "." and ".." left out, folders first, then by shown name without
// regard to case.
std::vector<CatalogItem> ListCatalogFolder(FileSystem& fs, const std::string& folder);

// A name the user typed for a folder or an item: no \ / : * ? " < > | and not only dots or
// blanks (which Windows would cut to nothing or read as a step up), nor a device name or a name
// ending in a dot or a blank (paths::IsReservedName), which would land on something else.
enum class NameFault { None, Characters, Reserved };
NameFault NameFaultOf(std::string_view name);
// kBadNameText or kReservedNameText, as a warning.
void ReportBadName(MsgBox& box, WindowHandle owner, NameFault fault = NameFault::Characters);

// True when the path lies strictly below the root once "." and ".." are taken out; both are
// compared without regard to case. A path that climbs above its drive, or has a part made of
// dots and blanks only, is never inside.
bool IsInsideRoot(const std::string& root, const std::string& path);

// The folder of the catalog nearest to the given one that still exists: the folder itself,
// or the closest of its parents up to the root.
std::string NearestExistingFolder(FileSystem& fs, const std::string& root, const std::string& folder);

// A path that lay at or under oldPath, moved to newPath; anything else unchanged.
std::string RebasedPath(const std::string& path, const std::string& oldPath, const std::string& newPath);

// Up: the parent of the list's folder, or nothing when the tree's selected path plus "\" is
// the root path with its backslash (compared as it stands) or the parent would leave the root.
std::optional<std::string> UpFolder(const std::string& treeSelected, const std::string& currentFolder,
                                    const std::string& rootWithBackslash);

// The name entry's "Apply": what the page does with the entry afterwards. A folder that could
// not be made is reported and the entry stays open.
enum class NewFolderOutcome { Close, KeepOpen, Created };
NewFolderOutcome CreateNewFolder(FileSystem& fs, MsgBox& box, WindowHandle owner, const std::string& currentFolder,
                                 const std::string& typed);

// The link path a new tool for the chosen file starts from: the current folder, "\" and the
// chosen file's name, less ".exe" or ".lnk" (compared in lower case).
std::string NewToolLinkPath(const std::string& currentFolder, const std::string& chosenFile);
// Warns and creates nothing when the link path exists as it is, as ".lnk" or as ".pif", or when
// the shortcut's name is refused; otherwise writes the shortcut, reporting a failed save. True
// when a shortcut was written.
bool CreateNewTool(FileSystem& fs, ShellLinks& links, MsgBox& box, WindowHandle owner,
                   const std::string& currentFolder, const std::string& chosenFile);

// Deletes the folder with everything in it, depth first; what cannot be deleted is left and the
// rest goes on, and all of it is reported in one message afterwards. True when the folder
// itself is gone.
bool DeleteDirTree(FileSystem& fs, MsgBox& box, const std::string& folder);

// Where the Delete command takes its item from: the failure texts differ.
enum class DeleteFrom { List, Tree };
// Asks, then deletes a folder (with DeleteDirTree when it is not empty) or a file; a file that
// stays is reported. Nothing is asked for a path that is not strictly inside the root.
// confirmed runs after a Yes, before anything is deleted. True when the user said Yes.
bool DeleteCatalogItem(FileSystem& fs, MsgBox& box, WindowHandle owner, const std::string& root,
                       const std::string& path, DeleteFrom from, const std::function<void()>& confirmed = {});

// Renames an item in place. A shortcut keeps its ".lnk" or ".pif" after the typed name. The
// typed name is checked for its characters, the name it makes for a reserved one.
enum class RenameOutcome { Unchanged, BadName, ReservedName, Renamed, Failed };
RenameOutcome RenameCatalogItem(FileSystem& fs, const std::string& root, const std::string& path,
                                std::uint32_t attributes, const std::string& typed, std::string* newPath = nullptr);

// A drop: moves the source into the folder (attribute word exactly 16) under its own name.
// Refused, silently, for a move that makes no sense (outside the catalog, onto a file, into
// itself); Failed when the file system would not move it.
enum class MoveOutcome { Refused, Moved, Failed };
MoveOutcome MoveIntoFolder(FileSystem& fs, const std::string& root, const std::string& source,
                           const std::string& folder);

// What the tools manager says when the file system refuses a rename or a drag's move: the
// views then still show the item where it was.
void ReportRenameFailure(MsgBox& box, WindowHandle owner, const std::string& path, const std::string& typed);
void ReportMoveFailure(MsgBox& box, WindowHandle owner, const std::string& source, const std::string& folder);

}  // namespace kest
