// The target list where real input, the shell, the open dialog or real files are at work: a
// press on empty space, a double click, the open dialog, the help question's dialog, a restore
// over a running program and a shortcut given on the command line.
#include <gtest/gtest.h>

#include "catalog/shortcuts.h"
#include "e2e/kest_driver.h"
#include "platform/win32/file_system.h"
#include "platform/win32/shell_links.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

using e2e::MouseButton;
using e2e::MouseTo;

TEST_F(KestTest, PressOnEmptyListSpaceDeselectsAndMovesTheWindow) {
  AppDir app("empty-space-drag");
  StoreTargets(app, {"C:\\w\\a.exe"});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  EXPECT_EQ(e2e::ListViewSelected(lv), 0);
  RECT before = e2e::WindowRectOnScreen(k.main);
  RECT list = e2e::WindowRectOnScreen(lv);
  POINT start{(list.left + list.right) / 2, list.bottom - 20};
  MouseTo(start.x, start.y);
  MouseButton(true);
  for (int step = 1; step <= 10; ++step) {
    Sleep(15);
    MouseTo(start.x + 4 * step, start.y - 3 * step);
  }
  Sleep(50);
  MouseButton(false);
  EXPECT_TRUE(e2e::WaitUntil([&] {
    RECT now = e2e::WindowRectOnScreen(k.main);
    return now.left == before.left + 40 && now.top == before.top - 30;
  }, 3000)) << "the window follows the mouse";
  EXPECT_EQ(e2e::ListViewSelected(lv), -1) << "the press leaves no entry selected";
  CloseKest(k);
  EXPECT_EQ(app.readIni("Options", "NMLeft"), std::to_string(before.left + 40));
}

// The texts of the probe's log: one "cmd=" line per start.
int ProbeStarts(const AppDir& app) {
  const std::string log = app.readFile("probe.log");
  int starts = 0;
  for (std::size_t at = log.find("cmd="); at != std::string::npos; at = log.find("cmd=", at + 1)) ++starts;
  return starts;
}

TEST_F(KestTest, NoRouteRunsOrLoadsASampleAndADoubleClickAsksBeforeAProgramRuns) {
  AppDir app("double-click");
  CopyFileA((e2e::ExeDir() + "kest_probe.exe").c_str(), app.file("opened.exe").c_str(), FALSE);
  // A DLL that leaves a mark beside itself when it is loaded as a module.
  CopyFileA((e2e::ExeDir() + "kest_probe_dll.dll").c_str(), app.file("mark.dll").c_str(), FALSE);
  app.writeFile("double click.txt", "a document");
  // The prefix may know no ".txt": its text files open in Notepad for this test.
  HKEY txt = nullptr;
  const bool madeTxt = RegCreateKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &txt,
                                       nullptr) == ERROR_SUCCESS &&
                       RegQueryValueExA(txt, nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS &&
                       RegSetValueExA(txt, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("txtfile"), 8) == ERROR_SUCCESS;
  if (txt) RegCloseKey(txt);
  StoreTargets(app, {app.file("opened.exe"), app.file("double click.txt"), app.file("mark.dll")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();

  // The rows drawn with their icons, the hashes of each copied; the DLL backed up and restored,
  // its note shown; each row pointed at (its facts read).
  for (int row = 0; row < 3; ++row) {
    ClearClipboard();
    // Past "Add tools..." (the catalog holds no tool) and "Copy file path".
    ChooseFromTargetMenu(k, row, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(e2e::WaitUntil([] { return ClipboardText().has_value(); }, 15000)) << "row " << row;
  }
  for (auto [button, said] : {std::pair{ids::backup, "Backup created!"}, std::pair{ids::restore, "Backup restored!"}}) {
    k.click(button);
    auto info = e2e::WaitForMessageBox("Kest info", 10000, k.process.pid());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->text, said);
    e2e::AnswerMessageBox(info->hwnd, IDOK);
  }
  k.click(ids::notes);
  HWND note = e2e::WaitForWindow("TfKFS", k.process.pid(), 10000, true);
  EXPECT_NE(note, nullptr);
  k.click(ids::notes);
  for (int row = 0; row < 3; ++row) {
    RECT r = e2e::ListViewItemRect(lv, row, LVIR_LABEL);
    PostMessageA(lv, WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2));
  }
  auto doubleClick = [&](int row) {
    RECT r = e2e::ListViewItemRect(lv, row, LVIR_LABEL);
    e2e::PostDoubleClick(lv, r.left + 5, (r.top + r.bottom) / 2);
  };
  auto ask = [&] {
    auto box = e2e::WaitForMessageBox("Kest confirm", 10000, k.process.pid());
    EXPECT_TRUE(box.has_value()) << "no question before the program ran";
    return box;
  };
  const std::string kind = sizeof(void*) == 8 ? "PE32+ executable" : "PE32 executable";

  // "No", the default, leaves the program unrun.
  doubleClick(0);
  auto box = ask();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "This target is a program (" + kind + "). Opening it runs it. Run it?");
  EXPECT_TRUE(GetWindowLongA(e2e::FindChildById(box->hwnd, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON);
  e2e::AnswerMessageBox(box->hwnd, IDNO);

  // A document opens without a question.
  doubleClick(1);
  HWND notepad = nullptr;
  EXPECT_TRUE(e2e::WaitUntil([&] {
    for (HWND w : e2e::TopWindows(nullptr, 0, true))
      if (e2e::WindowText(w).find("double click") != std::string::npos) notepad = w;
    return notepad != nullptr;
  }, 15000)) << "the document was not opened";
  if (notepad) e2e::PostClose(notepad);
  EXPECT_TRUE(e2e::NoMessageBox("Kest confirm", 0, k.process.pid()));

  // "Yes" runs it, in its directory: the one start the probe records.
  doubleClick(0);
  box = ask();
  ASSERT_TRUE(box);
  e2e::AnswerMessageBox(box->hwnd, IDYES);
  std::string log;
  EXPECT_TRUE(e2e::WaitUntil([&] {
    log = app.readFile("probe.log");
    return !log.empty() && log.back() == '\n';
  }, 10000)) << "the target was not opened";
  EXPECT_NE(log.find("cwd=" + app.path().substr(0, app.path().size() - 1)), std::string::npos) << log;
  EXPECT_EQ(ProbeStarts(app), 1) << log;
  CloseKest(k);
  EXPECT_FALSE(app.exists("mark.dll.loaded")) << "a route loaded the DLL as a module";
  if (madeTxt) RegDeleteKeyA(HKEY_CLASSES_ROOT, ".txt");
}

TEST_F(KestTest, OpenDialogAddsTheChosenFileAndLastDirIsKept) {
  AppDir app("open-dialog");
  app.writeFile("picked\\target.exe", "MZ");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  k.click(ids::addFile);
  HWND dialog = WaitForOpenDialog(k);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowVisible(k.main)) << "the main window steps aside for the dialog";
  ChooseInOpenDialog(dialog, app.file("picked\\target.exe"));
  ASSERT_TRUE(e2e::WaitUntil([&] { return k.targetNames() == std::vector<std::string>{"target.exe"}; }, 5000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(k.main) != FALSE; }, 3000));
  CloseKest(k);
  EXPECT_EQ(app.readIni("Options", "LastDir"), app.file("picked"));
}

TEST_F(KestTest, RestoreOverARunningTargetReportsSharingViolation) {
  AppDir app("restore-running");
  CopyFileA((e2e::ExeDir() + "kest_probe.exe").c_str(), app.file("busy.exe").c_str(), FALSE);
  CopyFileA(app.file("busy.exe").c_str(), app.file("busy.exe.KestBackUp").c_str(), FALSE);
  StoreTargets(app, {app.file("busy.exe")});
  e2e::Process busy = e2e::Process::Start(app.file("busy.exe"), e2e::Quoted(app.file("busy.exe")) + " --stay", app.path());
  ASSERT_TRUE(e2e::WaitUntil([&] { return app.exists("probe.log"); }, 10000));
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  k.click(ids::restore);
  auto box = e2e::WaitForMessageBox("Kest error", 10000, k.process.pid());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, "Error: !32");
  e2e::AnswerMessageBox(box->hwnd, IDOK);
  busy.terminate();
  CloseKest(k);
}

TEST_F(KestTest, F1WithoutHelpFileAsksInRussianAndRefusesOtherExtensions) {
  AppDir app("help-question");
  app.writeFile("docs\\manual.txt", "not help");
  app.writeFile("docs\\mixed.HlP", "not accepted either");
  StoreTargets(app, {"C:\\w\\a.exe"});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  auto askAndAnswer = [&](int button) {
    e2e::PostKey(lv, VK_F1);
    auto box = e2e::WaitForMessageBox("Kest confirm", 10000, k.process.pid());
    EXPECT_TRUE(box.has_value());
    if (!box) return;
    EXPECT_EQ(e2e::MessageBoxTextW(box->hwnd),
              L"\u0424\u0430\u0439\u043b \u0441\u043f\u0440\u0430\u0432\u043a\u0438 \u043d\u0435 "
              L"\u043d\u0430\u0439\u0434\u0435\u043d. \u0425\u043e\u0442\u0438\u0442\u0435 "
              L"\u0443\u043a\u0430\u0437\u0430\u0442\u044c \u043f\u0443\u0442\u044c "
              L"\u0432\u0440\u0443\u0447\u043d\u0443\u044e?");
    EXPECT_NE(e2e::FindChildById(box->hwnd, IDCANCEL), nullptr) << "Yes, No and Cancel";
    e2e::AnswerMessageBox(box->hwnd, button);
  };
  for (const char* chosen : {"docs\\manual.txt", "docs\\mixed.HlP"}) {
    askAndAnswer(IDYES);
    HWND dialog = WaitForOpenDialog(k);
    ASSERT_NE(dialog, nullptr);
    ChooseInOpenDialog(dialog, app.file(chosen));
    ASSERT_TRUE(e2e::WaitForWindowGone(dialog, 5000));
  }
  CloseKest(k);
  EXPECT_EQ(app.readIni("Options", "hlp"), "\x01") << "no help file was accepted";
  EXPECT_EQ(app.readIni("Options", "LastDir"), app.file("docs")) << "the help choice uses the same dialog";
}

TEST_F(KestTest, ShortcutTargetNamesTheFileItPointsTo) {
  AppDir app("shortcut-target");
  app.writeFile("real\\program.exe", "MZ");
  {
    win32::ComApartment com;
    win32::Win32FileSystem fs;
    win32::ComShellLinks links;
    CreateShortcut(links, fs, app.file("real\\program.exe"), app.file("program.lnk"), "");
  }
  ASSERT_TRUE(app.exists("program.lnk"));
  Kest k = StartKest(app, ArgumentCommandLine(app, app.file("program.lnk")));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(k.targetNames(), std::vector<std::string>{"program.exe"});
  EXPECT_EQ(k.targetDirs(), std::vector<std::string>{app.file("real\\")});
  CloseKest(k);
  EXPECT_EQ(app.readIni("Targets", "0"), app.file("real\\program.exe"));
  // A shortcut stored in Tools.ini is read as the list loads, before the rest of the start.
  StoreTargets(app, {app.file("program.lnk")});
  Kest stored = StartKest(app, BareCommandLine(app));
  ASSERT_NE(stored.main, nullptr);
  EXPECT_EQ(stored.targetNames(), std::vector<std::string>{"program.exe"});
  EXPECT_EQ(stored.targetDirs(), std::vector<std::string>{app.file("real\\")});
  CloseKest(stored);
  EXPECT_EQ(app.readIni("Targets", "0"), app.file("program.lnk")) << "stored as it was loaded";
}

}  // namespace
}  // namespace kest::e2etest
