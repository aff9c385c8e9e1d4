#pragma once
// Where Kest keeps what it keeps (Tools.ini, the catalog root and the notes): in a folder named
// "data" beside the executable when one stands there, as portable programs do, so that a package
// manager can carry that one folder from version to version; beside the executable otherwise.
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kest {

inline constexpr const char* kDataFolderName = "data";

// Lies in the data folder from the start of its one-time fill to its end: a fill cut short (a
// crash, a power loss, a full disk) is done again at the next start. Not a note's name.
inline constexpr const char* kFillUnfinishedName = "Kest copying its files here.unfinished";

// The note kept while there is no current target. Every target's note is "<file name>.txt",
// and Windows never strips or folds the "t" a name ends with, so a name that does not end in
// ".txt" in any case can never be a target's note, whatever the target is called.
inline constexpr const char* kScratchNoteName = "Kest scratch note.rtf";

// Files Kest ships or has shipped beside Kest.exe under a name a target's note would take
// (the read-me of earlier packages): never opened or saved over as a note.
inline constexpr const char* kShippedBesideKest[] = {"README.txt"};

// A name Kest gives a note: "<name>.txt" other than a file Kest ships, "<name>.note.rtf" (the
// note of a target named like a shipped file) and the scratch note; in any case, as Windows
// matches names.
bool IsNoteFileName(std::string_view name);

struct DataFolderChoice {
  std::string dir;    // with its trailing backslash: the data folder, or the executable's own
  bool fill = false;  // a data folder still to be filled from the files of an earlier run
};

// exeDir with its trailing backslash. A "data" that is a folder, or a link or junction to one,
// is taken; a file of that name, or nothing, leaves everything beside the executable. The data
// folder is still to be filled while it holds nothing of Kest's (nothing at all, or an empty
// "root" folder, as the package brings it), or while the mark of an unfinished fill lies in it.
DataFolderChoice ChooseDataFolder(FileSystem& fs, const std::string& exeDir);

// Copies what an earlier run kept beside the executable into the data folder: Tools.ini, the
// root folder with everything in it (folders keep their attributes; a link or junction inside
// it is not followed) and the notes; the originals stay. Files the data folder already holds
// under those names are copied over, since only a fill cut short can have put them there. The
// mark of an unfinished fill is laid first and taken away last. Gives the paths that could not
// be copied (the mark's own when it could not be laid or taken away); nothing when it is done.
std::vector<std::string> FillDataFolder(FileSystem& fs, const std::string& exeDir, const std::string& dataDir);

// The folder this run keeps its files in: the data folder, filled first when it is still to be.
// A fill that fails leaves this run beside the executable, where everything still is, and the
// next start tries again; failed then names what could not be copied.
struct DataLocation {
  std::string dir;  // with its trailing backslash
  std::vector<std::string> failed;
};
DataLocation PrepareDataFolder(FileSystem& fs, const std::string& exeDir);

// The first line of the message that tells of a failed fill, before the names.
std::string DataFillFailedText(const std::string& dataDir);

}  // namespace kest
