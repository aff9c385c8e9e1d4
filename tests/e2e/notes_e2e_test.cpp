// The note window's notes on a real disk: one per target beside Kest.exe, following the target
// that is clicked, the editor's shortcuts by real keys, notes held by another program, and the
// note saved at exit.
#include <gtest/gtest.h>

#include <utility>

#include "e2e/kest_driver.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

// A left press on an entry, which makes it the current target.
void ClickTarget(const Kest& k, int item) {
  HWND lv = k.targetList();
  ASSERT_TRUE(e2e::ListViewSelect(lv, item));
  RECT r = e2e::ListViewItemRect(lv, item, LVIR_LABEL);
  e2e::PostClick(lv, r.left + 5, (r.top + r.bottom) / 2);
}

// A real click into the middle of the window, through the system's queue.
void ClickInto(HWND w) {
  RECT r = e2e::WindowRectOnScreen(w);
  e2e::ClickOnScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

bool Shows(HWND editor, const std::string& text) {
  return e2e::WaitUntil([&] { return e2e::WindowText(editor) == text; }, 5000);
}

TEST_F(KestTest, NotesFollowTheClickedTargetAndAreSavedOnEveryWayOut) {
  AppDir app("notes");
  app.writeFile("one\\alpha.exe", "MZ");
  app.writeFile("two\\beta.exe", "MZ");
  StoreTargets(app, {app.file("one\\alpha.exe"), app.file("two\\beta.exe")});
  app.writeIni("Options", "KFSOpened", "1");
  app.writeIni("Options", "abValue", "5");
  app.writeFile("alpha.exe.txt", "alpha in plain text");  // not RTF: read as text
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND kfs = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000, true);
  ASSERT_NE(kfs, nullptr);
  HWND editor = Editor(kfs);
  ASSERT_NE(editor, nullptr);
  // The last entry is current at start, and it has no note yet.
  EXPECT_TRUE(Shows(editor, ""));
  EXPECT_EQ(e2e::WindowAlpha(kfs), 30) << "never drawn less opaque than the floor";

  // Another target: the shown text goes to the old target's note, the new one's is read.
  Type(editor, "beta says hello");
  ClickTarget(k, 0);
  EXPECT_TRUE(Shows(editor, "alpha in plain text"));
  EXPECT_TRUE(HoldsRtfWith(app, "beta.exe.txt", "beta says hello"));
  // And back: the first text again; the plain-text note, unchanged, was not written at all.
  ClickTarget(k, 1);
  EXPECT_TRUE(Shows(editor, "beta says hello"));
  EXPECT_EQ(app.readFile("alpha.exe.txt"), "alpha in plain text");
  // The shortcuts work in the editor: select all and copy.
  ClearClipboard();
  ClickInto(editor);
  ASSERT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == kfs; }, 3000));
  e2e::CtrlKey('A');
  e2e::CtrlKey('C');
  EXPECT_TRUE(e2e::WaitUntil([] { return ClipboardText().value_or("") == "beta says hello"; }, 3000));

  // A note file that cannot be written is reported, and the close keeps the window open.
  Type(editor, "typed while locked");
  HANDLE lock = CreateFileA(app.file("beta.exe.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  PostMessageA(kfs, WM_CLOSE, 0, 0);
  auto box = e2e::WaitForMessageBox("Kest", 5000, k.process.pid());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, "Cannot create file " + app.file("beta.exe.txt"));
  e2e::AnswerMessageBox(box->hwnd, IDOK);
  CloseHandle(lock);
  EXPECT_TRUE(IsWindowVisible(kfs));
  EXPECT_EQ(e2e::WindowText(editor), "typed while locked");

  // A note that cannot be read is never written over: the editor stays empty and shut.
  HANDLE held = CreateFileA(app.file("alpha.exe.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  // Posted, so that the test is not held inside the list's change while the box is up.
  e2e::PostKey(k.targetList(), VK_UP);
  auto unreadable = e2e::WaitForMessageBox("Kest", 5000, k.process.pid());
  ASSERT_TRUE(unreadable.has_value());
  EXPECT_EQ(unreadable->text, "Cannot open file " + app.file("alpha.exe.txt") +
                                  "\r\nThe note is left as it is on the disk and is not saved over.");
  e2e::AnswerMessageBox(unreadable->hwnd, IDOK);
  CloseHandle(held);
  EXPECT_EQ(e2e::WindowText(editor), "");
  ClickTarget(k, 1);
  EXPECT_TRUE(Shows(editor, "typed while locked"));
  EXPECT_EQ(app.readFile("alpha.exe.txt"), "alpha in plain text");

  // Leaving the program with the window open saves the note too.
  Type(editor, "typed before exit");
  CloseKest(k);
  EXPECT_TRUE(HoldsRtfWith(app, "beta.exe.txt", "typed before exit"));
  EXPECT_EQ(app.readIni("Options", "KFSOpened"), "1");
}

}  // namespace
}  // namespace kest::e2etest
