#pragma once
// The program's windows built in this process against fakes: every service of their context a
// fake, the application state over the fake settings store, the program as if it ran from
// C:\Kest\ with its files in C:\Kest\data\. The main window, its tools side and the note
// window are wired as the entry wires them; the helpers drive them with messages.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/window_ids.h"
#include "fakes/fake_helper.h"
#include "fakes/fake_platform.h"
#include "kit/modal.h"
#include "kit/window.h"
#include "state/app_context.h"
#include "state/app_state.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"
#include "windows/note_window.h"
#include "windows/tool_shelf.h"

namespace kest::wintest {

struct FakeApp {
  static constexpr const char* kExeDir = "C:\\Kest\\";
  // Kest keeps its files in a data folder here, so that a window that looked for them beside
  // the executable would miss them.
  static constexpr const char* kDataDir = "C:\\Kest\\data\\";

  FakeApp() {
    fs.dir("C:\\Kest");
    fs.dir("C:\\Kest\\data");
    ctx.iconHelper = helpers.Starter();
    // An error a handler does not catch is shown, and so seen, through the fake box.
    Window::SetErrorReporter(&box);
  }
  ~FakeApp() { Window::SetErrorReporter(nullptr); }
  FakeApp(const FakeApp&) = delete;
  FakeApp& operator=(const FakeApp&) = delete;

  // A key of Tools.ini as the fake store holds it; "(none)" when it is not there.
  std::string ini(const std::string& section, const std::string& key) {
    const std::string* v = store.find(state.settings().path(), section, key);
    return v ? *v : "(none)";
  }
  void setIni(const std::string& section, const std::string& key, const std::string& value) {
    store.set(state.settings().path(), section, key, value);
  }
  void storeTargets(const std::vector<std::string>& paths) {
    setIni("Targets", "Count", std::to_string(paths.size()));
    for (std::size_t i = 0; i < paths.size(); ++i) setIni("Targets", std::to_string(i), paths[i]);
  }
  // A file with its folders, as the fake file system lists them.
  void file(const std::string& path, const std::string& content = "MZ") {
    makeDirs(path.substr(0, path.rfind('\\')));
    fs.file(path);
    fs.contents[path] = content;
  }
  void makeDirs(const std::string& dir) {
    if (dir.size() <= 2 || fs.dirs.count(dir)) return;
    makeDirs(dir.substr(0, dir.rfind('\\')));
    fs.dir(dir);
  }
  // A tool of the catalog: a shortcut under C:\Kest\data\root to a program that is there.
  void tool(const std::string& linkUnderRoot, const std::string& program, const std::string& arguments = "") {
    const std::string link = std::string(kDataDir) + "root\\" + linkUnderRoot;
    file(link, "");
    links.links[link] = {program, arguments, ""};
    file(program);
  }

  fakes::FakeSettingsStore store;
  fakes::FakeAtomTable atoms;
  fakes::FakeWindowSystem windows;
  fakes::FakeFileSystem fs;
  fakes::FakeMessageBox box;
  fakes::FakeShellLinks links{fs};
  fakes::FakeDrives drives;
  fakes::FakeClipboard clipboard;
  fakes::FakeProcesses processes;
  fakes::FakeRegistry registry;
  fakes::FakeProgramIcons icons;
  fakes::FakeFileContents files;
  // The targets' icons: helpers in this process, icons made up from the names asked about.
  fakes::FakeIconHelpers helpers;
  AppState state{store, kExeDir, kDataDir};
  AppContext ctx{store,
                 atoms,
                 windows,
                 fs,
                 box,
                 links,
                 drives,
                 clipboard,
                 processes,
                 registry,
                 icons,
                 files,
                 [] { return std::make_unique<fakes::FakeThreadServices>(); },
                 state,
                 std::string(kExeDir) + "Kest.exe",
                 kExeDir,
                 kDataDir,
                 "\"C:\\Kest\\Kest.exe\" "};
};

// Dispatches this thread's messages until done() holds (true) or timeoutMs have passed (false,
// after one last check).
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// Dispatches what is waiting now: what a window posted itself while it handled a message.
inline void PumpPending() {
  PumpUntil([] { return true; }, 0);
}

// The keys a pop-up menu opened next on this thread hears: they wait in the queue, and the
// menu's own loop takes them once it runs.
inline void KeysForNextMenu(HWND anyWindow, const std::vector<UINT>& keys) {
  for (UINT key : keys) PostMessageA(anyWindow, WM_KEYDOWN, key, 1);
}

// A DROPFILES block naming the files, as Explorer hands it over (wide names), dropped at point.
inline HDROP MakeDrop(const std::vector<std::string>& files, POINT point = {}) {
  std::wstring names;
  for (const std::string& f : files) names += std::wstring(f.begin(), f.end()) + L'\0';
  names += L'\0';
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = point;
  drop->fWide = TRUE;
  std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

// A key pressed and let go where the keys are, taken as the program's loop takes it: the window's
// keys first, then Tab and the dialog keys.
inline void Key(UINT vk) {
  const HWND focus = GetFocus();
  for (MSG m : {MSG{focus, WM_KEYDOWN, vk, 1, 0, {}}, MSG{focus, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001), 0, {}}}) {
    if (TakeKeys(m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  PumpPending();
}

inline std::string TextOf(HWND w) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(w)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(w, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The program as the entry makes it: the tools side, the main window with its mini window, and
// the note window it owns. Start() after the fakes hold what the run is to find.
class KestWindowsTest : public ::testing::Test {
 protected:
  void Start() {
    main_ = std::make_unique<MainWindow>(app.ctx, shelf_);
    main_->SetMiniFactory([this](MainHost& host, HWND owner, int left, int top, int opacity) {
      return CreateMiniWindow(app.ctx, host, shelf_, owner, left, top, opacity);
    });
    main_->SetSettingsOpener([this](MainHost&) {
      ++settingsOpened;
      if (whileSettingsOpen) whileSettingsOpen();
    });
    ASSERT_TRUE(main_->Create());
    main_->Show();
    main_->FinishStart();
    notes_ = std::make_unique<NoteWindow>(app.ctx);
    ASSERT_TRUE(notes_->Create(main_->hwnd()));
    main_->SetNotePane(notes_.get());
    PumpPending();
  }
  // WM_CLOSE as the "X" sends it; true once the main window is gone.
  bool Close() {
    SendMessageA(main(), WM_CLOSE, 0, 0);
    const bool gone = PumpUntil([this] { return !main_->hwnd(); }, 3000);
    DropQuit();
    return gone;
  }
  void TearDown() override {
    // The note window goes first, as at the program's end.
    if (main_) main_->SetNotePane(nullptr);
    notes_.reset();
    main_.reset();
    PumpPending();
    DropQuit();
  }
  // The main window's end posts the quit message that would end the program's loop.
  static void DropQuit() {
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  HWND main() const { return main_->hwnd(); }
  ToolShelf& shelf() { return shelf_; }
  HWND list() const { return GetDlgItem(main(), ids::targetList); }
  HWND noteWindow() const { return notes_->hwnd(); }
  HWND editor() const { return GetDlgItem(noteWindow(), ids::note_window::editor); }
  void Command(int id) { SendMessageA(main(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // The target list's file names, top to bottom.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < app.state.targets().size(); ++i) names.push_back(app.state.targets().at(i).fileName);
    return names;
  }
  int Selected() const { return ListView_GetNextItem(list(), -1, LVNI_SELECTED); }
  int Rows() const { return ListView_GetItemCount(list()); }
  // The entry selected and focused, as a click leaves it.
  void Pick(int item) {
    ListView_SetItemState(list(), item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  // The pop-up menu of the target list over its selected entry, with these keys.
  void TargetMenu(const std::vector<UINT>& keys) {
    KeysForNextMenu(main(), keys);
    SendMessageA(main(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list()), MAKELPARAM(200, 200));
  }
  // The notification-area icon's menu, with these keys.
  void TrayMenu(const std::vector<UINT>& keys) {
    KeysForNextMenu(main(), keys);
    SendMessageA(main(), msg::kTrayCallback, 1, WM_RBUTTONDOWN);
  }
  // The texts of the fake message box's questions, in order.
  std::vector<std::string> Asked() const {
    std::vector<std::string> texts;
    for (const auto& a : app.box.asked) texts.push_back(a.caption + ": " + a.text);
    return texts;
  }

  FakeApp app;
  // The settings window stands in as a count of its openings, and what happens while it is open.
  int settingsOpened = 0;
  std::function<void()> whileSettingsOpen;

 private:
  ToolShelf shelf_{app.ctx};
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<NoteWindow> notes_;
};

}  // namespace kest::wintest
