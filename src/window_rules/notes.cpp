#include "window_rules/notes.h"

#include "platform/ascii_case.h"
#include "platform/file_saves.h"
#include "platform/paths.h"

namespace kest {

std::string NoteFilePath(std::string_view dataDir, std::string_view target) {
  if (target.empty()) return std::string(dataDir) + kScratchNoteName;
  const std::string name = paths::FileNameOf(target);
  for (const char* shipped : kShippedBesideKest)
    if (EqualsIgnoringAsciiCase(name + ".txt", shipped)) return std::string(dataDir) + name + ".note.rtf";
  return std::string(dataDir) + name + ".txt";
}

bool SaveNoteFile(FileSystem& fs, const std::string& noteFile, const std::string& bytes) {
  // Every note ends in ".txt" or ".rtf", so no note is ever named like its temporary file, and
  // two copies of Kest saving one note each write a temporary file of their own.
  return SaveFileKeepingWhatItIs(fs, noteFile, bytes);
}

NoteSteps StepsFor(NoteEvent event, bool visible) {
  NoteSteps s;
  switch (event) {
    case NoteEvent::Create:
      s.load = true;
      break;
    case NoteEvent::Toggle:
      if (visible) s.save = s.hide = true;
      else s.show = s.load = true;
      break;
    case NoteEvent::Close:
    case NoteEvent::Minimise:
      s.save = s.hide = visible;
      break;
    case NoteEvent::Exit:
    case NoteEvent::TargetChanging:
      s.save = visible;
      break;
    case NoteEvent::TargetChanged:
      s.load = visible;
      break;
  }
  return s;
}

}  // namespace kest
