#pragma once
// Starting, finding and closing copies of Kest.exe for the end-to-end tests.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "e2e/harness.h"
#include "core/window_ids.h"

#include <shlobj.h>

namespace kest::e2etest {

// The command line of a start without argument: the quoted executable and one blank.
inline std::string BareCommandLine(const e2e::AppDir& app) { return e2e::Quoted(app.exe()) + " "; }
// The command line the Explorer commands make: quoted executable, blank, path, closing quote.
inline std::string ArgumentCommandLine(const e2e::AppDir& app, const std::string& path) {
  return e2e::Quoted(app.exe()) + " " + path + "\"";
}

// A stored target list in [Targets].
inline void StoreTargets(const e2e::AppDir& app, const std::vector<std::string>& paths) {
  app.writeIni("Targets", "Count", std::to_string(paths.size()));
  for (std::size_t i = 0; i < paths.size(); ++i) app.writeIni("Targets", std::to_string(i), paths[i]);
}

// The first descendant window with this text (a button, a label, a check box).
inline HWND ChildWithText(HWND parent, const std::string& text) {
  for (HWND c : e2e::Children(parent))
    if (e2e::WindowText(c) == text) return c;
  return nullptr;
}

// A running copy of Kest: its process and main window.
struct Kest {
  e2e::Process process;
  HWND main = nullptr;

  HWND targetList() const { return e2e::FindChildByClass(main, "SysListView32"); }
  std::vector<std::string> targetNames() const { return e2e::ListViewColumn(targetList(), 0); }
  std::vector<std::string> targetDirs() const { return e2e::ListViewColumn(targetList(), 1); }
  HWND control(int id) const { return e2e::FindChildById(main, id); }
  // A click in the middle of a button of the main window.
  void click(int id) const {
    HWND b = control(id);
    RECT r = e2e::ClientRect(b);
    e2e::PostClick(b, r.right / 2, r.bottom / 2);
  }
};

// Ctrl+F as the target list hears it; the find box once it is on the screen.
inline HWND OpenFindBox(const Kest& k) {
  HWND lv = k.targetList();
  PostMessageA(lv, WM_KEYDOWN, VK_CONTROL, 1);
  e2e::PostKey(lv, 'F');
  PostMessageA(lv, WM_KEYUP, VK_CONTROL, 0xC0000001);
  return e2e::WaitForWindow("TfKFind", k.process.pid(), 10000, true);
}

// A double click on the main window's title strip; the mini window once it is on the screen.
inline HWND EnterMiniMode(const Kest& k) {
  RECT r = e2e::WindowRectOnScreen(k.main);
  e2e::PostDoubleClick(k.main, (r.right - r.left) / 2, 5);
  return e2e::WaitForWindow("TfSplashForm", k.process.pid(), 5000, true);
}

// The settings window of this copy once it is on the screen, and its close.
inline HWND WaitForSettings(const Kest& k) { return e2e::WaitForWindow("TfOpt", k.process.pid(), 10000, true); }
inline void CloseSettings(HWND settings) {
  e2e::PostClose(settings);
  EXPECT_TRUE(e2e::WaitForWindowGone(settings, 5000));
}

// A pop-up menu of Kest that has opened and stayed open: an activation change right after
// it opened (a message box just closed, say) may cancel it, and then it is opened again.
inline HWND OpenPopupMenu(const Kest& k, const std::function<void()>& open) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    open();
    HWND menu = e2e::WaitForPopupMenu(10000, k.process.pid());
    if (menu && !e2e::WaitUntil([&] { return !IsWindowVisible(menu); }, 200)) return menu;
  }
  return nullptr;
}

// The open dialog "Open file to reverse" of a copy of Kest, once it is on screen.
inline HWND WaitForOpenDialog(const Kest& k) {
  HWND dialog = nullptr;
  e2e::WaitUntil([&] {
    for (HWND w : e2e::TopWindows("#32770", k.process.pid(), true))
      if (e2e::WindowText(w) == "Open file to reverse") dialog = w;
    return dialog != nullptr;
  }, 10000);
  return dialog;
}

// Types a path into the open dialog's file name box and presses its OK button.
inline void ChooseInOpenDialog(HWND dialog, const std::string& path) {
  HWND name = e2e::FindChildById(dialog, 0x47C);  // the file name box
  if (HWND edit = e2e::FindChildByClass(name, "Edit")) name = edit;
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  SendMessageA(e2e::FindChildById(dialog, IDOK), BM_CLICK, 0, 0);
}

// The clipboard's CF_TEXT, or nothing.
inline std::optional<std::string> ClipboardText() {
  std::optional<std::string> text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(h))) {
      text = p;
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return text;
}

inline void ClearClipboard() {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

using e2e::PostDropFiles;

// The name the machine under Wine gives a path (wine_get_unix_file_name); empty elsewhere.
inline std::string UnixPath(const std::string& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  if (!unixName) return std::string();
  std::wstring wide(path.begin(), path.end());
  char* name = unixName(wide.c_str());
  std::string unix = name ? name : "";
  if (name) HeapFree(GetProcessHeap(), 0, name);
  return unix;
}

// Starts the machine's shell on a command line (Windows quoting); it holds nothing of the test
// run's output. Wine does not wait on such a process: the command says by a file when it is
// done. Throws std::runtime_error when it cannot be started.
inline e2e::Process StartUnixShell(const std::string& command) {
  return e2e::Process::Start("Z:\\bin\\sh", "sh -c \"exec < /dev/null > /dev/null 2>&1; " + command + "\"");
}

// Starts a copy that is expected to open its main window (hidden: one begun in mini mode).
inline Kest StartKest(const e2e::AppDir& app, const std::string& commandLine, bool shown = true) {
  Kest k;
  k.process = e2e::Process::Start(app.exe(), commandLine, app.path());
  k.main = e2e::WaitForWindow("TfKest", k.process.pid(), 15000, shown);
  EXPECT_NE(k.main, nullptr) << "no main window for " << commandLine;
  return k;
}

// Starts a copy that is expected to end by itself without a window; returns its exit code.
inline DWORD RunRefusedStart(const e2e::AppDir& app, const std::string& commandLine) {
  e2e::Process p = e2e::Process::Start(app.exe(), commandLine, app.path());
  DWORD code = 0xDEAD;
  EXPECT_TRUE(p.waitExit(15000, &code)) << "the start did not end: " << commandLine;
  return code;
}

// Starts a copy that is expected to say why in a "Kest error" box, then end by itself without a
// window; returns the box's text, empty when none came.
inline std::string RunReportingStart(const e2e::AppDir& app, const std::string& commandLine) {
  e2e::Process p = e2e::Process::Start(app.exe(), commandLine, app.path());
  auto box = e2e::WaitForMessageBox("Kest error", 15000, p.pid());
  if (box) e2e::AnswerMessageBox(box->hwnd, IDOK);
  DWORD code = 0xDEAD;
  EXPECT_TRUE(p.waitExit(15000, &code)) << "the start did not end: " << commandLine;
  EXPECT_EQ(code, 0u);
  return box ? box->text : std::string();
}

// Opens the target list's pop-up menu over an entry (or empty space) and sends keys to it.
inline void ChooseFromTargetMenu(const Kest& k, int item, const std::vector<UINT>& keys) {
  HWND lv = k.targetList();
  if (item >= 0) {
    ASSERT_TRUE(e2e::ListViewSelect(lv, item));
  }
  HWND menu = OpenPopupMenu(k, [&] {
    if (item >= 0) {
      RECT r = e2e::ListViewItemRect(lv, item, LVIR_LABEL);
      e2e::PostClick(lv, r.left + 5, (r.top + r.bottom) / 2, true);
    } else {
      RECT r = e2e::ClientRect(lv);
      e2e::PostClick(lv, r.right / 2, r.bottom - 5, true);
    }
  });
  ASSERT_NE(menu, nullptr) << "the pop-up menu did not open";
  e2e::MenuKeys(menu, keys);
}

// Answers an import's two questions: a new folder (Yes), and every tool at once (No).
inline void AnswerImportQuestions(const Kest& k, const std::string& folder) {
  auto where = e2e::WaitForMessageBox("Kest confirm", 10000, k.process.pid());
  ASSERT_TRUE(where.has_value());
  EXPECT_EQ(where->text, "Create a new folder " + folder + " [YES] and scan or just scan from it [NO]?");
  e2e::AnswerMessageBox(where->hwnd, IDYES);
  auto how = e2e::WaitForMessageBox("Need request", 10000, k.process.pid());
  ASSERT_TRUE(how.has_value());
  EXPECT_EQ(how->text, "Request to add new tool [YES] or add all automaticly [NO]?");
  e2e::AnswerMessageBox(how->hwnd, IDNO);
}

// The note window's editor, and text put in it as if typed.
inline HWND Editor(HWND kfs) {
  for (HWND c : e2e::Children(kfs))
    if (e2e::ClassName(c).rfind("RICHEDIT", 0) == 0 || e2e::ClassName(c).rfind("RichEdit", 0) == 0) return c;
  return nullptr;
}
inline void Type(HWND editor, const std::string& text) {
  SendMessageA(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The note file is rich text holding the text (within five seconds).
inline bool HoldsRtfWith(const e2e::AppDir& app, const std::string& note, const std::string& text) {
  return e2e::WaitUntil([&] {
    std::string content = app.readFile(note);
    return content.rfind("{\\rtf", 0) == 0 && content.find(text) != std::string::npos;
  }, 5000);
}

// Closes the main window and waits for the process to end.
inline void CloseKest(Kest& k) {
  if (!k.main) return;
  e2e::PostClose(k.main);
  DWORD code = 0xDEAD;
  EXPECT_TRUE(k.process.waitExit(15000, &code)) << "Kest did not end after WM_CLOSE";
  EXPECT_EQ(code, 0u);
  k.main = nullptr;
}

// Every test starts with a clean atom table as far as Kest is concerned.
class KestTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearKestAtoms(); }
  void TearDown() override { ClearKestAtoms(); }
  static void ClearKestAtoms() {
    e2e::DeleteAtomCompletely("OnlyOneKest");
    e2e::ClearAtomsWithPrefix("KestComLine=");
  }
};

}  // namespace kest::e2etest
