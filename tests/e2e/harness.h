// End-to-end test harness for Kest.
//
// Drives copies of Kest.exe from a separate process through the Win32 API: starting processes,
// finding windows, reading and answering message boxes, reading and selecting list view items of
// another process, posting mouse and keyboard input, inspecting global atoms, taking screenshots.
//
// Plain C++20 + <windows.h> + <commctrl.h>; it does not depend on any test framework, so the same
// code serves the end-to-end tests and benchmarks. Every wait is a poll with a deadline.
//
// Link with: -lcomctl32 -luser32 -lgdi32 -lkernel32
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/remove_tree.h"
#include "kest_version.h"

namespace e2e {

// Directory of the running executable, with a trailing backslash.
std::string ExeDir();

// Calls cond() every pollMs milliseconds until it returns true (then returns true) or timeoutMs
// have passed (then returns false, after one last check).
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs = 10000, DWORD pollMs = 10);

// Removes a directory tree (best effort). True when the directory no longer exists.
using kest::testutil::RemoveTree;
// Creates a directory and all missing parents. True when it exists afterwards.
bool MakeDirs(const std::string& dir);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);

// The program of this build tree: Kest.exe, or Kest64.exe in the 64-bit tree.
inline constexpr const char* kProgramFile = KEST_PROGRAM_FILE;

// A fresh application directory: <ExeDir()>e2e-work\<name>\ , removed (recursively) and
// recreated, with a copy of sourceExe under the program's own name in it (no copy when
// sourceExe is empty).
// Throws std::runtime_error when the directory cannot be prepared. The destructor removes the
// tree (best effort; retries briefly because a just-ended process may still hold the exe).
class AppDir {
 public:
  explicit AppDir(const std::string& name, const std::string& sourceExe = ExeDir() + kProgramFile);
  ~AppDir();
  AppDir(const AppDir&) = delete;
  AppDir& operator=(const AppDir&) = delete;

  const std::string& path() const { return path_; }  // trailing backslash
  std::string exe() const { return path_ + kProgramFile; }
  std::string ini() const { return path_ + "Tools.ini"; }

  // GetPrivateProfileStringA on ini(); returns def when the key is absent. (An empty value
  // reads as "".)
  std::string readIni(const std::string& section, const std::string& key,
                      const std::string& def = "\x01") const;
  void writeIni(const std::string& section, const std::string& key, const std::string& value) const;
  void deleteIniKey(const std::string& section, const std::string& key) const;

  // Relative paths may use '/' or '\'.
  std::string file(const std::string& relative) const;
  void writeFile(const std::string& relative, const std::string& content) const;  // creates parent dirs
  std::string readFile(const std::string& relative) const;                        // "" if missing
  bool exists(const std::string& relative) const;
  void makeDir(const std::string& relative) const;

 private:
  std::string path_;
};

// A process started with CreateProcessA (lpApplicationName = exePath, lpCommandLine = commandLine
// verbatim), optionally in a current directory. Move-only. Start throws std::runtime_error when
// CreateProcessA fails.
class Process {
 public:
  Process() = default;
  static Process Start(const std::string& exePath, const std::string& commandLine,
                       const std::string& currentDir = "");
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  DWORD pid() const { return pid_; }
  HANDLE handle() const { return process_; }
  bool running() const;
  bool waitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);  // true when it ended in time
  bool waitIdle(DWORD timeoutMs = 10000) const;               // WaitForInputIdle
  void terminate();  // TerminateProcess + wait, only this process

 private:
  void close();
  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD pid_ = 0;
};

std::string Quoted(const std::string& s);  // "\"" + s + "\""

// ---- Windows ----

// Top-level windows (EnumWindows) whose class name equals className (case-insensitive; nullptr =
// any class), optionally only those of one process id (0 = any), optionally only visible ones.
std::vector<HWND> TopWindows(const char* className, DWORD pid = 0, bool visibleOnly = false);
HWND WaitForWindow(const char* className, DWORD pid = 0, DWORD timeoutMs = 10000,
                   bool visibleOnly = false);
bool WaitForWindowGone(HWND w, DWORD timeoutMs = 10000);
HWND FindChildByClass(HWND parent, const char* className, int index = 0);  // index-th descendant of that class
HWND FindChildById(HWND parent, int id);                                     // direct child first, then any descendant
std::vector<HWND> Children(HWND parent);                                     // all descendants (EnumChildWindows)
DWORD WindowPid(HWND w);
// Window texts through WM_GETTEXT (works for controls of another process, e.g. edit boxes).
std::string WindowText(HWND w);
std::wstring WindowTextW(HWND w);
std::string ClassName(HWND w);
RECT WindowRectOnScreen(HWND w);  // GetWindowRect
RECT ClientRect(HWND w);          // GetClientRect

// ---- Message boxes ----
// Top-level dialogs of class "#32770" with this caption that look like a message box (the text
// control with id 0xFFFF, and only static and button controls), optionally of one process.
struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::string caption;
  std::string text;
};
std::vector<HWND> MessageBoxes(const std::string& caption, DWORD pid = 0, bool visibleOnly = true);
// Waits until such a dialog is visible; text is the message text.
std::optional<MessageBoxInfo> WaitForMessageBox(const std::string& caption, DWORD timeoutMs = 10000,
                                                DWORD pid = 0);
// True when no such dialog (visible or not) appears for forMs milliseconds.
bool NoMessageBox(const std::string& caption, DWORD forMs, DWORD pid = 0);
// IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7: BM_CLICK on that button (falls back to a posted
// WM_COMMAND when there is no such button or the click has no effect); then waits until the
// dialog is gone.
void AnswerMessageBox(HWND dlg, int buttonId);
std::string MessageBoxText(HWND dlg);
// The text of a message box shown through the wide API, without ANSI conversion.
std::wstring MessageBoxTextW(HWND dlg);

// ---- List views of another process ----
// (VirtualAllocEx + WriteProcessMemory + LVM_GETITEMTEXTA + ReadProcessMemory.)
int ListViewCount(HWND lv);
std::string ListViewText(HWND lv, int item, int subItem = 0);
std::wstring ListViewTextW(HWND lv, int item, int subItem = 0);
std::vector<std::string> ListViewColumn(HWND lv, int subItem = 0);
int ListViewSelected(HWND lv);           // first selected item or -1 (LVM_GETNEXTITEM, LVNI_SELECTED)
std::vector<int> ListViewSelection(HWND lv);  // all selected items
bool ListViewSelect(HWND lv, int item);  // clears the selection, selects + focuses item, scrolls it into view
std::string ListViewColumnTitle(HWND lv, int col);
int ListViewColumnWidth(HWND lv, int col);
int ListViewColumnCount(HWND lv);  // through the header control
// Item rectangle in the list view's client coordinates (LVM_GETITEMRECT; code LVIR_BOUNDS,
// LVIR_ICON, LVIR_LABEL, ...). Empty rectangle when it fails.
RECT ListViewItemRect(HWND lv, int item, int code = LVIR_BOUNDS);

// ---- Tool bars of another process ----
// A button's rectangle in the tool bar's client coordinates (TB_GETITEMRECT); empty when it
// fails.
RECT ToolbarItemRect(HWND toolbar, int index);

// ---- Input posted to windows of another process (client coordinates) ----
void PostClick(HWND w, int x, int y, bool right = false);  // WM_xBUTTONDOWN + UP with MK_ flags
void PostDoubleClick(HWND w, int x, int y);
void PostKey(HWND w, UINT vk);  // WM_KEYDOWN + WM_KEYUP with proper lParam
void PostChar(HWND w, char c);

// ---- Real mouse input through the system's input queue (screen coordinates) ----
void MouseTo(int x, int y);
void MouseButton(bool down);
void ClickOnScreen(POINT p);  // move there, press and release the left button
// A key pressed and released with Ctrl held, through the input queue (for the focused window).
void CtrlKey(WORD vk);
void PostCommand(HWND w, int id);  // WM_COMMAND (id, BN_CLICKED / menu)
void PostClose(HWND w);            // WM_CLOSE

// Pop-up menus (class "#32768"): wait for one to be visible (optionally of one process), send
// keys to it (WM_KEYDOWN posted to the menu window, e.g. VK_DOWN, VK_RIGHT, VK_RETURN,
// VK_ESCAPE). Menus of another process cannot be read under Wine: check what choosing an item does.
HWND WaitForPopupMenu(DWORD timeoutMs = 5000, DWORD pid = 0);
void MenuKeys(HWND menu, const std::vector<UINT>& vks);
void MenuChar(HWND menu, char mnemonic);  // WM_CHAR to the menu window

// ---- Global atoms (the program uses them for single instance) ----
bool AtomExists(const std::string& name);
// Reference count of a global atom (0 when absent): deletes references one by one counting
// them, then re-adds that many (restores the count).
int AtomRefCount(const std::string& name);
void DeleteAtomCompletely(const std::string& name);
// Scans 0xC000..0xFFFF with GlobalGetAtomNameA and deletes every reference of the names that
// start with prefix (case-insensitive, like atom names). Returns how many names were removed.
// Takes about a second under Wine (one server round trip per value).
int ClearAtomsWithPrefix(const std::string& prefix);

// ---- Screen ----
// Screenshot of the whole screen (GetDC(NULL) + BitBlt) or of one window's screen rectangle,
// as a 24-bit BMP file.
bool SaveScreenshotBmp(const std::string& bmpPath, HWND window = nullptr);
// Colour of one screen pixel (screen coordinates); CLR_INVALID when outside.
COLORREF ScreenPixel(int x, int y);
// The colours of a screen rectangle, row by row from the top; empty when it cannot be read.
std::vector<COLORREF> ScreenPixels(const RECT& area);
// Window opacity 0..255 (GetLayeredWindowAttributes): -1 when not layered, 255 when layered
// without an alpha value (colour key only).
int WindowAlpha(HWND w);

// Drops files on a window of another process, as the shell would: a DROPFILES block written
// into that process and handed over with WM_DROPFILES, dropped at a point of the target's
// client area.
bool PostDropFiles(HWND target, const std::vector<std::string>& files, POINT at = POINT{20, 60});

}  // namespace e2e
