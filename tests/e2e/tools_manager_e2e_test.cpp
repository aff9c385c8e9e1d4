// The tools manager page as a user meets it: a new folder, a new tool through the open dialog,
// renaming in place, a folder with a read-only file deleted, a tool dragged into a folder, and
// the main window's tools menu built from the changed catalog afterwards.
#include <gtest/gtest.h>

#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"
#include "settings/catalog_editing.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

void MouseTo(POINT p) { e2e::MouseTo(p.x, p.y); }
using e2e::MouseButton;

// The middle of a list item's label, on the screen.
POINT ItemOnScreen(HWND list, int item) {
  RECT r = e2e::ListViewItemRect(list, item, LVIR_LABEL);
  POINT p{r.left + 8, (r.top + r.bottom) / 2};
  ClientToScreen(list, &p);
  return p;
}

int IndexOf(const std::vector<std::string>& items, const std::string& text) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return static_cast<int>(i);
  return -1;
}

void ClickToolbarButton(HWND toolbar, int index) {
  RECT r = e2e::ToolbarItemRect(toolbar, index);
  e2e::PostClick(toolbar, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

TEST_F(KestTest, ToolsManagerEditsTheCatalogAndTheMenusFollow) {
  AppDir app("tools-manager");
  std::string probe = AddProbeTool(app, "root\\Single.lnk");
  app.writeFile("root\\Old\\notes.txt", "x");
  app.writeFile("root\\Old\\Inner\\deep.txt", "y");
  ASSERT_TRUE(SetFileAttributesA(app.file("root\\Old\\notes.txt").c_str(), FILE_ATTRIBUTE_READONLY));

  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  k.click(ids::settings);
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr);
  HWND page = e2e::FindChildByClass(settings, "TfKestToolsManager");
  ASSERT_TRUE(page && IsWindowVisible(page)) << "the tools manager is the first page";
  HWND list = e2e::FindChildByClass(page, "SysListView32");
  HWND tree = e2e::FindChildByClass(page, "SysTreeView32");
  HWND toolbar = e2e::FindChildByClass(page, "ToolbarWindow32");
  HWND edit = e2e::FindChildByClass(page, "Edit");
  ASSERT_TRUE(list && tree && toolbar && edit);
  auto items = [&] { return e2e::ListViewColumn(list); };
  // What the mouse meets in the middle of the list: the list itself, unless another window
  // lies over the settings window.
  auto listOnTop = [&] {
    RECT lr = e2e::WindowRectOnScreen(list);
    return WindowFromPoint(POINT{(lr.left + lr.right) / 2, (lr.top + lr.bottom) / 2}) == list;
  };
  EXPECT_EQ(items(), (std::vector<std::string>{"Old", "Single"})) << "folders first, a shortcut without .lnk";
  const LRESULT treeNodes = SendMessageA(tree, TVM_GETCOUNT, 0, 0);
  EXPECT_EQ(treeNodes, 3) << "the root and its two entries";

  // New folder: the name entry opens, Enter applies it.
  EXPECT_FALSE(IsWindowVisible(edit));
  ClickToolbarButton(toolbar, 2);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(edit) != FALSE; }, 5000));
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Unpackers"));
  e2e::PostKey(edit, VK_RETURN);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::DirExists(app.file("root\\Unpackers")); }, 5000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return items() == std::vector<std::string>{"Old", "Unpackers", "Single"}; }, 3000));
  EXPECT_FALSE(IsWindowVisible(edit));
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), treeNodes + 1);

  // Into the new folder, and a new tool there through the open dialog.
  ASSERT_TRUE(e2e::ListViewSelect(list, 1));
  e2e::PostKey(list, VK_RETURN);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewCount(list) == 0; }, 3000));
  ClickToolbarButton(toolbar, 3);
  HWND dialog = nullptr;
  ASSERT_TRUE(e2e::WaitUntil([&] {
    for (HWND w : e2e::TopWindows("#32770", k.process.pid(), true))
      if (e2e::WindowText(w) == kNewToolDialogTitle) dialog = w;
    return dialog != nullptr;
  }, 10000)) << "no open dialog";
  EXPECT_FALSE(IsWindowVisible(settings)) << "the settings window steps aside for the dialog";
  ChooseInOpenDialog(dialog, probe);
  ASSERT_TRUE(e2e::WaitUntil([&] { return app.exists("root\\Unpackers\\probe.lnk"); }, 10000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(settings) != FALSE; }, 3000));
  EXPECT_TRUE(e2e::WaitUntil(listOnTop, 3000)) << "the settings window is back above the main window";
  EXPECT_TRUE(e2e::WaitUntil([&] { return items() == std::vector<std::string>{"probe"}; }, 3000));

  // Renamed in place: a name with a colon is refused, another keeps the shortcut's ".lnk".
  auto rename = [&](const char* name) {
    ASSERT_TRUE(e2e::ListViewSelect(list, 0));
    e2e::PostKey(list, VK_F2);
    HWND label = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] { return (label = e2e::FindChildByClass(list, "Edit")) != nullptr; }, 3000));
    SendMessageA(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    e2e::PostKey(label, VK_RETURN);
  };
  rename("a:b");
  auto refused = e2e::WaitForMessageBox("Kest warning", 5000, k.process.pid());
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->text, kBadNameText);
  e2e::AnswerMessageBox(refused->hwnd, IDOK);
  EXPECT_TRUE(e2e::WaitUntil(listOnTop, 3000)) << "the settings window is above the main window again";
  rename("Packer probe");
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.exists("root\\Unpackers\\Packer probe.lnk"); }, 5000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return items() == std::vector<std::string>{"Packer probe"}; }, 3000));

  // Up, and the folder with a read-only file goes after a Yes.
  ClickToolbarButton(toolbar, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return items().size() == 3; }, 3000));
  ClickToolbarButton(toolbar, 0);  // at the root Up changes nothing
  ASSERT_TRUE(e2e::ListViewSelect(list, IndexOf(items(), "Old")));
  e2e::PostKey(list, VK_DELETE);
  auto question = e2e::WaitForMessageBox("Kest confirm", 10000, k.process.pid());
  ASSERT_TRUE(question.has_value());
  EXPECT_EQ(question->text, "Are sure to want to delete [Old] ?");
  e2e::AnswerMessageBox(question->hwnd, IDYES);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::DirExists(app.file("root\\Old")); }, 5000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return items() == std::vector<std::string>{"Unpackers", "Single"}; }, 3000));
  EXPECT_TRUE(e2e::NoMessageBox("Internal error", 100, k.process.pid()));

  // A tool dragged with the mouse onto a folder moves into it.
  SetForegroundWindow(settings);
  POINT from = ItemOnScreen(list, IndexOf(items(), "Single"));
  POINT to = ItemOnScreen(list, IndexOf(items(), "Unpackers"));
  MouseTo(from);
  Sleep(50);
  MouseButton(true);
  for (int step = 1; step <= 10; ++step) {
    Sleep(20);
    MouseTo(POINT{from.x + (to.x - from.x) * step / 10, from.y + (to.y - from.y) * step / 10});
  }
  Sleep(50);
  MouseButton(false);
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.exists("root\\Unpackers\\Single.lnk"); }, 5000)) << "the drop moved nothing";
  EXPECT_FALSE(app.exists("root\\Single.lnk"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return items() == std::vector<std::string>{"Unpackers"}; }, 3000));

  e2e::PostClose(settings);
  ASSERT_TRUE(e2e::WaitForWindowGone(settings, 5000));

  // The target list's menu is built again from the catalog: its first folder is the new one,
  // and both of its tools are the probe.
  HWND targets = k.targetList();
  RECT r = e2e::ClientRect(targets);
  HWND menu = OpenPopupMenu(k, [&] { e2e::PostClick(targets, r.right / 2, r.bottom - 5, true); });
  ASSERT_NE(menu, nullptr);
  e2e::MenuKeys(menu, {VK_DOWN, VK_RIGHT, VK_RETURN});
  EXPECT_TRUE(WaitForProbe(app).has_value()) << "no tool of the new folder started";
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest

