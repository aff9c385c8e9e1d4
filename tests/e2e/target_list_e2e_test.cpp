// The target list as a user meets it: stored lists, adding by every route, deleting, copying
// the path, backup and restore, and the list written back at close.
#include <gtest/gtest.h>

#include "catalog/shortcuts.h"
#include "e2e/kest_driver.h"
#include "platform/win32/file_system.h"
#include "platform/win32/shell_links.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

TEST_F(KestTest, StoredListLoadsInOrderWithTheLastEntrySelected) {
  AppDir app("stored-list");
  app.writeFile("w\\a.exe", "MZ");
  app.writeFile("w\\c.exe", "MZ");
  StoreTargets(app, {app.file("w\\a.exe"), "", app.file("w\\c.exe")});
  app.deleteIniKey("Targets", "1");  // a missing key becomes "Error link"
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  EXPECT_EQ(k.targetNames(), (std::vector<std::string>{"a.exe", "Error link", "c.exe"}));
  EXPECT_EQ(k.targetDirs(), (std::vector<std::string>{app.file("w\\"), "", app.file("w\\")}));
  EXPECT_EQ(e2e::ListViewSelected(k.targetList()), 2);
  CloseKest(k);
  // A run that changed nothing leaves the section as it found it, the missing key too.
  EXPECT_EQ(app.readIni("Targets", "Count"), "3");
  EXPECT_EQ(app.readIni("Targets", "1"), "\x01");
  EXPECT_EQ(app.readIni("Targets", "2"), app.file("w\\c.exe"));
}

TEST_F(KestTest, EmptyAndNegativeCountsLoadNothing) {
  for (const char* count : {"0", "-3", "abc"}) {
    AppDir app(std::string("count-") + count);
    app.writeIni("Targets", "Count", count);
    app.writeIni("Targets", "0", "C:\\never\\shown.exe");
    Kest k = StartKest(app, BareCommandLine(app));
    ASSERT_NE(k.main, nullptr);
    EXPECT_EQ(e2e::ListViewCount(k.targetList()), 0) << count;
    CloseKest(k);
    // Nothing changed, nothing written.
    EXPECT_EQ(app.readIni("Targets", "Count"), count);
    EXPECT_EQ(app.readIni("Targets", "0"), "C:\\never\\shown.exe") << count;
  }
}

TEST_F(KestTest, ForwardedFileLandsAtTheEndAndIsSelected) {
  AppDir app("forward-end");
  StoreTargets(app, {"C:\\one\\a.exe", "C:\\two\\b.exe"});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  RunRefusedStart(app, ArgumentCommandLine(app, "C:\\three\\c.exe"));
  EXPECT_EQ(k.targetNames(), (std::vector<std::string>{"a.exe", "b.exe", "c.exe"}));
  EXPECT_EQ(e2e::ListViewSelected(k.targetList()), 2);
  // The same path again is a second entry.
  RunRefusedStart(app, ArgumentCommandLine(app, "C:\\three\\c.exe"));
  EXPECT_EQ(e2e::ListViewCount(k.targetList()), 4);
  CloseKest(k);
  EXPECT_EQ(app.readIni("Targets", "Count"), "4");
  EXPECT_EQ(app.readIni("Targets", "2"), "C:\\three\\c.exe");
  EXPECT_EQ(app.readIni("Targets", "3"), "C:\\three\\c.exe");
}

TEST_F(KestTest, DeletingEntriesRewritesTargetsAtClose) {
  AppDir app("delete-entries");
  StoreTargets(app, {"C:\\a\\1.exe", "C:\\a\\2.exe", "C:\\a\\3.exe", "C:\\a\\4.exe", "C:\\a\\5.exe"});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  for (int item : {1, 2, 1}) {  // 2.exe, then 4.exe, then 3.exe: leaves 1.exe and 5.exe
    int before = e2e::ListViewCount(lv);
    ASSERT_TRUE(e2e::ListViewSelect(lv, item));
    e2e::PostKey(lv, VK_DELETE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewCount(lv) == before - 1; }, 3000));
  }
  EXPECT_EQ(k.targetNames(), (std::vector<std::string>{"1.exe", "5.exe"}));
  CloseKest(k);
  EXPECT_EQ(app.readIni("Targets", "Count"), "2");
  EXPECT_EQ(app.readIni("Targets", "0"), "C:\\a\\1.exe");
  EXPECT_EQ(app.readIni("Targets", "1"), "C:\\a\\5.exe");
  for (const char* gone : {"2", "3", "4", "5"}) EXPECT_EQ(app.readIni("Targets", gone), "\x01") << gone;
}

TEST_F(KestTest, CopyFilePathFromThePopUpMenu) {
  AppDir app("copy-path");
  StoreTargets(app, {"C:\\w dir\\first.exe", "C:\\w dir\\second.exe"});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  ASSERT_TRUE(e2e::ListViewSelect(lv, 0));
  ClearClipboard();
  RECT r = e2e::ListViewItemRect(lv, 0, LVIR_LABEL);
  HWND menu = OpenPopupMenu(k, [&] { e2e::PostClick(lv, r.left + 5, (r.top + r.bottom) / 2, true); });
  ASSERT_NE(menu, nullptr);
  // Past "Add tools..." (the catalog holds no tool): the first entry after the separator.
  e2e::MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});
  ASSERT_TRUE(e2e::WaitUntil([] { return ClipboardText().has_value(); }, 5000));
  EXPECT_EQ(ClipboardText().value_or(""), "C:\\w dir\\first.exe");
  CloseKest(k);
}

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

TEST_F(KestTest, DoubleClickOpensTheTargetThroughTheShell) {
  AppDir app("double-click");
  CopyFileA((e2e::ExeDir() + "kest_probe.exe").c_str(), app.file("opened.exe").c_str(), FALSE);
  StoreTargets(app, {app.file("opened.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  RECT r = e2e::ListViewItemRect(lv, 0, LVIR_LABEL);
  e2e::PostDoubleClick(lv, r.left + 5, (r.top + r.bottom) / 2);
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.exists("probe.log"); }, 10000)) << "the target was not opened";
  std::string log = app.readFile("probe.log");
  EXPECT_NE(log.find("cwd=" + app.path().substr(0, app.path().size() - 1)), std::string::npos) << log;
  CloseKest(k);
}

TEST_F(KestTest, PopUpMenuWithoutSelectionHasNoEntryCommands) {
  AppDir app("menu-no-selection");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  // An empty catalog and no selected entry leave the menu with "Add tools..." alone: the last
  // item is the first, and it opens the settings window.
  HWND menu = OpenPopupMenu(k, [&] { e2e::PostClick(lv, 40, 80, true); });
  ASSERT_NE(menu, nullptr);
  e2e::MenuKeys(menu, {VK_UP, VK_RETURN});
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr);
  CloseSettings(settings);
  CloseKest(k);
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

TEST_F(KestTest, DroppedFilesBecomeTargetsAndShortcutsNameWhatTheyPointTo) {
  AppDir app("drop-files");
  app.writeFile("d\\plain.exe", "MZ");
  app.makeDir("d\\folder");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ASSERT_TRUE(PostDropFiles(k.main, {app.file("d\\plain.exe"), app.file("d\\folder")}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewCount(k.targetList()) == 2; }, 5000));
  EXPECT_EQ(k.targetNames(), (std::vector<std::string>{"plain.exe", "folder"}));
  EXPECT_EQ(e2e::ListViewSelected(k.targetList()), 1);
  EXPECT_TRUE(k.process.running());
  CloseKest(k);
}

TEST_F(KestTest, BackupAndRestoreWithTheirMessages) {
  AppDir app("backup-restore");
  app.writeFile("w\\app.exe", "version 1");
  StoreTargets(app, {app.file("w\\app.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  auto answer = [&](const char* caption, const std::string& text) {
    auto box = e2e::WaitForMessageBox(caption, 10000, k.process.pid());
    ASSERT_TRUE(box.has_value()) << "no \"" << caption << "\" box for " << text;
    EXPECT_EQ(box->text, text);
    e2e::AnswerMessageBox(box->hwnd, IDOK);
  };

  // Restore before any backup: the system's "file not found".
  k.click(ids::restore);
  answer("Kest error", "Error: !2");
  EXPECT_EQ(app.readFile("w\\app.exe"), "version 1");

  k.click(ids::backup);
  answer("Kest info", "Backup created!");
  EXPECT_EQ(app.readFile("w\\app.exe.KestBackUp"), "version 1");

  app.writeFile("w\\app.exe", "version 2 patched");
  k.click(ids::restore);
  answer("Kest info", "Backup restored!");
  EXPECT_EQ(app.readFile("w\\app.exe"), "version 1");
  EXPECT_TRUE(app.exists("w\\app.exe.KestBackUp")) << "the backup stays";

  // A backup that cannot be made says so and leaves the older backup alone.
  DeleteFileA(app.file("w\\app.exe").c_str());
  k.click(ids::backup);
  answer("Kest error", "Error: 2");
  EXPECT_EQ(app.readFile("w\\app.exe.KestBackUp"), "version 1");
  CloseKest(k);
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

TEST_F(KestTest, EmptyListBackupReportsAndRestoreSaysNothing) {
  AppDir app("empty-backup");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  k.click(ids::restore);
  EXPECT_TRUE(e2e::NoMessageBox("Kest error", 500, k.process.pid()));
  EXPECT_TRUE(e2e::NoMessageBox("Kest info", 10, k.process.pid()));
  k.click(ids::backup);
  auto box = e2e::WaitForMessageBox("Kest error", 10000, k.process.pid());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text.rfind("Error: ", 0), 0u) << box->text;
  EXPECT_EQ(box->text.find('!'), std::string::npos);
  e2e::AnswerMessageBox(box->hwnd, IDOK);
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
  askAndAnswer(IDNO);
  EXPECT_FALSE(e2e::WaitUntil([&] { return !e2e::TopWindows("#32770", k.process.pid(), true).empty(); }, 300));

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
}

}  // namespace
}  // namespace kest::e2etest
