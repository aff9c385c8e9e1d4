#pragma once
// How Tools.ini and the notes are saved: whole or not at all, and without changing what the file
// is. Package managers keep a portable program's settings as a hard link into a store of theirs,
// users link Tools.ini to a synced folder, and a file may carry permissions or a hidden bit of
// its own: a save keeps every one of them.
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace kest {

// Beside the file, named by the process that writes it: "<file>.<process id>.saving" holds new
// bytes on their way in, "<file>.<process id>.recover" the old bytes of a file being written
// in place, whole once it has that name.
std::string SavingFileOf(const std::string& file, unsigned processId);
std::string RecoveryFileOf(const std::string& file, unsigned processId);

// Replaces the file's bytes. A link is written through to the file it leads to. A file of one
// name gets the bytes through SavingFileOf, flushed, which then takes its place in one step,
// keeping its attributes and permissions. A file of several names is written in place, after
// its old bytes have been kept in RecoveryFileOf: a write that fails puts them back, and the
// next start (RecoverCutSaves) puts them back after a write that was cut short. Where the folder
// lets no file be made (the temporary file refused with "access denied"), the file is written in
// place, the one way left. False when the save failed; the file is then as it was, but for an
// in-place write the system cut short.
bool SaveFileKeepingWhatItIs(FileSystem& fs, const std::string& path, const std::string& bytes);

// At start, in the folder of Tools.ini and the notes: the temporary files of saves (of an
// ".ini", ".txt" or ".rtf" file) by processes that are no longer running are removed, and a file whose in-place write they left cut short
// gets its old bytes back. running says whether a process of that id runs (this one's own id
// counts as not running: nothing of it is on its way yet).
void RecoverCutSaves(FileSystem& fs, const std::string& directory, const std::function<bool(unsigned id)>& running);

}  // namespace kest
