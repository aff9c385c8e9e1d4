// The settings window: opened modally from the main window, its option boxes as they open and
// what a click on one does.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

bool Checked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

HWND OpenSettings(const Kest& k) {
  k.click(ids::settings);
  HWND settings = WaitForSettings(k);
  // The opening steps have run once the boxes show the file.
  if (settings) e2e::WaitUntil([&] { return Checked(ChildWithText(settings, "Run no more one copy")); }, 5000);
  return settings;
}

void Answer(const Kest& k, const char* caption, const std::string& text, int button) {
  auto box = e2e::WaitForMessageBox(caption, 10000, k.process.pid());
  ASSERT_TRUE(box.has_value()) << text;
  EXPECT_EQ(box->text, text);
  e2e::AnswerMessageBox(box->hwnd, button);
}

std::string ClassesDefault(const std::string& subKey) {
  char value[600] = {};
  LONG size = sizeof value;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, subKey.c_str(), value, &size) != ERROR_SUCCESS) return "<none>";
  return value;
}

TEST_F(KestTest, SettingsWindowOpensModallyWithTheBoxesFromTheFile) {
  AppDir app("settings");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  k.click(ids::settings);
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(e2e::WindowText(settings), "Kest settings");
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowEnabled(k.main); }, 3000)) << "modal over the main window";
  // Running as root under Wine: an administrator, so no message; the three true defaults are
  // checked and written back.
  ASSERT_TRUE(e2e::WaitUntil([&] { return app.readIni("Options", "AskRunTarget") == "1"; }, 5000));
  EXPECT_EQ(app.readIni("Options", "NoMoreOneCopy"), "1");
  EXPECT_EQ(app.readIni("Options", "CheckDrive"), "1");
  EXPECT_EQ(app.readIni("Options", "MinToolsRun"), "\x01");
  EXPECT_TRUE(e2e::NoMessageBox("Kest", 200, k.process.pid()));
  HWND fixDrive = ChildWithText(settings, "Confirm, when need change drive");
  HWND oneCopy = ChildWithText(settings, "Run no more one copy");
  HWND onTop = ChildWithText(settings, "Always on top");
  ASSERT_TRUE(fixDrive && oneCopy && onTop);
  EXPECT_TRUE(Checked(fixDrive));
  EXPECT_TRUE(Checked(oneCopy));
  EXPECT_FALSE(Checked(onTop));
  EXPECT_FALSE(Checked(ChildWithText(settings, "Minimize, when you execute tool")));
  EXPECT_FALSE(Checked(ChildWithText(settings, "Shell extentions")));
  EXPECT_TRUE(Checked(ChildWithText(settings, "Ask, before a double click runs a program")));

  // "Always on top" takes effect at once and is stored.
  SendMessageA(onTop, BM_CLICK, 0, 0);
  EXPECT_TRUE(GetWindowLongA(settings, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(app.readIni("Options", "StOnTop"), "1");
  SendMessageA(onTop, BM_CLICK, 0, 0);
  EXPECT_FALSE(GetWindowLongA(settings, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(app.readIni("Options", "StOnTop"), "0");

  // "Ok" closes it and gives the main window back.
  HWND ok = ChildWithText(settings, "Ok");
  ASSERT_NE(ok, nullptr);
  e2e::PostClick(ok, 3, 3);
  ASSERT_TRUE(e2e::WaitForWindowGone(settings, 5000));
  EXPECT_TRUE(IsWindowEnabled(k.main));

  // Opened on top, and taken out of the band: the settings window and the note window
  // leave it with the main one.
  settings = OpenSettings(k);
  ASSERT_NE(settings, nullptr);
  SendMessageA(ChildWithText(settings, "Always on top"), BM_CLICK, 0, 0);
  CloseSettings(settings);
  k.click(ids::notes);
  HWND notes = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000, true);
  ASSERT_NE(notes, nullptr);
  EXPECT_TRUE(e2e::WaitUntil([&] { return (GetWindowLongA(notes, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 3000));
  settings = OpenSettings(k);
  ASSERT_NE(settings, nullptr);
  onTop = ChildWithText(settings, "Always on top");
  EXPECT_TRUE(Checked(onTop));
  EXPECT_TRUE(GetWindowLongA(settings, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SendMessageA(onTop, BM_CLICK, 0, 0);
  EXPECT_FALSE(GetWindowLongA(k.main, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongA(settings, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongA(notes, GWL_EXSTYLE) & WS_EX_TOPMOST);
  CloseSettings(settings);
  CloseKest(k);
}

TEST_F(KestTest, FilesAndAFolderDroppedOnTheSettingsWindowBecomeTools) {
  AppDir app("settings-drop");
  app.writeFile("kit\\Pack\\a.exe", "MZ");
  app.writeFile("kit\\Pack\\notes.txt", "");
  app.writeFile("kit\\single.exe", "MZ");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  app.makeDir("root");
  HWND settings = OpenSettings(k);
  ASSERT_NE(settings, nullptr);
  ASSERT_TRUE(PostDropFiles(settings, {app.file("kit\\Pack"), app.file("kit\\single.exe")}));
  Answer(k, "Kest confirm", "Scan from this directory here?", IDYES);
  Answer(k, "Kest confirm", "Create a new folder Pack [YES] and scan or just scan from it [NO]?", IDYES);
  Answer(k, "Need request", "Request to add new tool [YES] or add all automaticly [NO]?", IDNO);
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.exists("root\\single.lnk"); }, 5000));
  EXPECT_TRUE(app.exists("root\\Pack\\a.lnk"));
  EXPECT_FALSE(app.exists("root\\Pack\\notes.lnk"));
  CloseSettings(settings);
  CloseKest(k);
}

TEST_F(KestTest, AnImportOfAFolderHoldingTheCatalogLeavesTheCatalogAlone) {
  AppDir app("import-around-catalog");
  app.writeFile("tools\\x.exe", "MZ");
  app.writeFile("root\\Old\\old.exe", "MZ");  // a program inside the destination
  app.writeFile("root\\Old\\Deep\\deep.exe", "MZ");
  std::string source = app.path().substr(0, app.path().size() - 1);
  e2e::Process p = e2e::Process::Start(app.exe(), ArgumentCommandLine(app, source), app.path());
  Kest k;
  k.process = std::move(p);
  Answer(k, "Kest confirm", "Create a new folder import-around-catalog [YES] and scan or just scan from it [NO]?",
         IDNO);
  Answer(k, "Need request", "Request to add new tool [YES] or add all automaticly [NO]?", IDNO);
  k.main = e2e::WaitForWindow("TfKest", k.process.pid(), 15000, true);
  ASSERT_NE(k.main, nullptr);
  EXPECT_TRUE(app.exists("root\\tools\\x.lnk"));
  // The program itself lies in the imported folder too.
  const std::string self(e2e::kProgramFile);
  EXPECT_TRUE(app.exists("root\\" + self.substr(0, self.size() - 4) + ".lnk"));
  EXPECT_FALSE(app.exists("root\\root"));
  // No shortcut for a program inside the catalog, wherever it might have landed.
  std::function<void(const std::string&)> look = [&](const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) look(dir + name + "\\");
      EXPECT_TRUE(name != "old.lnk" && name != "deep.lnk") << dir + name;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  };
  look(app.path());
  CloseKest(k);
}

TEST_F(KestTest, ShellExtensionCommandsAreWrittenAndRunAsExplorerRunsThem) {
  AppDir app("settings-shell");
  app.writeFile("w\\sample.exe", "MZ");
  app.writeFile("kit\\Pack\\a.exe", "MZ");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND settings = OpenSettings(k);
  ASSERT_NE(settings, nullptr);
  HWND shex = ChildWithText(settings, "Shell extentions");
  ASSERT_NE(shex, nullptr);
  SendMessageA(shex, BM_CLICK, 0, 0);
  const std::string command = "\"" + app.exe() + "\"%1\"";
  EXPECT_EQ(ClassesDefault("exefile\\shell\\Load into Kest\\command"), command);
  EXPECT_EQ(ClassesDefault("Directory\\shell\\Kest searcher\\command"), command);
  EXPECT_EQ(app.readIni("Options", "ShEx"), "1");
  CloseSettings(settings);

  // Explorer puts the clicked path in place of %1 and starts the command line.
  auto run = [&](const std::string& verbKey, const std::string& path) {
    std::string line = ClassesDefault(verbKey + "\\command");
    line.replace(line.find("%1"), 2, path);
    e2e::Process second = e2e::Process::Start(app.exe(), line, app.path());
    EXPECT_TRUE(second.waitExit(15000)) << "the second start hands over and ends";
  };
  run("exefile\\shell\\Load into Kest", app.file("w\\sample.exe"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return k.targetNames() == std::vector<std::string>{"sample.exe"}; }, 5000));
  app.makeDir("root");
  std::thread answers([&] {
    Answer(k, "Kest confirm", "Create a new folder Pack [YES] and scan or just scan from it [NO]?", IDYES);
    Answer(k, "Need request", "Request to add new tool [YES] or add all automaticly [NO]?", IDNO);
  });
  run("Directory\\shell\\Kest searcher", app.file("kit\\Pack"));
  answers.join();
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.exists("root\\Pack\\a.lnk"); }, 5000));

  // Unchecking takes both verbs away with their commands.
  settings = OpenSettings(k);
  ASSERT_NE(settings, nullptr);
  shex = ChildWithText(settings, "Shell extentions");
  EXPECT_TRUE(Checked(shex)) << "the registry's word at opening";
  SendMessageA(shex, BM_CLICK, 0, 0);
  EXPECT_EQ(ClassesDefault("exefile\\shell\\Load into Kest"), "<none>");
  EXPECT_EQ(ClassesDefault("Directory\\shell\\Kest searcher"), "<none>");
  EXPECT_EQ(app.readIni("Options", "ShEx"), "0");
  CloseSettings(settings);
  CloseKest(k);
}

TEST_F(KestTest, WorkFilesMoveNextToTheFocusedTarget) {
  AppDir app("settings-mover");
  AddProbeTool(app, "root\\Debuggers\\Probe.lnk");
  app.writeFile("w\\t.exe", "MZ");
  app.writeFile("tools\\t.udd", "udd");
  app.writeFile("tools\\t.bak", "new");
  app.writeFile("w\\t.bak", "old");
  app.writeFile("tools\\u.udd", "other target");
  StoreTargets(app, {app.file("w\\t.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND settings = OpenSettings(k);
  ASSERT_NE(settings, nullptr);
  HWND doIt = ChildWithText(settings, ".. move");
  ASSERT_NE(doIt, nullptr);
  // The move that fails is told once, after the run: the click waits for that box.
  PostMessageA(doIt, BM_CLICK, 0, 0);
  auto warning = e2e::WaitForMessageBox("Kest warning", 10000, k.process.pid());
  ASSERT_TRUE(warning.has_value());
  EXPECT_EQ(warning->text,
            "Could not move 1 work file next to " + app.file("w\\t.exe") + ":\n" + app.file("tools\\t.bak"));
  e2e::AnswerMessageBox(warning->hwnd, IDOK);
  EXPECT_EQ(app.readFile("w\\t.udd"), "udd");
  EXPECT_FALSE(app.exists("tools\\t.udd"));
  EXPECT_EQ(app.readFile("w\\t.bak"), "old") << "an existing file is left alone";
  EXPECT_TRUE(app.exists("tools\\t.bak"));
  EXPECT_TRUE(app.exists("tools\\u.udd"));
  CloseSettings(settings);
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
