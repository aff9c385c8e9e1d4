// The mini window built in this process against fakes: one catalog folder at a time, its tool
// buttons running their tools on the current target and on files dropped on them.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kest::wintest
