#pragma once
// The work-file mover: files that tools leave in their own directories, named after the target
// with one of the listed extensions, are moved next to the target.
#include <string>
#include <vector>

#include "catalog/work_drive.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/shell_links.h"
#include "platform/types.h"

namespace kest {

inline constexpr const char* kWorkFileExtensions = "*.udd, *.bak, *.bac, *.back, *.BACK,";
inline constexpr const char* kMoverText =
    "Move file with follow extensions to \"target\" path. Add symbol ',' to the end of text after adding. "
    "Press 'do it':";

// Each entry is a star followed by the extension text (its dot included, taken literally) and
// ended by a comma; what stands between a comma and the next star is ignored, and text after
// the last comma is no entry.
std::vector<std::string> ParseExtensionList(const std::string& text);

// The target's path with its extension replaced (for D:\w\a.exe and ".udd": D:\w\a.udd).
std::string WorkFileDestination(const std::string& target, const std::string& extension);

// An entry the mover uses: one holding "\", "/", ":" or ".." could name a file outside the
// tool's directory or the target's ("*\..\..\Windows\evil.dll,"), so it is passed over.
bool IsUsableExtension(const std::string& extension);

// Walks the catalog below dataDir + "root" with the catalog's rules and, for each tool whose
// program path can be read, moves the work files of the target found in the program's
// directory next to the target, trying the usable extensions from the last to the first. A
// move that fails (the destination exists, no rights) leaves the file where it is; all such
// files are reported in one warning at the end, owned by owner.
void MoveWorkFiles(FileSystem& fs, ShellLinks& links, const WorkDrive& drive, const std::string& dataDir,
                   const std::string& target, const std::vector<std::string>& extensions, MsgBox& box,
                   WindowHandle owner);

}  // namespace kest
