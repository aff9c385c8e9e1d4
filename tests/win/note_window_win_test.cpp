// The note window built in this process against fakes: a note per target, read and written
// through the fake file system, following the current target and saved on every way out.
#include <gtest/gtest.h>

#include <richedit.h>

#include "core/texts.h"
#include "core/window_ids.h"
#include "win/fake_app.h"
#include "window_rules/notes.h"

namespace kest::wintest {
namespace {

class NoteWindowTest : public KestWindowsTest {
 protected:
  void SetUp() override {
    app.storeTargets({"C:\\one\\alpha.exe", "C:\\two\\beta.exe"});
    app.setIni("Options", "KFSOpened", "1");
  }
  // The note file holds rich text with the text in it.
  bool HoldsRtfWith(const std::string& note, const std::string& text) {
    const std::string& content = app.fs.contents[note];
    return content.rfind("{\\rtf", 0) == 0 && content.find(text) != std::string::npos;
  }
  void Type(const std::string& text) { SetWindowTextA(editor(), text.c_str()); }
  std::string Shown() { return TextOf(editor()); }
  bool ReadOnly() { return (SendMessageA(editor(), EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0; }

  const std::string alpha = "C:\\Kest\\data\\alpha.exe.txt";
  const std::string beta = "C:\\Kest\\data\\beta.exe.txt";
};

TEST_F(NoteWindowTest, TheNoteFollowsTheTargetAndIsSavedBeforeItChangesAndWhenHidden) {
  app.file(alpha, "alpha in plain text");  // not RTF: read as text
  Start();
  ASSERT_TRUE(IsWindowVisible(noteWindow())) << "open at the last exit, open now";
  // The last entry is current at start, and it has no note yet.
  EXPECT_EQ(Shown(), "");

  // Another target: the shown text goes to the old target's note, the new one's is read.
  Type("beta says hello");
  Pick(0);
  EXPECT_EQ(Shown(), "alpha in plain text");
  EXPECT_TRUE(HoldsRtfWith(beta, "beta says hello")) << app.fs.contents[beta];
  // And back: the first text again; the plain-text note, unchanged, was not written at all.
  Pick(1);
  EXPECT_EQ(Shown(), "beta says hello");
  EXPECT_EQ(app.fs.contents[alpha], "alpha in plain text");

  // "S" hides the window, which saves; showing it again reads the note back.
  Type("typed before S");
  Command(ids::notes);
  EXPECT_FALSE(IsWindowVisible(noteWindow()));
  EXPECT_TRUE(HoldsRtfWith(beta, "typed before S"));
  app.fs.contents[beta] = "changed while hidden";
  Command(ids::notes);
  EXPECT_TRUE(IsWindowVisible(noteWindow()));
  EXPECT_EQ(Shown(), "changed while hidden");

  // While hidden nothing follows: the next show reads the target of that moment.
  Command(ids::notes);
  Pick(0);
  EXPECT_TRUE(app.box.asked.empty()) << Asked().front();
  Command(ids::notes);
  EXPECT_EQ(Shown(), "alpha in plain text");

  // Leaving the program with the window open saves the note too.
  Type("typed before exit");
  ASSERT_TRUE(Close());
  EXPECT_TRUE(HoldsRtfWith(alpha, "typed before exit"));
  EXPECT_EQ(app.ini("Options", "KFSOpened"), "1");
  EXPECT_NE(app.ini("Options", "KFSLeft"), "(none)");
}

TEST_F(NoteWindowTest, AskedForTheNoteTakesTheKeysShownAsItWasLeftItLeavesThemInTheList) {
  Start();
  ASSERT_TRUE(IsWindowVisible(noteWindow()));
  EXPECT_EQ(GetFocus(), list()) << "open at the last exit, it takes nothing from the list";
  // A click on "S" hides it, the next shows it with the keys in the editor; so does the tray menu.
  for (int i = 0; i < 2; ++i) SendMessageA(GetDlgItem(main(), ids::notes), BM_CLICK, 0, 0);
  ASSERT_TRUE(IsWindowVisible(noteWindow()));
  EXPECT_EQ(GetFocus(), editor());
  SetFocus(list());
  Command(ids::trayNotes);
  ASSERT_FALSE(IsWindowVisible(noteWindow()));
  Command(ids::trayNotes);
  EXPECT_EQ(GetFocus(), editor());
}

TEST_F(NoteWindowTest, ARefusedSaveKeepsTheTextAndAnUnreadableNoteIsNeverWrittenOver) {
  app.file(alpha, "alpha's own");
  Start();
  // The note file cannot be written: reported, and the close keeps the window open.
  Type("typed while locked");
  app.fs.locked.insert(beta);
  SendMessageA(noteWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(Asked(), std::vector<std::string>{"Kest: " + FileMessage(kCannotCreateFile, beta)});
  EXPECT_TRUE(IsWindowVisible(noteWindow()));
  EXPECT_EQ(Shown(), "typed while locked");
  app.fs.locked.clear();
  app.box.asked.clear();

  // A note that cannot be read: the editor stays empty and shut until the next note is read.
  app.fs.locked.insert(alpha);
  Pick(0);
  EXPECT_EQ(Asked(), std::vector<std::string>{"Kest: " + FileMessage(kCannotOpenFile, alpha) + "\r\n" +
                                              kNoteLeftAlone});
  EXPECT_EQ(Shown(), "");
  EXPECT_TRUE(ReadOnly());
  EXPECT_TRUE(HoldsRtfWith(beta, "typed while locked")) << "the change went to beta's note first";
  app.fs.locked.clear();
  Pick(1);
  EXPECT_EQ(Shown(), "typed while locked");
  EXPECT_FALSE(ReadOnly());
  EXPECT_EQ(app.fs.contents[alpha], "alpha's own");
}

TEST_F(NoteWindowTest, ANoteChangedOnTheDiskIsSavedOverOnlyWhenTheUserSaysSo) {
  Start();
  Type("first");
  Command(ids::notes);
  Command(ids::notes);
  ASSERT_TRUE(HoldsRtfWith(beta, "first"));
  const std::string question = FileMessage(kNoteChangedOnDisk, beta);

  // Another copy of Kest wrote the note since it was read here.
  app.fs.contents[beta] = "written by the other copy";
  app.fs.touch(beta);
  Type("mine");
  app.box.answers = {MbAnswer::No};
  Command(ids::notes);
  EXPECT_EQ(Asked(), std::vector<std::string>{std::string(text::kCaptionConfirm) + ": " + question});
  EXPECT_FALSE(IsWindowVisible(noteWindow()));
  EXPECT_EQ(app.fs.contents[beta], "written by the other copy");
  Command(ids::notes);
  EXPECT_EQ(Shown(), "written by the other copy");

  app.fs.contents[beta] = "and again by the other copy";
  app.fs.touch(beta);
  Type("mine after all");
  app.box.answers = {MbAnswer::Yes};
  Command(ids::notes);
  EXPECT_EQ(app.box.asked.size(), 2u);
  EXPECT_TRUE(HoldsRtfWith(beta, "mine after all"));
}

TEST_F(NoteWindowTest, WithoutATargetTheTextGoesToTheScratchNote) {
  app.storeTargets({});
  Start();
  ASSERT_EQ(app.state.currentTarget(), "");
  Type("no target yet");
  Command(ids::notes);
  EXPECT_TRUE(HoldsRtfWith(std::string(FakeApp::kDataDir) + kScratchNoteName, "no target yet"));
}

}  // namespace
}  // namespace kest::wintest
