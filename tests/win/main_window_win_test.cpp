// The main window built in this process against fakes: its target list as the routes fill it,
// the tools run from its menus, backup and restore, and the modes with the keys they write.
#include <gtest/gtest.h>

#include "catalog/tool_menus.h"
#include "core/single_instance.h"
#include "core/texts.h"
#include "core/window_ids.h"
#include "catalog/work_drive.h"
#include "win/fake_app.h"

namespace kest::wintest {
namespace {

using Strings = std::vector<std::string>;

class MainWindowTest : public KestWindowsTest {};

TEST_F(MainWindowTest, StoredListLoadsInOrderAndAnUnchangedListIsNotWrittenAgain) {
  app.storeTargets({"C:\\w\\a.exe", "", "C:\\w\\c.exe"});
  app.store.data[app.state.settings().path()]["targets"].erase("1");  // a missing key is "Error link"
  Start();
  EXPECT_EQ(Names(), (Strings{"a.exe", "Error link", "c.exe"}));
  EXPECT_EQ(Rows(), 3);
  EXPECT_EQ(Selected(), 2);
  EXPECT_EQ(app.state.currentTarget(), "C:\\w\\c.exe");
  ASSERT_TRUE(Close());
  EXPECT_EQ(app.ini("Targets", "Count"), "3");
  EXPECT_EQ(app.ini("Targets", "1"), "(none)");
}

class CountTest : public KestWindowsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CountTest, AnEmptyOrNegativeCountLoadsNothingAndIsLeftAsItIs) {
  app.setIni("Targets", "Count", GetParam());
  app.setIni("Targets", "0", "C:\\never\\shown.exe");
  Start();
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(app.state.currentTarget(), "");
  ASSERT_TRUE(Close());
  EXPECT_EQ(app.ini("Targets", "Count"), GetParam());
  EXPECT_EQ(app.ini("Targets", "0"), "C:\\never\\shown.exe");
}
INSTANTIATE_TEST_SUITE_P(MainWindowTest, CountTest, ::testing::Values("0", "-3", "abc"));

TEST_F(MainWindowTest, DroppedAndForwardedFilesLandAtTheEndSelectedAndCurrent) {
  app.storeTargets({"C:\\one\\a.exe"});
  app.file("C:\\d\\plain.exe");
  app.makeDirs("C:\\d\\folder");
  app.file("C:\\d\\real\\program.exe");
  app.file("C:\\d\\program.lnk", "");
  app.links.links["C:\\d\\program.lnk"] = {"C:\\d\\real\\program.exe", "", ""};
  Start();
  // A drop: each file in order, a shortcut as the file it points to, the last one current.
  SendMessageA(main(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({"C:\\d\\plain.exe", "C:\\d\\program.lnk", "C:\\d\\folder"})), 0);
  EXPECT_EQ(Names(), (Strings{"a.exe", "plain.exe", "program.exe", "folder"}));
  EXPECT_EQ(app.state.targets().at(2).fullPath(), "C:\\d\\real\\program.exe");
  EXPECT_EQ(Selected(), 3);
  EXPECT_EQ(app.state.currentTarget(), "C:\\d\\folder");

  // A second start's atom: the same path twice is two entries.
  for (int i = 0; i < 2; ++i) {
    AtomValue atom = app.atoms.add(std::string(kForwardPrefix) + "C:\\three\\c.exe");
    SendMessageA(main(), msg::kForwardedCommandLine, 0, atom);
  }
  EXPECT_EQ(Names(), (Strings{"a.exe", "plain.exe", "program.exe", "folder", "c.exe", "c.exe"}));
  EXPECT_EQ(Rows(), 6);
  EXPECT_EQ(Selected(), 5);
  EXPECT_EQ(app.state.currentTarget(), "C:\\three\\c.exe");
  EXPECT_EQ(app.atoms.refs(std::string(kForwardPrefix) + "C:\\three\\c.exe"), 0) << "each atom is taken";

  // A path with a line break is refused on the drop as on the other routes.
  SendMessageA(main(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\x.exe\r\n[Evil]"})), 0);
  EXPECT_EQ(Rows(), 6);
  ASSERT_EQ(app.box.asked.size(), 1u);
  EXPECT_EQ(app.box.asked[0].text, FileMessage(text::kControlCharactersText, "C:\\x.exe??[Evil]"));

  // The additions reach Tools.ini a moment later, without a close.
  EXPECT_TRUE(PumpUntil([&] { return app.ini("Targets", "Count") == "6"; }));
  EXPECT_EQ(app.ini("Targets", "2"), "C:\\d\\real\\program.exe");
  EXPECT_EQ(app.ini("Targets", "5"), "C:\\three\\c.exe");
}

TEST_F(MainWindowTest, DeletingTheFocusedEntriesRewritesTargets) {
  app.storeTargets({"C:\\a\\1.exe", "C:\\a\\2.exe", "C:\\a\\3.exe", "C:\\a\\4.exe", "C:\\a\\5.exe"});
  Start();
  for (int item : {1, 2, 1}) {  // 2.exe, then 4.exe, then 3.exe: leaves 1.exe and 5.exe
    Pick(item);
    SendMessageA(list(), WM_KEYDOWN, VK_DELETE, 1);
  }
  EXPECT_EQ(Names(), (Strings{"1.exe", "5.exe"}));
  EXPECT_EQ(Rows(), 2);
  // "Delete" of the main window's commands takes the focused entry as the key does.
  Pick(0);
  Command(ids::deleteTarget);
  EXPECT_EQ(Names(), Strings{"5.exe"});
  ASSERT_TRUE(Close());
  EXPECT_EQ(app.ini("Targets", "Count"), "1");
  EXPECT_EQ(app.ini("Targets", "0"), "C:\\a\\5.exe");
  for (const char* gone : {"1", "2", "3", "4"}) EXPECT_EQ(app.ini("Targets", gone), "(none)") << gone;
}

TEST_F(MainWindowTest, TheTargetMenuRunsAToolOnItsTargetInTheTargetsDirectory) {
  app.tool("Debuggers\\Probe.lnk", "C:\\tools\\probe.exe");
  app.tool("Args.lnk", "C:\\tools\\args.exe", "-f %1 --");
  app.storeTargets({"C:\\work dir\\a.exe"});
  app.file("C:\\work dir\\a.exe");
  Start();
  // The root's folders come first, then its tools.
  TargetMenu({VK_DOWN, VK_RIGHT, VK_RETURN});
  ASSERT_EQ(app.processes.calls, Strings{"winexec C:\\tools\\probe.exe \"a.exe\" @1"});
  EXPECT_EQ(app.fs.cwd, "C:\\work dir\\");
  EXPECT_FALSE(IsIconic(main()));
  // A shortcut's own arguments take the target where they say %1.
  TargetMenu({VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(app.processes.calls.back(), "winexec C:\\tools\\args.exe -f \"a.exe\" -- @1");
  EXPECT_TRUE(app.box.asked.empty()) << Asked().front();
}

TEST_F(MainWindowTest, WithoutATargetTheToolStartsInItsOwnDirectoryAndMinToolsRunMinimises) {
  app.tool("Probe.lnk", "C:\\tools\\probe.exe");
  app.setIni("Options", "MinToolsRun", "1");
  Start();
  ASSERT_EQ(Selected(), -1);
  TargetMenu({VK_DOWN, VK_RETURN});
  // Without a target there is nothing to pass: the shell starts the program in its directory.
  ASSERT_EQ(app.processes.calls, Strings{"shell [] C:\\tools\\probe.exe [] in C:\\tools\\ @5"});
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(main()) != FALSE; })) << "MinToolsRun minimises";
  EXPECT_FALSE(IsWindowVisible(main())) << "to the tray";
  ASSERT_TRUE(Close());
  EXPECT_EQ(app.ini("Options", "Minimized"), "1");
}

TEST_F(MainWindowTest, AMissingToolBringsTheDriveQuestionsOncePerRebuildAndTheWarning) {
  app.tool("Gone.lnk", "C:\\tools\\probe.exe");
  app.fs.files.erase("C:\\tools\\probe.exe");
  Start();
  const std::string warning = "Kest warning: " + ToolNotFoundText("probe.exe");
  const std::string drives = std::string("Kest: ") + kDriveQuestion;
  // Both tools menus are built in one go, each checking the tool; the menu opens after the last
  // box, and choosing the tool checks it once more.
  app.box.answers = {MbAnswer::Yes, MbAnswer::No, MbAnswer::Ok, MbAnswer::No, MbAnswer::Ok, MbAnswer::No};
  TargetMenu({VK_DOWN, VK_RETURN});
  EXPECT_EQ(Asked(), (Strings{drives, std::string("Kest: ") + kCdQuestion, warning, drives, warning, drives,
                              warning}));
  // Opening the menu again rebuilds nothing: no questions.
  app.box.asked.clear();
  TargetMenu({VK_ESCAPE});
  EXPECT_TRUE(app.box.asked.empty()) << Asked().front();
}

TEST_F(MainWindowTest, CtrlPutsTheCommandLineInTheBoxAndEnterRunsIt) {
  app.tool("Probe.lnk", "C:\\my tools\\probe.exe");
  app.storeTargets({"C:\\w\\b.exe"});
  app.file("C:\\w\\b.exe");
  Start();
  HWND box = GetDlgItem(main(), ids::commandLine);
  SendMessageA(list(), WM_KEYDOWN, VK_CONTROL, 1);
  TargetMenu({VK_DOWN, VK_RETURN});
  SendMessageA(list(), WM_KEYUP, VK_CONTROL, 0xC0000001);
  ASSERT_TRUE(IsWindowVisible(box));
  // The program's path holds a blank: it is quoted.
  EXPECT_EQ(TextOf(box), "\"C:\\my tools\\probe.exe\" \"b.exe\"");
  EXPECT_TRUE(app.processes.calls.empty()) << "nothing starts yet";
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(app.processes.calls, Strings{"winexec \"C:\\my tools\\probe.exe\" \"b.exe\" @1"});
  EXPECT_EQ(app.fs.cwd, "C:\\w\\");
  EXPECT_FALSE(IsWindowVisible(box));

  // Emptied, Enter only hides the box.
  SendMessageA(list(), WM_KEYDOWN, VK_CONTROL, 1);
  TargetMenu({VK_DOWN, VK_RETURN});
  SendMessageA(list(), WM_KEYUP, VK_CONTROL, 0xC0000001);
  ASSERT_TRUE(IsWindowVisible(box));
  SetWindowTextA(box, "");
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_FALSE(IsWindowVisible(box));
  EXPECT_EQ(app.processes.calls.size(), 1u);
}

TEST_F(MainWindowTest, TheEntryCommandsOfTheMenuActOnTheEntryItWasOpenedOver) {
  app.storeTargets({"C:\\w dir\\first.exe", "C:\\w dir\\second.exe"});
  Start();
  Pick(0);
  // Past "Add tools..." (the catalog holds no tool): "Copy file path", "Copy hashes", "Delete",
  // "Properties".
  TargetMenu({VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(app.clipboard.text, "C:\\w dir\\first.exe");
  TargetMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(app.processes.calls, Strings{"properties C:\\w dir\\first.exe"});
  TargetMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(Names(), Strings{"second.exe"});
  EXPECT_EQ(settingsOpened, 0);

  // With no entry selected the menu holds "Add tools..." alone, and it opens the settings window.
  ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
  TargetMenu({VK_UP, VK_RETURN});
  EXPECT_EQ(settingsOpened, 1);
  EXPECT_EQ(Names(), Strings{"second.exe"});
}

TEST_F(MainWindowTest, BackupAndRestoreSayHowTheyWent) {
  Start();
  // An empty list: B reports the system's error, R says nothing.
  Command(ids::restore);
  EXPECT_TRUE(app.box.asked.empty());
  Command(ids::backup);
  ASSERT_EQ(app.box.asked.size(), 1u);
  EXPECT_EQ(app.box.asked[0].caption, text::kCaptionError);
  EXPECT_EQ(app.box.asked[0].text.rfind("Error: ", 0), 0u);
  EXPECT_EQ(app.box.asked[0].text.find('!'), std::string::npos);
  app.box.asked.clear();

  app.file("C:\\w\\app.exe", "version 1");
  SendMessageA(main(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\w\\app.exe"})), 0);
  Command(ids::restore);  // before any backup: the system's "file not found"
  Command(ids::backup);
  EXPECT_EQ(app.fs.contents["C:\\w\\app.exe.KestBackUp"], "version 1");
  app.fs.contents["C:\\w\\app.exe"] = "version 2 patched";
  Command(ids::restore);
  EXPECT_EQ(app.fs.contents["C:\\w\\app.exe"], "version 1");
  EXPECT_TRUE(app.fs.files.count("C:\\w\\app.exe.KestBackUp")) << "the backup stays";
  // A backup that cannot be made says so and leaves the older backup alone.
  app.fs.contents["C:\\w\\app.exe"] = "version 3";
  app.fs.locked.insert("C:\\w\\app.exe.KestBackUp");
  Command(ids::backup);
  app.fs.locked.clear();
  EXPECT_EQ(app.fs.contents["C:\\w\\app.exe.KestBackUp"], "version 1");
  EXPECT_EQ(Asked(), (Strings{"Kest error: Error: !2", "Kest info: Backup created!", "Kest info: Backup restored!",
                              "Kest error: Error: 32"}));

  // The focus moved alone to another entry (Ctrl and an arrow): R restores the selected one.
  app.box.asked.clear();
  app.file("C:\\w\\other.exe", "other");
  app.file("C:\\w\\other.exe.KestBackUp", "other's backup");
  SendMessageA(main(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\w\\other.exe", "C:\\w\\app.exe"})), 0);
  ListView_SetItemState(list(), 1, LVIS_FOCUSED, LVIS_FOCUSED);
  ASSERT_EQ(Selected(), 2);
  Command(ids::restore);
  EXPECT_EQ(app.fs.contents["C:\\w\\other.exe"], "other") << "the focused entry is not the current target";
  EXPECT_EQ(app.fs.contents["C:\\w\\app.exe"], "version 1");
  EXPECT_EQ(Asked(), Strings{"Kest info: Backup restored!"});
}

TEST_F(MainWindowTest, MiniModeShowsTheMiniWindowInPlaceOfTheMainWindowAndItsXBringsItBack) {
  app.setIni("Options", "NMLeft", "300");
  app.setIni("Options", "NMTop", "200");
  Start();
  RECT before{};
  GetWindowRect(main(), &before);
  // A double click on the title strip.
  SendMessageA(main(), WM_LBUTTONDBLCLK, 0, MAKELPARAM((before.right - before.left) / 2, 5));
  HWND mini = FindWindowA("TfSplashForm", nullptr);
  ASSERT_NE(mini, nullptr);
  EXPECT_TRUE(IsWindowVisible(mini));
  EXPECT_FALSE(IsWindowVisible(main()));
  EXPECT_EQ(TextOf(mini), "Kest mini");
  RECT at{};
  GetWindowRect(mini, &at);
  EXPECT_EQ(at.left, before.left);
  EXPECT_EQ(at.top, before.top);
  BYTE mainAlpha = 0, miniAlpha = 1;
  GetLayeredWindowAttributes(main(), nullptr, &mainAlpha, nullptr);
  GetLayeredWindowAttributes(mini, nullptr, &miniAlpha, nullptr);
  EXPECT_EQ(miniAlpha, mainAlpha);
  SendMessageA(mini, WM_COMMAND, ids::mini_window::closeButton, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(mini); }));
  EXPECT_TRUE(IsWindowVisible(main()));
  RECT back{};
  GetWindowRect(main(), &back);
  EXPECT_EQ(back.left, before.left);
  EXPECT_EQ(back.top, before.top);
  ASSERT_TRUE(Close());
  // A run in normal mode keeps the normal mode's keys.
  EXPECT_EQ(app.ini("Options", "NMLeft"), "300");
  EXPECT_EQ(app.ini("Options", "IMOnStart"), "0");
  EXPECT_EQ(app.ini("Options", "IMLeft"), "(none)");
}

TEST_F(MainWindowTest, ARunBegunInMiniModeRebuildsTheIconBarWhoseButtonsLaunchAndKeepsItsKeys) {
  app.tool("Debuggers\\Probe.lnk", "C:\\tools\\probe.exe");
  app.storeTargets({"C:\\w\\t.exe"});
  app.file("C:\\w\\t.exe");
  app.setIni("Options", "IMOnStart", "1");
  Start();
  HWND mini = FindWindowA("TfSplashForm", nullptr);
  ASSERT_NE(mini, nullptr);
  EXPECT_TRUE(IsWindowVisible(mini));
  EXPECT_FALSE(IsWindowVisible(main()));
  HWND bar = GetDlgItem(main(), ids::iconBar);
  EXPECT_FALSE(IsWindowVisible(bar)) << "no mode shows the icon bar";
  EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 0);
  SendMessageA(main(), msg::kSettingsApplied, 0, 0);
  EXPECT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 1);
  Command(*ToolCommandId(ToolCommandRange::IconBar, 0));
  EXPECT_EQ(app.processes.calls, Strings{"winexec C:\\tools\\probe.exe \"t.exe\" @1"});
  EXPECT_EQ(app.fs.cwd, "C:\\w\\");
  ASSERT_TRUE(Close());
  EXPECT_EQ(app.ini("Options", "IMOnStart"), "1");
  EXPECT_NE(app.ini("Options", "IMLeft"), "(none)");
  EXPECT_EQ(app.ini("Options", "NMLeft"), "(none)");
}

TEST_F(MainWindowTest, NormalModeLeavesTheIconBarAlone) {
  app.tool("Probe.lnk", "C:\\tools\\probe.exe");
  Start();
  SendMessageA(main(), msg::kSettingsApplied, 0, 0);
  EXPECT_EQ(SendMessageA(GetDlgItem(main(), ids::iconBar), TB_BUTTONCOUNT, 0, 0), 0);
}

TEST_F(MainWindowTest, ASecondStartBringsTheWindowBackFromTheTrayAndMiniModeWithTheKeysInTheList) {
  Start();
  const UINT comeBack = RegisterWindowMessageA(kComeBackMessage);
  SetFocus(GetDlgItem(main(), ids::backup));
  Command(ids::toTray);
  ASSERT_FALSE(IsWindowVisible(main()));
  SendMessageA(main(), comeBack, 0, 0);
  EXPECT_TRUE(IsWindowVisible(main()));
  EXPECT_FALSE(IsIconic(main()));
  EXPECT_EQ(GetFocus(), list());
  Command(ids::toMini);
  HWND mini = FindWindowA("TfSplashForm", nullptr);
  ASSERT_TRUE(mini && IsWindowVisible(mini));
  SendMessageA(main(), comeBack, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(mini); }));
  EXPECT_TRUE(IsWindowVisible(main()));
  EXPECT_EQ(GetFocus(), list());
}

// The tooltip with a width to break lines at is the rows' one.
BOOL CALLBACK FindRowTip(HWND w, LPARAM found) {
  char cls[32] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0 && SendMessageA(w, TTM_GETMAXTIPWIDTH, 0, 0) > 0)
    *reinterpret_cast<HWND*>(found) = w;
  return TRUE;
}

TEST_F(MainWindowTest, TheRowsTooltipFollowsAChangeOfDpi) {
  app.storeTargets({"C:\\w\\a.exe"});
  Start();
  // Made as the mouse first comes over the list; the buttons' hints are another tooltip.
  SendMessageA(list(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  HWND tip = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindRowTip, reinterpret_cast<LPARAM>(&tip));
  ASSERT_NE(tip, nullptr);
  auto fontHeight = [&] {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(tip, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight;
  };
  EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), 600);
  const LONG before = fontHeight();
  RECT suggested{100, 100, 100 + 420, 100 + 501};
  SendMessageA(main(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), 900);
  EXPECT_EQ(fontHeight(), MulDiv(before, 144, 96));
}

TEST_F(MainWindowTest, TrayModeHidesTheWindowsAndAClickOnTheIconBringsTheMainWindowBack) {
  app.storeTargets({"C:\\t\\sample.exe"});
  app.setIni("Options", "KFSOpened", "1");
  Start();
  ASSERT_TRUE(IsWindowVisible(noteWindow()));
  RECT before{};
  GetWindowRect(main(), &before);
  Command(ids::trayInMiniStrip);
  EXPECT_FALSE(IsWindowVisible(main()));
  EXPECT_TRUE(IsIconic(main()));
  EXPECT_FALSE(IsWindowVisible(noteWindow()));
  // A left click on the icon restores at once; the note window stays hidden.
  SendMessageA(main(), msg::kTrayCallback, 1, WM_LBUTTONDOWN);
  SendMessageA(main(), msg::kTrayCallback, 1, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(main()));
  EXPECT_FALSE(IsIconic(main()));
  EXPECT_FALSE(IsWindowVisible(noteWindow()));
  // With the main window on the screen the tray menu holds only tools: with none, "Add tools...".
  TrayMenu({VK_UP, VK_RETURN});
  EXPECT_EQ(settingsOpened, 1);
  ASSERT_TRUE(IsWindowVisible(main()));
  // In the tray its last entries are the way back; "Exit" stores the normal place, minimised,
  // the note window closed.
  Command(ids::toTray);
  ASSERT_TRUE(IsIconic(main()));
  TrayMenu({VK_UP, VK_RETURN});
  ASSERT_TRUE(PumpUntil([&] { return !main(); }));
  DropQuit();
  EXPECT_EQ(app.ini("Options", "Minimized"), "1");
  EXPECT_EQ(app.ini("Options", "KFSOpened"), "0");
  EXPECT_EQ(app.ini("Options", "NMLeft"), std::to_string(before.left));
  EXPECT_EQ(app.ini("Options", "NMTop"), std::to_string(before.top));
}

}  // namespace
}  // namespace kest::wintest
