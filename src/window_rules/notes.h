#pragma once
// The note window's notes: which file holds the note of a target, what the window does
// with its note at each event, and its editor's pop-up menu.
#include <string>
#include <string_view>

#include "core/texts.h"
#include "platform/file_system.h"
#include "state/data_folder.h"

namespace kest {

// dataDir (the folder Kest keeps its files in, with its trailing backslash) + the target's file
// name + ".txt": targets of the same file name share one note. With no target, the scratch
// note. A target whose note would be a file Kest ships keeps it as "<file name>.note.rtf", a
// name no other note can have, in the data folder as well, where the notes of an earlier run
// are copied under their names.
std::string NoteFilePath(std::string_view dataDir, std::string_view target);

// Writes the note so that a full disk or a crash never leaves neither the old nor the new
// text, and the note stays what it is (its links, attributes and permissions): see
// SaveFileKeepingWhatItIs. A failure leaves the note as it was.
bool SaveNoteFile(FileSystem& fs, const std::string& noteFile, const std::string& bytes);

inline constexpr const char* kCannotOpenFile = "Cannot open file %s";
// After kCannotOpenFile, when a note could not be read: it is never written over.
inline constexpr const char* kNoteLeftAlone = "The note is left as it is on the disk and is not saved over.";
inline constexpr const char* kQuitWithoutNote = "Quit without saving the note?";
// Before saving over a note that was written elsewhere since it was read.
inline constexpr const char* kNoteChangedOnDisk =
    "The note was changed on the disk since Kest read it:\r\n%s\r\nSave this text over it?";
inline constexpr const char* kCannotCreateFile = "Cannot create file %s";
inline constexpr const char* kFailedToLoadStream = "Failed to Load Stream";

enum class NoteEvent {
  Create,          // made at start and left hidden
  Toggle,          // "S", or the tray entry
  Close,           // its own close request
  Minimise,        // the program goes to the tray
  Exit,            // the program ends
  TargetChanging,  // the old target is still current
  TargetChanged,
};

// What happens, in this order. A note is saved whenever the window leaves the screen or its
// text stops being the current target's, so no route loses what was typed; while the window is
// hidden its text is already in its file and nothing is saved or read.
struct NoteSteps {
  bool save = false;  // the shown text goes to its note file; when that fails nothing follows
  bool show = false;  // coloured and given the opacity, then read, then shown
  bool load = false;  // the current target's note is read into the editor
  bool hide = false;
};
NoteSteps StepsFor(NoteEvent event, bool visible);

// The editor's pop-up menu, in its order; an entry without a caption is a separator.
enum class NoteCommand { None, Copy, Paste, SelectAll, ClearAll };
struct NoteMenuEntry {
  const char* caption;  // UTF-8
  const char* shortcut;
  NoteCommand command;
};
inline constexpr NoteMenuEntry kNoteMenu[] = {
    {"Копировать", "Ctrl+C", NoteCommand::Copy},
    {"Вставить", "Ctrl+V", NoteCommand::Paste},
    {nullptr, nullptr, NoteCommand::None},
    {"Выделить всё", "Ctrl+A", NoteCommand::SelectAll},
    {"Очистить всё", nullptr, NoteCommand::ClearAll},
};

}  // namespace kest
