#pragma once
// A directory of programs made into catalog entries: its sub-directories become tool folders
// and every executable a shortcut, asking as much or as little as the user chooses.
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/shell_links.h"
#include "platform/types.h"

namespace kest {

struct ImportServices {
  FileSystem& fs;
  ShellLinks& links;
  MsgBox& box;
  WindowHandle owner = nullptr;
  std::string exeDir;                        // where the current directory is left
  std::function<void()> menusOutOfDate;      // the catalog is about to change
};

// The folder an import creates for a source: its last component ("D" for a drive root).
std::string ImportFolderName(const std::string& source);

void ImportToolsFromDir(const ImportServices& s, std::string source, std::string destination);

// What a path dropped on the settings window becomes: a directory (attribute word exactly 16)
// is imported after a question, a ".lnk" (exactly so) is copied, anything else gets a shortcut.
enum class DroppedKind { Directory, Shortcut, File };
DroppedKind ClassifyDropped(FileSystem& fs, const std::string& path);

// The paths dropped on the settings window, in the order the shell gives them, into the tools
// manager's current folder (without trailing backslash); refreshViews runs after each path.
// Cancel at a directory's question ends the whole drop.
void DropToolFiles(const ImportServices& s, const std::vector<std::string>& paths, const std::string& currentFolder,
                   const std::function<void()>& refreshViews);

}  // namespace kest
