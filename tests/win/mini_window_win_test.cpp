// The mini window built in this process against fakes: one catalog folder at a time, its tool
// buttons running their tools on the current target and on files dropped on them.
#include <gtest/gtest.h>

#include "catalog/tool_menus.h"
#include "common/pe_head.h"
#include "core/window_ids.h"
#include "win/fake_app.h"

namespace kest::wintest {
namespace {

namespace mini_ids = ids::mini_window;

class MiniWindowTest : public KestWindowsTest {
 protected:
  // Mini mode, as "<" of the main window's title strip enters it.
  HWND EnterMini() {
    Command(ids::toMini);
    return FindWindowA("TfSplashForm", nullptr);
  }
  static int Buttons(HWND mini) {
    return static_cast<int>(SendMessageA(GetDlgItem(mini, mini_ids::iconBar), TB_BUTTONCOUNT, 0, 0));
  }
  static HWND Label(HWND mini) { return GetDlgItem(mini, mini_ids::label); }
  // A label is let go: it opens its folder, or leads to the tools manager.
  static void Release(HWND label) {
    SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpPending();
  }
  // A drop at a point of the mini window's client area.
  static void DropAt(HWND mini, POINT at, const std::string& file) {
    SendMessageA(mini, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({file}, at)), 0);
  }
};

TEST_F(MiniWindowTest, BrowsesTheCatalogAndItsButtonsRunTheirToolsOnTheTargetAndOnDroppedFiles) {
  app.tool("Probe.lnk", "C:\\tools\\probe.exe");
  app.tool("Debuggers\\One.lnk", "C:\\tools\\one.exe");
  app.tool("Debuggers\\Two.lnk", "C:\\tools\\two.exe");
  app.file("C:\\work\\a.exe");
  app.file("C:\\drop\\b.exe");
  app.storeTargets({"C:\\work\\a.exe"});
  Start();
  HWND mini = EnterMini();
  ASSERT_NE(mini, nullptr);

  // The root: a label for the folder, one button for the one shortcut.
  ASSERT_NE(Label(mini), nullptr);
  EXPECT_EQ(TextOf(Label(mini)), "Debuggers");
  EXPECT_EQ(Buttons(mini), 1);
  // The label opens its folder; "<" comes back.
  Release(Label(mini));
  EXPECT_EQ(Buttons(mini), 2);
  EXPECT_EQ(Label(mini), nullptr);
  SendMessageA(mini, WM_COMMAND, mini_ids::backButton, 0);
  EXPECT_EQ(Buttons(mini), 1);
  EXPECT_EQ(TextOf(Label(mini)), "Debuggers");

  // The button runs its tool on the current target, in the target's directory.
  SendMessageA(mini, WM_COMMAND, mini_ids::firstTool, 0);
  EXPECT_EQ(app.processes.calls, std::vector<std::string>{"winexec C:\\tools\\probe.exe \"a.exe\" @1"});
  EXPECT_EQ(app.fs.cwd, "C:\\work\\");

  // A file dropped on the label does nothing; one dropped on the button becomes the target and
  // the tool runs on it.
  RECT label{}, button{};
  GetWindowRect(Label(mini), &label);
  MapWindowPoints(nullptr, mini, reinterpret_cast<POINT*>(&label), 2);
  DropAt(mini, POINT{label.left + 3, label.top + 3}, "C:\\drop\\b.exe");
  EXPECT_EQ(app.processes.calls.size(), 1u);
  EXPECT_EQ(Names(), std::vector<std::string>{"a.exe"});
  HWND bar = GetDlgItem(mini, mini_ids::iconBar);
  SendMessageA(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
  MapWindowPoints(bar, mini, reinterpret_cast<POINT*>(&button), 2);
  DropAt(mini, POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2}, "C:\\drop\\b.exe");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.exe", "b.exe"}));
  EXPECT_EQ(app.state.currentTarget(), "C:\\drop\\b.exe");
  EXPECT_EQ(app.processes.calls.back(), "winexec C:\\tools\\probe.exe \"b.exe\" @1");
  EXPECT_EQ(app.fs.cwd, "C:\\drop\\");
  EXPECT_TRUE(IsWindowVisible(mini));
}

TEST_F(MiniWindowTest, ByTheKeysTabAndTheArrowsGoThroughLabelsAndToolsEnterOpensOrRunsBackspaceGoesUp) {
  app.tool("Probe.lnk", "C:\\tools\\probe.exe");
  app.tool("Zeta.lnk", "C:\\tools\\zeta.exe");
  app.tool("Debuggers\\One.lnk", "C:\\tools\\one.exe");
  app.file("C:\\work\\a.exe");
  app.storeTargets({"C:\\work\\a.exe"});
  Start();
  HWND mini = EnterMini();
  ASSERT_NE(mini, nullptr);
  HWND bar = GetDlgItem(mini, mini_ids::iconBar);
  auto hot = [&] { return static_cast<int>(SendMessageA(bar, TB_GETHOTITEM, 0, 0)); };
  // The keys start on the first folder label; the arrows step on into the tools and back.
  ASSERT_EQ(GetFocus(), Label(mini));
  Key(VK_DOWN);
  ASSERT_EQ(GetFocus(), bar);
  EXPECT_EQ(hot(), 0);
  Key(VK_RIGHT);
  EXPECT_EQ(hot(), 1);
  Key(VK_LEFT);
  Key(VK_LEFT);
  EXPECT_EQ(GetFocus(), Label(mini));
  // Enter opens the folder, whose tool then has the keys; Backspace goes up to the label again.
  Key(VK_RETURN);
  EXPECT_EQ(Label(mini), nullptr);
  EXPECT_EQ(GetFocus(), bar);
  Key(VK_BACK);
  ASSERT_NE(Label(mini), nullptr);
  EXPECT_EQ(GetFocus(), Label(mini));
  // Tab: the tools, then "<" and "X"; Enter runs the tool the arrows are on.
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), bar);
  Key(VK_RIGHT);
  Key(VK_RETURN);
  EXPECT_EQ(app.processes.calls, std::vector<std::string>{"winexec C:\\tools\\zeta.exe \"a.exe\" @1"});
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(mini, mini_ids::backButton));
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(mini, mini_ids::closeButton));
}

TEST_F(MiniWindowTest, AnEmptyCatalogLeadsToTheToolsManagerAndShowsWhatWasAddedThere) {
  app.makeDirs("C:\\Kest\\data\\root");
  Start();
  HWND mini = EnterMini();
  ASSERT_NE(mini, nullptr);
  ASSERT_EQ(TextOf(Label(mini)), "Add tools...");
  EXPECT_EQ(Buttons(mini), 0);
  bool waited = false;
  whileSettingsOpen = [&] {
    waited = !IsWindowEnabled(mini);
    app.tool("Probe.lnk", "C:\\tools\\probe.exe");
  };
  Release(Label(mini));
  EXPECT_EQ(settingsOpened, 1);
  EXPECT_TRUE(waited) << "the mini window waits for the settings window";
  EXPECT_TRUE(IsWindowEnabled(mini));
  EXPECT_EQ(Label(mini), nullptr);
  EXPECT_EQ(Buttons(mini), 1);
}

// A pair of tools, "Dbg" and its 32-bit twin "Dbg (x86)", and a PE32 and a PE32+ target.
class PairTest : public MiniWindowTest {
 protected:
  void SetUp() override {
    app.tool("Dbg.lnk", "C:\\tools\\dbg.exe");
    app.tool("Dbg (x86).lnk", "C:\\tools32\\dbg.exe");
    for (bool plus : {false, true}) {
      const std::string target = plus ? "C:\\w\\b64.exe" : "C:\\w\\a32.exe";
      app.file(target);
      app.files.set(target, testutil::PeHead(plus));
    }
    app.storeTargets({"C:\\w\\a32.exe", "C:\\w\\b64.exe"});
  }
  static std::string Runs(const std::string& program, const std::string& name) {
    return "winexec " + program + " \"" + name + "\" @1";
  }
  std::string FirstEntry() {
    char text[64] = {};
    GetMenuStringA(shelf().Menus()->Menu(ToolMenu::Targets), 0, text, sizeof text, MF_BYPOSITION);
    return text;
  }
  static void Shift(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
};

TEST_F(PairTest, OneEntryRunsTheTwinThatFitsTheTargetFromTheMenuCtrlShiftAndTheMiniWindow) {
  Start();
  Pick(0);
  TargetMenu({VK_DOWN, VK_RETURN});
  EXPECT_EQ(FirstEntry(), "Dbg  (x86)");
  EXPECT_EQ(GetMenuItemCount(shelf().Menus()->Menu(ToolMenu::Targets)), 6) << "one entry, then the fixed ones";
  EXPECT_EQ(app.processes.calls.back(), Runs("C:\\tools32\\dbg.exe", "a32.exe"));
  Pick(1);
  TargetMenu({VK_DOWN, VK_RETURN});
  EXPECT_EQ(FirstEntry(), "Dbg");
  EXPECT_EQ(app.processes.calls.back(), Runs("C:\\tools\\dbg.exe", "b64.exe"));

  // Ctrl: the command line names the program that will run; Shift: the same, elevated.
  Pick(0);
  SendMessageA(list(), WM_KEYDOWN, VK_CONTROL, 1);
  TargetMenu({VK_DOWN, VK_RETURN});
  SendMessageA(list(), WM_KEYUP, VK_CONTROL, 0xC0000001);
  HWND box = GetDlgItem(main(), ids::commandLine);
  EXPECT_EQ(TextOf(box), "C:\\tools32\\dbg.exe \"a32.exe\"");
  SendMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
  Shift(true);
  TargetMenu({VK_DOWN, VK_RETURN});
  Shift(false);
  EXPECT_EQ(app.processes.calls.back(), "shell [runas] C:\\tools32\\dbg.exe [\"a32.exe\"] in C:\\w\\ @1");

  // The mini window: one button, run on the current target and on each file dropped on it.
  HWND mini = EnterMini();
  ASSERT_NE(mini, nullptr);
  ASSERT_EQ(Buttons(mini), 1);
  SendMessageA(mini, WM_COMMAND, mini_ids::firstTool, 0);
  EXPECT_EQ(app.processes.calls.back(), Runs("C:\\tools32\\dbg.exe", "a32.exe"));
  HWND bar = GetDlgItem(mini, mini_ids::iconBar);
  RECT button{};
  SendMessageA(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
  MapWindowPoints(bar, mini, reinterpret_cast<POINT*>(&button), 2);
  DropAt(mini, POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2}, "C:\\w\\b64.exe");
  EXPECT_EQ(app.processes.calls.back(), Runs("C:\\tools\\dbg.exe", "b64.exe"));
  EXPECT_EQ(app.files.headReads, 2) << "each target's first bytes are read once";
}

TEST_F(PairTest, TheIconBarOfARunBegunInMiniModeRunsTheTwinToo) {
  app.setIni("Options", "IMOnStart", "1");
  app.storeTargets({"C:\\w\\b64.exe", "C:\\w\\a32.exe"});  // the last one is current
  Start();
  SendMessageA(main(), msg::kSettingsApplied, 0, 0);
  EXPECT_EQ(SendMessageA(GetDlgItem(main(), ids::iconBar), TB_BUTTONCOUNT, 0, 0), 1);
  Command(*ToolCommandId(ToolCommandRange::IconBar, 0));
  EXPECT_EQ(app.processes.calls, std::vector<std::string>{Runs("C:\\tools32\\dbg.exe", "a32.exe")});
}

}  // namespace
}  // namespace kest::wintest
