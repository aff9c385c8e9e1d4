#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "fakes/fake_platform.h"
#include "window_rules/notes.h"

namespace kest {
namespace {

constexpr const char* kExeDir = R"(E:\kest\)";

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

TEST(NoteFiles, OneNotePerFileNameBesideTheExecutable) {
  EXPECT_EQ(NoteFilePath(kExeDir, R"(C:\a\x.exe)"), R"(E:\kest\x.exe.txt)");
  EXPECT_EQ(NoteFilePath(kExeDir, R"(D:\b\x.exe)"), R"(E:\kest\x.exe.txt)");
  EXPECT_EQ(NoteFilePath(kExeDir, R"(D:\work\program.exe)"), R"(E:\kest\program.exe.txt)");
  EXPECT_EQ(NoteFilePath(kExeDir, "Error link"), R"(E:\kest\Error link.txt)");
  EXPECT_EQ(NoteFilePath(kExeDir, ""), R"(E:\kest\Kest scratch note.rtf)");
  EXPECT_EQ(FileMessage(kCannotCreateFile, R"(E:\kest\x.exe.txt)"), R"(Cannot create file E:\kest\x.exe.txt)");
  EXPECT_EQ(FileMessage(kCannotOpenFile, "n.txt"), "Cannot open file n.txt");
}

TEST(NoteFiles, ASaveGoesBesideTheNoteFirstAndNeverLeavesItHalfWritten) {
  fakes::FakeFileSystem fs;
  const std::string note = R"(E:\kest\x.exe.txt)";
  fs.file(note);
  fs.contents[note] = "old";
  EXPECT_TRUE(SaveNoteFile(fs, note, "new"));
  // Named by the process: two copies of Kest saving one note never share a temporary file.
  EXPECT_EQ(fs.log, (std::vector<std::string>{"write " + note + ".4242.saving", "replace " + note + ".4242.saving -> " + note}));
  EXPECT_EQ(fs.contents[note], "new");
  EXPECT_FALSE(fs.files.count(note + ".4242.saving"));

  // A full disk: the old text stays whole and nothing is left beside it.
  fs.log.clear();
  fs.diskFull = true;
  EXPECT_FALSE(SaveNoteFile(fs, note, "newer text"));
  EXPECT_EQ(fs.contents[note], "new");
  EXPECT_FALSE(fs.files.count(note + ".4242.saving"));
  // The note held open by another program: the replacement is refused, the note is as it was.
  fs.diskFull = false;
  fs.locked.insert(note);
  EXPECT_FALSE(SaveNoteFile(fs, note, "newer text"));
  EXPECT_EQ(fs.contents[note], "new");
  EXPECT_FALSE(fs.files.count(note + ".4242.saving"));
  // A new note is made the same way.
  const std::string fresh = R"(E:\kest\y.exe.txt)";
  EXPECT_TRUE(SaveNoteFile(fs, fresh, "text"));
  EXPECT_EQ(fs.contents[fresh], "text");
}

TEST(NoteFiles, NoTargetReachesTheScratchNote) {
  const std::string scratch = Lower(NoteFilePath(kExeDir, ""));
  for (const char* target : {R"(C:\w\Kest scratch note.rtf)", R"(C:\w\Kest scratch note)", R"(C:\w\KEST SCRATCH NOTE.RTF)",
                             R"(C:\w\)", "C:", R"(C:\w\Kest scratch note.rtf.)", "Kest scratch note.rtf",
                             R"(C:\w\x:Kest scratch note.rtf)", "C:/w/Kest scratch note.rtf"}) {
    std::string note = Lower(NoteFilePath(kExeDir, target));
    EXPECT_NE(note, scratch) << target;
    // Every target's note sits directly beside the executable and ends in ".txt" (which
    // Windows never trims), a name the scratch note does not have in any case.
    EXPECT_EQ(note.rfind(Lower(kExeDir), 0), 0u) << target;
    EXPECT_EQ(note.find_first_of("\\/:", std::string(kExeDir).size()), std::string::npos) << target;
    EXPECT_TRUE(note.ends_with(".txt")) << target;
  }
  EXPECT_FALSE(scratch.ends_with(".txt"));
}

TEST(NoteFiles, NoTargetReachesAFileKestShips) {
  // An earlier package's read-me lies beside Kest.exe: a target called README in any case keeps
  // its note under another name, which no other target's note or the scratch note can have.
  for (const char* target : {R"(C:\w\README)", R"(C:\w\readme)", "ReadMe"})
    EXPECT_EQ(Lower(NoteFilePath(kExeDir, target)), R"(e:\kest\readme.note.rtf)") << target;
  EXPECT_EQ(NoteFilePath(kExeDir, R"(C:\w\README.txt)"), R"(E:\kest\README.txt.txt)");
  EXPECT_EQ(NoteFilePath(kExeDir, R"(C:\w\README.note.rtf)"), R"(E:\kest\README.note.rtf.txt)");
}

std::string Steps(NoteEvent e, bool visible) {
  NoteSteps s = StepsFor(e, visible);
  std::string out;
  if (s.save) out += "save ";
  if (s.show) out += "show ";
  if (s.load) out += "load ";
  if (s.hide) out += "hide ";
  return out;
}

TEST(NoteEvents, EveryWayOffTheScreenSavesAndEveryShowReads) {
  // Visible: whatever takes the text off the screen, or away from its target, saves it first.
  EXPECT_EQ(Steps(NoteEvent::Close, true), "save hide ");
  EXPECT_EQ(Steps(NoteEvent::Toggle, true), "save hide ");
  EXPECT_EQ(Steps(NoteEvent::Minimise, true), "save hide ");
  EXPECT_EQ(Steps(NoteEvent::Exit, true), "save ");
  EXPECT_EQ(Steps(NoteEvent::TargetChanging, true), "save ");
  EXPECT_EQ(Steps(NoteEvent::TargetChanged, true), "load ");
  // Hidden: the text is in its file already; only showing (and the start) reads the note.
  EXPECT_EQ(Steps(NoteEvent::Toggle, false), "show load ");
  EXPECT_EQ(Steps(NoteEvent::Create, false), "load ");
  for (NoteEvent e : {NoteEvent::Close, NoteEvent::Minimise, NoteEvent::Exit, NoteEvent::TargetChanging,
                      NoteEvent::TargetChanged})
    EXPECT_EQ(Steps(e, false), "") << static_cast<int>(e);
}

TEST(NoteMenu, EntriesInTheirOrderWithShortcuts) {
  std::string menu;
  for (const NoteMenuEntry& e : kNoteMenu)
    menu += e.caption ? std::string(e.caption) + (e.shortcut ? std::string("\t") + e.shortcut : "") + "|" : "-|";
  EXPECT_EQ(menu, "Копировать\tCtrl+C|Вставить\tCtrl+V|-|Выделить всё\tCtrl+A|Очистить всё|");
  EXPECT_EQ(kNoteMenu[0].command, NoteCommand::Copy);
  EXPECT_EQ(kNoteMenu[1].command, NoteCommand::Paste);
  EXPECT_EQ(kNoteMenu[3].command, NoteCommand::SelectAll);
  EXPECT_EQ(kNoteMenu[4].command, NoteCommand::ClearAll);
}

}  // namespace
}  // namespace kest
