#include "catalog/launch.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kest {
namespace {

struct LaunchTest : ::testing::Test {
  fakes::FakeFileSystem fs;
  fakes::FakeShellLinks links{fs};
  fakes::FakeDrives drives;
  fakes::FakeMessageBox box;
  fakes::FakeProcesses processes;
  WorkDrive drive{'C', false};
  LaunchServices services{fs, links, processes, drive, DriveSearch{drives, fs, box, nullptr}};
  const std::string exeDir = R"(C:\k\)";

  void link(const std::string& rel, const std::string& program, const std::string& arguments = "") {
    fs.files.insert(exeDir + "root\\" + rel);
    links.links[exeDir + "root\\" + rel] = {program, arguments, ""};
  }
  // The menu item's tool file, below the catalog root.
  MenuLaunch menu(const std::string& rel, const std::string& target, bool ctrl = false, bool elevated = false) {
    return LaunchFromMenu(services, exeDir + "root\\" + rel + (rel.find('.') == std::string::npos ? ".lnk" : ""),
                          target, ctrl, elevated);
  }
};

TEST(ToolCommandLine, QuotesOnlyProgramsWithBlanks) {
  EXPECT_EQ(ToolCommandLine(R"(C:\Tools\Dbg\dbg.exe)", "a.exe"), R"(C:\Tools\Dbg\dbg.exe "a.exe")");
  EXPECT_EQ(ToolCommandLine(R"(C:\Program Files\Dbg\dbg.exe)", "a.exe"),
            R"("C:\Program Files\Dbg\dbg.exe" "a.exe")");
  EXPECT_EQ(ToolCommandLine(R"(C:\Tools\dbg.exe)", ""), R"(C:\Tools\dbg.exe )");
}

TEST(ToolParameters, TheTargetNameIsQuotedExactlyOnceAtEachPercentOneOrAtTheEnd) {
  EXPECT_EQ(ToolParameters("a.exe", ""), "\"a.exe\"");
  EXPECT_EQ(ToolParameters("a.exe", "-f /scan"), "-f /scan \"a.exe\"");
  EXPECT_EQ(ToolParameters("a.exe", "-i %1 -o %1.out"), "-i \"a.exe\" -o \"a.exe\".out");
  EXPECT_EQ(ToolParameters("%1.exe", "%1 %1"), "\"%1.exe\" \"%1.exe\"");  // a name holding "%1" is no place
  // "%1" in quotes, as Windows writes it in every registry verb: the quotes are the tool's own.
  EXPECT_EQ(ToolParameters("my sample.exe", "-f \"%1\""), "-f \"my sample.exe\"");
  EXPECT_EQ(ToolParameters("my sample.exe", "\"%1\" %1 \"-o=%1.log\""),
            "\"my sample.exe\" \"my sample.exe\" \"-o=my sample.exe.log\"");
  EXPECT_EQ(ToolParameters("", "-f %1"), "-f");
  EXPECT_EQ(ToolParameters("", "-f"), "-f");
  EXPECT_EQ(ToolCommandLine(R"(C:\P F\t.exe)", "a.exe", "-f"), R"("C:\P F\t.exe" -f "a.exe")");
}

TEST(BatchTools, RefuseNamesTheCommandProcessorWouldActOn) {
  EXPECT_TRUE(IsBatchFile(R"(C:\T\scan.BAT)"));
  EXPECT_TRUE(IsBatchFile(R"(C:\T\scan.cmd)"));
  EXPECT_FALSE(IsBatchFile(R"(C:\T\scan.exe)"));
  EXPECT_FALSE(IsBatchFile(R"(C:\T\bat)"));
  EXPECT_TRUE(IsCommandProcessor(R"(C:\Windows\System32\CMD.EXE)"));
  EXPECT_FALSE(IsCommandProcessor(R"(C:\T\mycmd.exe)"));
  for (const char* name : {"a&calc.exe", "a|b.exe", "a<b", "a>b", "a^b.exe", "%PATH%.exe", "100%.bin"})
    EXPECT_TRUE(UnsafeForBatchFile(name, "")) << name;
  EXPECT_FALSE(UnsafeForBatchFile("my sample (1).exe", "-f \"%1\""));
}

TEST_F(LaunchTest, ShortcutArgumentsReachEveryWayOfStarting) {
  link("Dbg.lnk", R"(C:\T\dbg.exe)", "-x %1");
  fs.files.insert(R"(C:\T\dbg.exe)");
  menu("Dbg", R"(D:\w\a.exe)");
  menu("Dbg", "");
  LaunchFromButton(services, R"(C:\k\root\Dbg.lnk)", R"(D:\w\a.exe)");
  EXPECT_EQ(processes.calls, (std::vector<std::string>{R"(winexec C:\T\dbg.exe -x "a.exe" @1)",
                                                       R"(shell [] C:\T\dbg.exe [-x] in C:\T\ @5)",
                                                       R"(winexec C:\T\dbg.exe -x "a.exe" @1)"}));
  EXPECT_EQ(*menu("Dbg", R"(D:\w\a.exe)", true).commandLine, R"(C:\T\dbg.exe -x "a.exe")");
}

TEST_F(LaunchTest, ElevationWhenAskedForOrWhenTheToolNeedsIt) {
  link("Dbg.lnk", R"(C:\T\dbg.exe)", "-v");
  fs.files.insert(R"(C:\T\dbg.exe)");
  // Shift: the prompt, with the same parameters, in the target's directory.
  EXPECT_TRUE(menu("Dbg", R"(D:\w\a.exe)", false, true).ran);
  EXPECT_TRUE(LaunchFromButton(services, R"(C:\k\root\Dbg.lnk)", "", true));
  // A tool that asks for administrator rights goes to the prompt instead of failing.
  processes.winExecResult = 0;
  processes.needsElevation = true;
  EXPECT_TRUE(menu("Dbg", R"(D:\w\a.exe)").ran);
  EXPECT_EQ(processes.calls, (std::vector<std::string>{R"(shell [runas] C:\T\dbg.exe [-v "a.exe"] in D:\w\ @1)",
                                                       R"(shell [runas] C:\T\dbg.exe [-v] in C:\T\ @1)",
                                                       R"(winexec C:\T\dbg.exe -v "a.exe" @1)",
                                                       R"(shell [runas] C:\T\dbg.exe [-v "a.exe"] in D:\w\ @1)"}));
  // A declined prompt says nothing and counts as no start; another failure is reported.
  processes.shellResult = kShellAccessDenied;
  EXPECT_FALSE(menu("Dbg", R"(D:\w\a.exe)").ran);
  EXPECT_TRUE(box.asked.empty());
  processes.shellResult = 2;
  EXPECT_FALSE(menu("Dbg", R"(D:\w\a.exe)", false, true).ran);
  EXPECT_EQ(box.asked.size(), 1u);
}

TEST_F(LaunchTest, ToolRunsOnTheTargetInTheTargetsDirectory) {
  link("Debuggers\\Dbg.lnk", R"(C:\Tools\Dbg\dbg.exe)");
  fs.files.insert(R"(C:\Tools\Dbg\dbg.exe)");
  MenuLaunch r = menu("Debuggers\\Dbg", R"(D:\Work\a.exe)");
  EXPECT_TRUE(r.ran);
  EXPECT_EQ(fs.cwd, R"(D:\Work\)");
  EXPECT_EQ(processes.calls, std::vector<std::string>{R"(winexec C:\Tools\Dbg\dbg.exe "a.exe" @1)"});
}

TEST_F(LaunchTest, WithoutTargetTheShellStartsTheToolInItsOwnDirectory) {
  link("Dbg.lnk", R"(C:\Tools\Dbg\dbg.exe)");
  fs.files.insert(R"(C:\Tools\Dbg\dbg.exe)");
  fs.cwd = R"(C:\k\)";
  MenuLaunch r = menu("Dbg", "");
  EXPECT_TRUE(r.ran);
  EXPECT_EQ(fs.cwd, R"(C:\k\)");
  EXPECT_EQ(processes.calls, std::vector<std::string>{R"(shell [] C:\Tools\Dbg\dbg.exe [] in C:\Tools\Dbg\ @5)"});
}

TEST_F(LaunchTest, TheItemRunsItsOwnFileAmpersandsAndAll) {
  link("Hex & Disasm\\A&B.lnk", R"(C:\T\ab.exe)");
  link("Hex & Disasm\\AB.lnk", R"(C:\T\other.exe)");
  link("Dbg.pif", R"(C:\T\dbg.exe)");
  for (const char* p : {R"(C:\T\ab.exe)", R"(C:\T\other.exe)", R"(C:\T\dbg.exe)"}) fs.files.insert(p);
  EXPECT_TRUE(menu("Hex & Disasm\\A&B", R"(D:\w\a.exe)").ran);
  EXPECT_TRUE(menu("Dbg.pif", R"(D:\w\a.exe)").ran);
  // A tool taken away since the menu was built starts nothing and says nothing.
  MenuLaunch r = menu("Gone", R"(D:\w\a.exe)");
  EXPECT_FALSE(r.ran);
  EXPECT_FALSE(r.commandLine);
  EXPECT_EQ(processes.calls, (std::vector<std::string>{R"(winexec C:\T\ab.exe "a.exe" @1)",
                                                       R"(winexec C:\T\dbg.exe "a.exe" @1)"}));
  EXPECT_TRUE(box.asked.empty());
}

TEST_F(LaunchTest, EveryRouteRunsTheNamedProgramAndTheWorkDriveOnlyStandsInForAMissingOne) {
  drive.letter = 'E';
  link("Dbg.lnk", R"(C:\T\dbg.exe)");
  link("Old.lnk", R"(F:\T\old.exe)");
  for (const char* p : {R"(C:\T\dbg.exe)", R"(E:\T\dbg.exe)", R"(E:\T\old.exe)"}) fs.files.insert(p);
  menu("Dbg", R"(D:\w\a.exe)");
  LaunchFromButton(services, R"(C:\k\root\Dbg.lnk)", R"(D:\w\a.exe)");
  menu("Old", R"(D:\w\a.exe)");
  LaunchFromButton(services, R"(C:\k\root\Old.lnk)", R"(D:\w\a.exe)");
  EXPECT_EQ(processes.calls, (std::vector<std::string>{R"(winexec C:\T\dbg.exe "a.exe" @1)",
                                                       R"(winexec C:\T\dbg.exe "a.exe" @1)",
                                                       R"(winexec E:\T\old.exe "a.exe" @1)",
                                                       R"(winexec E:\T\old.exe "a.exe" @1)"}));
  // Missing everywhere the search looks: a button warns about it as the menu does.
  link("Lost.lnk", R"(G:\T\lost.exe)");
  LaunchFromButton(services, R"(C:\k\root\Lost.lnk)", R"(D:\w\a.exe)");
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].caption, "Kest warning");
}

TEST_F(LaunchTest, MissingToolIsSearchedForThenWarnedAboutAndStillTried) {
  link("Dbg.lnk", R"(D:\T\dbg.exe)");
  drives.types = {{'C', DriveType::Fixed}, {'F', DriveType::Removable}};
  MenuLaunch r = menu("Dbg", R"(D:\w\a.exe)");
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Tool [dbg.exe] was not found!!! Run Tools Manager and delete or edit links to it!");
  EXPECT_EQ(box.asked[0].caption, "Kest warning");
  EXPECT_TRUE(r.ran);
  EXPECT_EQ(processes.calls, std::vector<std::string>{R"(winexec C:\T\dbg.exe "a.exe" @1)"});

  // Found on a removable drive: that drive's letter is used, and no warning.
  fs.files.insert(R"(F:\T\dbg.exe)");
  processes.calls.clear();
  menu("Dbg", R"(D:\w\a.exe)");
  EXPECT_EQ(drive.letter, 'F');
  EXPECT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(processes.calls, std::vector<std::string>{R"(winexec F:\T\dbg.exe "a.exe" @1)"});
}

TEST_F(LaunchTest, CtrlPutsTheCommandLineInTheBoxInstead) {
  link("Dbg.lnk", R"(C:\Program Files\Dbg\dbg.exe)");
  fs.files.insert(R"(C:\Program Files\Dbg\dbg.exe)");
  MenuLaunch r = menu("Dbg", R"(D:\Work\a b.exe)", true);
  EXPECT_FALSE(r.ran);
  EXPECT_EQ(r.commandLine.value_or(""), R"("C:\Program Files\Dbg\dbg.exe" "a b.exe")");
  EXPECT_TRUE(processes.calls.empty());
  EXPECT_EQ(fs.cwd, R"(D:\Work\)");
}

TEST_F(LaunchTest, UnreadableShortcutStartsNothing) {
  fs.files.insert(R"(C:\k\root\Text.lnk)");  // a file the link object cannot read
  MenuLaunch r = menu("Text", R"(D:\w\a.exe)");
  EXPECT_FALSE(r.ran);
  EXPECT_TRUE(processes.calls.empty());
  EXPECT_TRUE(box.asked.empty());
  LaunchFromButton(services, R"(C:\k\root\Text.lnk)", R"(D:\w\a.exe)");
  EXPECT_TRUE(processes.calls.empty());
}

TEST_F(LaunchTest, ButtonRunsDirectlyAndFallsBackToTheShellForNonPrograms) {
  link("Dbg.lnk", R"(C:\T\dbg.exe)");
  fs.files.insert(R"(C:\T\dbg.exe)");
  LaunchFromButton(services, R"(C:\k\root\Dbg.lnk)", "");
  EXPECT_EQ(processes.calls, std::vector<std::string>{R"(winexec C:\T\dbg.exe  @1)"});
  processes.calls.clear();
  processes.winExecResult = 11;
  link("Doc.lnk", R"(C:\T\readme.txt)");
  fs.files.insert(R"(C:\T\readme.txt)");
  LaunchFromButton(services, R"(C:\k\root\Doc.lnk)", R"(D:\w\a.exe)");
  // What is no program opens through the shell with the same target, in the target's directory.
  EXPECT_EQ(processes.calls, (std::vector<std::string>{R"(winexec C:\T\readme.txt "a.exe" @1)",
                                                       R"(shell [] C:\T\readme.txt ["a.exe"] in D:\w\ @5)"}));
  // Any other failure ends there, reported with the system's text and the program's path.
  processes.calls.clear();
  processes.winExecResult = 2;
  EXPECT_FALSE(LaunchFromButton(services, R"(C:\k\root\Doc.lnk)", ""));
  EXPECT_EQ(processes.calls.size(), 1u);
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Cannot start C:\\T\\readme.txt\r\nsystem text 2 for C:\\T\\readme.txt");
}

TEST_F(LaunchTest, AToolThatCannotStartIsReportedAndNotCountedAsRun) {
  link("Dbg.lnk", R"(C:\T\notes.txt)");
  fs.files.insert(R"(C:\T\notes.txt)");
  processes.winExecResult = kWinExecBadFormat;
  processes.shellResult = 2;
  MenuLaunch r = menu("Dbg", R"(D:\w\a.exe)");
  EXPECT_FALSE(r.ran);  // so "MinToolsRun" does not hide Kest
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Cannot start C:\\T\\notes.txt\r\nsystem text 2 for C:\\T\\notes.txt");
  EXPECT_EQ(box.asked[0].caption, "Kest error");
  // Without a target the shell starts it; its failure is reported the same way.
  EXPECT_FALSE(menu("Dbg", "").ran);
  EXPECT_EQ(box.asked.size(), 2u);
}

TEST_F(LaunchTest, AGoneTargetDirectoryStartsNothingAndNamesTheDirectory) {
  link("Dbg.lnk", R"(C:\T\dbg.exe)");
  fs.files.insert(R"(C:\T\dbg.exe)");
  fs.cwd = R"(C:\k\)";
  fs.refuseCurrentDirectory.insert(R"(D:\gone\)");
  EXPECT_FALSE(menu("Dbg", R"(D:\gone\a.exe)").ran);
  EXPECT_FALSE(menu("Dbg", R"(D:\gone\a.exe)", true).commandLine);
  EXPECT_FALSE(LaunchFromButton(services, R"(C:\k\root\Dbg.lnk)", R"(D:\gone\a.exe)"));
  EXPECT_TRUE(processes.calls.empty());
  EXPECT_EQ(fs.cwd, R"(C:\k\)");
  ASSERT_EQ(box.asked.size(), 3u);
  EXPECT_EQ(box.asked[0].text,
            "The target's directory cannot be entered:\r\nD:\\gone\\\r\nThe tool was not started.");

  // The command-line box enters the directory again when its text runs.
  MenuLaunch edited = menu("Dbg", R"(D:\w\a.exe)", true);
  EXPECT_EQ(edited.directory, R"(D:\w\)");
  fs.cwd = R"(C:\k\)";
  EXPECT_TRUE(RunEditedCommandLine(services, *edited.commandLine, edited.directory));
  EXPECT_EQ(fs.cwd, R"(D:\w\)");
  EXPECT_EQ(processes.calls, std::vector<std::string>{R"(winexec C:\T\dbg.exe "a.exe" @1)"});
  fs.refuseCurrentDirectory.insert(R"(D:\w\)");
  EXPECT_FALSE(RunEditedCommandLine(services, *edited.commandLine, edited.directory));
  EXPECT_EQ(processes.calls.size(), 1u);
}

TEST_F(LaunchTest, UncAndRelativeProgramsKeepTheirFormAndAreNotSearchedFor) {
  drive.letter = 'E';
  drives.types = {{'C', DriveType::Fixed}};
  link("Net.lnk", R"(\\server\tools\t.exe)");
  fs.files.insert(R"(\\server\tools\t.exe)");
  menu("Net", R"(D:\w\a.exe)");
  // Missing: warned about, without a drive search.
  link("Gone.lnk", R"(\\server\tools\gone.exe)");
  menu("Gone", R"(D:\w\a.exe)");
  EXPECT_EQ(processes.calls, (std::vector<std::string>{R"(winexec \\server\tools\t.exe "a.exe" @1)",
                                                       R"(winexec \\server\tools\gone.exe "a.exe" @1)"}));
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].caption, "Kest warning");
  EXPECT_EQ(drive.letter, 'E');
}

TEST_F(LaunchTest, TargetsThatNameNoOneFileOrThatABatchFileWouldMisreadStartNothing) {
  link("Dbg.lnk", R"(C:\T\dbg.exe)");
  link("Scan.lnk", R"(C:\T\scan.cmd)", "-f \"%1\"");
  link("Cmd.lnk", R"(C:\Windows\System32\cmd.exe)", "/c t.bat %1");
  for (const char* p : {R"(C:\T\dbg.exe)", R"(C:\T\scan.cmd)", R"(C:\Windows\System32\cmd.exe)"}) fs.files.insert(p);
  fs.cwd = R"(C:\k\)";
  for (const char* relative : {"sample.bin", "Error link", R"(cases\a.exe)", R"(\cases\a.exe)", R"(D:a.exe)"}) {
    EXPECT_FALSE(menu("Dbg", relative).ran) << relative;
    EXPECT_FALSE(LaunchFromButton(services, R"(C:\k\root\Dbg.lnk)", relative)) << relative;
  }
  EXPECT_FALSE(menu("Scan", R"(D:\w\a&calc.exe)").ran);
  EXPECT_FALSE(menu("Scan", R"(D:\w\a&calc.exe)", true).commandLine);
  EXPECT_FALSE(menu("Cmd", R"(D:\w\a&calc.exe)").ran);
  EXPECT_TRUE(processes.calls.empty());
  EXPECT_EQ(fs.cwd, R"(C:\k\)") << "no directory is entered for a refused launch";
  ASSERT_EQ(box.asked.size(), 13u);
  EXPECT_EQ(box.asked[0].text, "The target is not a full path, so it names no one file:\r\nsample.bin\r\nThe tool was not started.");
  EXPECT_EQ(box.asked[10].text,
            "The tool is a batch file, and the command processor would act on a character of the target's name "
            "(& | < > ^ %):\r\na&calc.exe\r\nThe tool was not started.");
  EXPECT_EQ(box.asked[12].text.substr(0, 36), "The tool is the command processor, w");
  // A full path, UNC too, runs; so does a batch file on a plain name.
  EXPECT_TRUE(menu("Dbg", R"(\\srv\share\a.exe)").ran);
  EXPECT_TRUE(menu("Scan", R"(D:\w\my sample.exe)").ran);
  EXPECT_EQ(processes.calls.back(), R"(winexec C:\T\scan.cmd -f "my sample.exe" @1)");
}

}  // namespace
}  // namespace kest
