// The fast string window's notes: one per target beside Kest.exe, following the target that
// is clicked, and saved on every way the text leaves the screen.
#include <gtest/gtest.h>

#include <utility>

#include "e2e/kest_driver.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

HWND Editor(HWND kfs) {
  for (HWND c : e2e::Children(kfs))
    if (e2e::ClassName(c).rfind("RICHEDIT", 0) == 0 || e2e::ClassName(c).rfind("RichEdit", 0) == 0) return c;
  return nullptr;
}

void Type(HWND editor, const std::string& text) {
  SendMessageA(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// A left press on an entry, which makes it the current target.
void ClickTarget(const Kest& k, int item) {
  HWND lv = k.targetList();
  ASSERT_TRUE(e2e::ListViewSelect(lv, item));
  RECT r = e2e::ListViewItemRect(lv, item, LVIR_LABEL);
  e2e::PostClick(lv, r.left + 5, (r.top + r.bottom) / 2);
}

// Real input through the system's queue: a click into the editor, then Ctrl with a key.
void Input(const INPUT& in) { SendInput(1, const_cast<INPUT*>(&in), sizeof in); }
void ClickInto(HWND w) {
  RECT r = e2e::WindowRectOnScreen(w);
  int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  SetCursorPos(x, y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  for (DWORD flags : {DWORD{MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE}, DWORD{MOUSEEVENTF_LEFTDOWN}, DWORD{MOUSEEVENTF_LEFTUP}}) {
    in.mi.dwFlags = flags;
    Input(in);
  }
}
void CtrlKey(WORD vk) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  for (auto [key, up] : {std::pair{WORD{VK_CONTROL}, false}, {vk, false}, {vk, true}, {WORD{VK_CONTROL}, true}}) {
    in.ki.wVk = key;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    Input(in);
  }
}

bool Shows(HWND editor, const std::string& text) {
  return e2e::WaitUntil([&] { return e2e::WindowText(editor) == text; }, 5000);
}

bool HoldsRtfWith(const AppDir& app, const std::string& note, const std::string& text) {
  return e2e::WaitUntil([&] {
    std::string content = app.readFile(note);
    return content.rfind("{\\rtf", 0) == 0 && content.find(text) != std::string::npos;
  }, 5000);
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
  // And back: the first text again; the plain-text note was written back as RTF.
  ClickTarget(k, 1);
  EXPECT_TRUE(Shows(editor, "beta says hello"));
  EXPECT_TRUE(HoldsRtfWith(app, "alpha.exe.txt", "alpha in plain text"));
  // The shortcuts work in the editor: select all and copy.
  ClearClipboard();
  ClickInto(editor);
  ASSERT_TRUE(e2e::WaitUntil([&] { return GetForegroundWindow() == kfs; }, 3000));
  CtrlKey('A');
  CtrlKey('C');
  EXPECT_TRUE(e2e::WaitUntil([] { return ClipboardText().value_or("") == "beta says hello"; }, 3000));

  // "S" hides the window, which saves; showing it again reads the note back.
  Type(editor, "typed before S");
  k.click(ids::sbRich);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(kfs); }, 5000));
  EXPECT_TRUE(HoldsRtfWith(app, "beta.exe.txt", "typed before S"));
  k.click(ids::sbRich);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(kfs) != FALSE; }, 5000));
  EXPECT_TRUE(Shows(editor, "typed before S"));

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

  // Leaving the program with the window open saves the note too.
  Type(editor, "typed before exit");
  CloseKest(k);
  EXPECT_TRUE(HoldsRtfWith(app, "beta.exe.txt", "typed before exit"));
  EXPECT_EQ(app.readIni("Options", "KFSOpened"), "1");
}

}  // namespace
}  // namespace kest::e2etest
