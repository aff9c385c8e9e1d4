// A whole run of Kest by the keyboard alone, through the system's input queue as a person types,
// and the names a screen reader reads for every button.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"
#include "platform/win32/com_ptr.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

void SendKey(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

// The key pressed and let go while the modifiers are held.
void Press(WORD vk, std::initializer_list<WORD> held = {}) {
  for (WORD m : held) SendKey(m, false);
  SendKey(vk, false);
  SendKey(vk, true);
  for (auto m = std::rbegin(held); m != std::rend(held); ++m) SendKey(*m, true);
}

// Text typed as characters, whatever the keyboard layout.
void TypeText(const std::string& text) {
  for (char c : text) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wScan = static_cast<unsigned char>(c);
    in.ki.dwFlags = KEYEVENTF_UNICODE;
    SendInput(1, &in, sizeof in);
    in.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
  }
}

// The window that has the keys in the thread of this window.
HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool WaitForFocus(HWND window, HWND expected) {
  return e2e::WaitUntil([&] { return FocusOf(window) == expected; }, 5000);
}

bool WaitForForeground(HWND window) {
  return e2e::WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
}

TEST_F(KestTest, AWholeRunByTheKeyboardAlone) {
  AppDir app("keyboard");
  AddProbeTool(app, "root\\More\\Probe.lnk");
  AddProbeTool(app, "root\\Probe.lnk");
  app.writeFile("w\\t.exe", "MZ");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ASSERT_TRUE(WaitForForeground(k.main));
  HWND lv = k.targetList();
  ASSERT_TRUE(WaitForFocus(k.main, lv)) << "the target list has the keys from the start";

  // Tab leaves the list for the bottom bar's buttons, Shift+Tab comes back.
  Press(VK_TAB);
  EXPECT_TRUE(WaitForFocus(k.main, k.control(ids::addFile)));
  Press(VK_TAB);
  EXPECT_TRUE(WaitForFocus(k.main, k.control(ids::backup)));
  Press(VK_TAB, {VK_SHIFT});
  Press(VK_TAB, {VK_SHIFT});
  ASSERT_TRUE(WaitForFocus(k.main, lv));

  // A click on "S" shows the note with the keys in it, ready for typing; Escape saves and hides
  // it. Without a target it is the scratch note.
  k.click(ids::notes);
  HWND note = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000, true);
  ASSERT_NE(note, nullptr) << "the click showed no note";
  ASSERT_TRUE(WaitForFocus(note, Editor(note)));
  TypeText("clicked, then typed");
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(Editor(note)) == "clicked, then typed"; }, 5000))
      << e2e::WindowText(Editor(note));
  Press(VK_ESCAPE);
  EXPECT_TRUE(HoldsRtfWith(app, "Kest scratch note.rtf", "clicked, then typed"));
  ASSERT_TRUE(WaitForForeground(k.main));

  // Ctrl+O: the open dialog, the name typed, Enter.
  Press('O', {VK_CONTROL});
  HWND dialog = WaitForOpenDialog(k);
  ASSERT_NE(dialog, nullptr) << "Ctrl+O opened no open dialog";
  ASSERT_TRUE(WaitForForeground(dialog));
  TypeText(app.file("w\\t.exe"));
  Press(VK_RETURN);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewCount(lv) == 1; }, 10000)) << "no target from the dialog";
  ASSERT_TRUE(WaitForForeground(k.main));

  // Ctrl+B backs the target up; Enter answers the report.
  Press('B', {VK_CONTROL});
  auto report = e2e::WaitForMessageBox("Kest info", 10000, k.process.pid());
  ASSERT_TRUE(report.has_value()) << "Ctrl+B made no backup";
  EXPECT_EQ(report->text, "Backup created!");
  ASSERT_TRUE(WaitForForeground(report->hwnd));
  Press(VK_RETURN);
  EXPECT_TRUE(e2e::WaitForWindowGone(report->hwnd, 5000));
  EXPECT_EQ(app.readFile("w\\t.exe.KestBackUp"), "MZ");
  ASSERT_TRUE(WaitForForeground(k.main));

  // Ctrl+, opens the settings; Ctrl+Tab and Ctrl+Shift+Tab switch its pages, Tab moves within
  // one, Escape closes it.
  Press(VK_OEM_COMMA, {VK_CONTROL});
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr) << "Ctrl+, opened no settings window";
  ASSERT_TRUE(WaitForForeground(settings));
  HWND onTop = ChildWithText(settings, "Always on top");
  HWND apply = ChildWithText(settings, ".. apply");
  ASSERT_TRUE(onTop && apply);
  HWND tree = e2e::FindChildByClass(settings, "SysTreeView32");
  EXPECT_TRUE(WaitForFocus(settings, tree)) << "the tools manager has the keys at the opening";
  Press(VK_TAB, {VK_CONTROL});
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(onTop) && !IsWindowVisible(tree); }, 5000));
  HWND first = FocusOf(settings);
  EXPECT_TRUE(IsChild(GetParent(onTop), first)) << "the keys go to the page shown";
  Press(VK_TAB);
  EXPECT_TRUE(e2e::WaitUntil([&] { HWND f = FocusOf(settings); return f != first && IsChild(GetParent(onTop), f); },
                             5000));
  Press(VK_TAB, {VK_CONTROL});
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(apply) && !IsWindowVisible(onTop); }, 5000));
  Press(VK_TAB, {VK_CONTROL, VK_SHIFT});
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(onTop) && !IsWindowVisible(apply); }, 5000));
  Press(VK_NEXT, {VK_CONTROL});
  Press(VK_NEXT, {VK_CONTROL});
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(tree) != FALSE; }, 5000)) << "Ctrl+PgDn wraps round";
  Press(VK_ESCAPE);
  ASSERT_TRUE(e2e::WaitForWindowGone(settings, 5000)) << "Escape closes the settings window";
  ASSERT_TRUE(WaitForForeground(k.main));

  // Ctrl+N shows the note with the keys in it; Escape saves and hides it.
  Press('N', {VK_CONTROL});
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(note) != FALSE; }, 5000)) << "Ctrl+N showed no note";
  ASSERT_TRUE(WaitForFocus(note, Editor(note)));
  TypeText("typed by keys");
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::WindowText(Editor(note)) == "typed by keys"; }, 5000));
  // Ctrl+D: the font dialog, which Escape closes, the keys back in the editor.
  Press('D', {VK_CONTROL});
  HWND fonts = e2e::WaitForWindow("#32770", k.process.pid(), 5000, true);
  ASSERT_NE(fonts, nullptr) << "Ctrl+D opened no font dialog";
  ASSERT_TRUE(WaitForForeground(fonts));
  Press(VK_ESCAPE);
  ASSERT_TRUE(e2e::WaitForWindowGone(fonts, 5000));
  ASSERT_TRUE(WaitForFocus(note, Editor(note)));
  Press(VK_ESCAPE);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(note); }, 5000)) << "Escape hides the note";
  EXPECT_TRUE(HoldsRtfWith(app, "t.exe.txt", "typed by keys"));
  ASSERT_TRUE(WaitForForeground(k.main));

  // Ctrl+M: mini mode, the keys on its first folder label. Enter opens the folder, Backspace goes
  // back up, Tab goes on to the tools and Enter runs the tool on the target; Escape: the main
  // window again.
  Press('M', {VK_CONTROL});
  HWND mini = e2e::WaitForWindow("TfSplashForm", k.process.pid(), 5000, true);
  ASSERT_NE(mini, nullptr) << "Ctrl+M made no mini window";
  EXPECT_FALSE(IsWindowVisible(k.main));
  ASSERT_TRUE(WaitForForeground(mini));
  HWND tools = e2e::FindChildById(mini, ids::mini_window::iconBar);
  ASSERT_TRUE(WaitForFocus(mini, ChildWithText(mini, "More")));
  Press(VK_RETURN);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !ChildWithText(mini, "More"); }, 5000)) << "Enter opened no folder";
  EXPECT_TRUE(WaitForFocus(mini, tools));
  Press(VK_BACK);
  ASSERT_TRUE(e2e::WaitUntil([&] { return ChildWithText(mini, "More") != nullptr; }, 5000)) << "Backspace";
  ASSERT_TRUE(WaitForFocus(mini, ChildWithText(mini, "More")));
  Press(VK_TAB);
  ASSERT_TRUE(WaitForFocus(mini, tools));
  Press(VK_RETURN);
  auto fromMini = WaitForProbe(app);
  ASSERT_TRUE(fromMini.has_value()) << "Enter ran no tool";
  EXPECT_EQ(fromMini->cwd, app.file("w"));
  DeleteFileA(app.file("tools\\probe.log").c_str());
  ASSERT_TRUE(WaitForForeground(mini));
  Press(VK_ESCAPE);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(mini) || !IsWindowVisible(mini); }, 5000));
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(k.main) != FALSE; }, 5000));
  ASSERT_TRUE(WaitForForeground(k.main));
  ASSERT_TRUE(WaitForFocus(k.main, lv)) << "the list has the keys again";

  // Ctrl+T: tray mode; starting Kest again brings it back, the keys in the list.
  Press('T', {VK_CONTROL});
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(k.main); }, 5000)) << "Ctrl+T";
  EXPECT_EQ(RunRefusedStart(app, BareCommandLine(app)), 0u);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(k.main) && !IsIconic(k.main); }, 5000))
      << "a second start left Kest in the tray";
  ASSERT_TRUE(WaitForForeground(k.main));
  ASSERT_TRUE(WaitForFocus(k.main, lv));

  // Shift+F10 opens the tools menu; the arrows and Enter run the tool on the target, not in the
  // command-line box: none of the Ctrl keys above left Ctrl taken as held.
  Press(VK_F10, {VK_SHIFT});
  HWND menu = e2e::WaitForPopupMenu(5000, k.process.pid());
  ASSERT_NE(menu, nullptr) << "Shift+F10 opened no menu";
  Press(VK_DOWN);  // the folder
  Press(VK_DOWN);  // the tool
  Press(VK_RETURN);
  auto run = WaitForProbe(app);
  ASSERT_TRUE(run.has_value()) << "the tool did not run";
  EXPECT_EQ(run->cwd, app.file("w"));
  EXPECT_FALSE(IsWindowVisible(k.control(ids::commandLine)));

  // Alt+F4 ends Kest.
  ASSERT_TRUE(WaitForForeground(k.main));
  Press(VK_F4, {VK_MENU});
  DWORD code = 0xDEAD;
  EXPECT_TRUE(k.process.waitExit(15000, &code));
  EXPECT_EQ(code, 0u);
  k.main = nullptr;
}

// What a screen reader reads for a control: its accessible name, or nothing.
std::string AccessibleName(HWND control) {
  win32::ComPtr<IAccessible> acc;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        acc.putVoid())) ||
      !acc)
    return std::string();
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  if (acc->get_accName(self, &name) != S_OK || !name) return std::string();
  std::string text(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, name, -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
  SysFreeString(name);
  text.resize(text.size() - 1);
  return text;
}

// What a screen reader reads of a control's state.
LONG AccessibleState(HWND control) {
  win32::ComPtr<IAccessible> acc;
  VARIANT self{}, state{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        acc.putVoid())) ||
      !acc || acc->get_accState(self, &state) != S_OK)
    return 0;
  return state.lVal;
}

// Every control of the window that can take the keys (by Tab, or as an edit, a list, a tree or a
// slider does when clicked) is named, also one hidden for now.
void ExpectEveryKeyControlNamed(HWND window) {
  for (HWND c : e2e::Children(window)) {
    const std::string cls = e2e::ClassName(c);
    const bool takesKeys = (GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) || cls == "Edit" || cls == "SysListView32" ||
                           cls == "SysTreeView32" || cls.rfind("RICHEDIT", 0) == 0 || cls.rfind("RichEdit", 0) == 0 ||
                           cls == "msctls_trackbar32";
    if (takesKeys) EXPECT_FALSE(AccessibleName(c).empty()) << cls << " without a name in " << e2e::ClassName(window);
  }
}

// Every button of the window is named; returns the names by control id.
std::map<int, std::string> ButtonNames(HWND window) {
  std::map<int, std::string> names;
  for (HWND c : e2e::Children(window)) {
    if (e2e::ClassName(c) != "Button") continue;
    std::string name = AccessibleName(c);
    EXPECT_FALSE(name.empty()) << "a button without a name in " << e2e::ClassName(window) << ", id "
                               << GetDlgCtrlID(c);
    names[GetDlgCtrlID(c)] = name;
  }
  return names;
}

TEST_F(KestTest, EveryButtonAndEveryControlThatTakesTheKeysHasAName) {
  win32::ComApartment com;
  AppDir app("button-names");
  AddProbeTool(app, "root\\Probe.lnk");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  auto main = ButtonNames(k.main);
  EXPECT_EQ(main[ids::addFile], "Open file");
  EXPECT_EQ(main[ids::backup], "Backup file");
  EXPECT_EQ(main[ids::settings], "Kest settings");
  EXPECT_EQ(main[ids::closeCaption], "Exit");
  EXPECT_EQ(main.size(), 13u);
  ExpectEveryKeyControlNamed(k.main);
  EXPECT_EQ(AccessibleName(k.targetList()), "Target list");

  k.click(ids::notes);
  HWND note = e2e::WaitForWindow("TfKFS", k.process.pid(), 5000, true);
  ASSERT_NE(note, nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return Editor(note) != nullptr; }, 5000));
  ButtonNames(note);
  ExpectEveryKeyControlNamed(note);
  EXPECT_EQ(AccessibleName(Editor(note)), "Note");
  e2e::PostClose(note);

  HWND find = OpenFindBox(k);
  ASSERT_NE(find, nullptr);
  ButtonNames(find);
  ExpectEveryKeyControlNamed(find);
  e2e::PostClose(find);
  ASSERT_TRUE(e2e::WaitForWindowGone(find, 5000));

  HWND mini = EnterMiniMode(k);
  ASSERT_NE(mini, nullptr);
  auto miniNames = ButtonNames(mini);
  EXPECT_EQ(miniNames[ids::mini_window::closeButton], "Back to the main window");
  ExpectEveryKeyControlNamed(mini);
  PostMessageA(mini, WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(k.main) != FALSE; }, 5000));

  k.click(ids::settings);
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr);
  auto settingsNames = ButtonNames(settings);
  EXPECT_EQ(settingsNames[ids::settings_window::closeButton], "Close settings");
  EXPECT_EQ(settingsNames[ids::settings_window::mainSwatch], "Main color");
  ExpectEveryKeyControlNamed(settings);
  // The label of the page shown is read as selected.
  HWND toolsLabel = e2e::FindChildById(settings, ids::settings_window::toolsTab);
  HWND optionsLabel = e2e::FindChildById(settings, ids::settings_window::optionsTab);
  EXPECT_EQ(AccessibleName(toolsLabel), "Tools Manger, selected");
  EXPECT_TRUE(AccessibleState(toolsLabel) & STATE_SYSTEM_SELECTED);
  EXPECT_EQ(AccessibleName(optionsLabel), "Options");
  RECT r = e2e::ClientRect(optionsLabel);
  e2e::PostClick(optionsLabel, r.right / 2, r.bottom / 2);
  EXPECT_TRUE(e2e::WaitUntil([&] { return AccessibleName(optionsLabel) == "Options, selected"; }, 5000));
  EXPECT_EQ(AccessibleName(toolsLabel), "Tools Manger");
  EXPECT_FALSE(AccessibleState(toolsLabel) & STATE_SYSTEM_SELECTED);
  CloseSettings(settings);
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
