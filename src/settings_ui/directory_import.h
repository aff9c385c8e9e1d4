#pragma once
// A directory of programs made into catalog entries: its sub-directories become tool folders
// and every executable a shortcut, asking as much or as little as the user chooses.
#include <functional>
#include <string>

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

}  // namespace kest
