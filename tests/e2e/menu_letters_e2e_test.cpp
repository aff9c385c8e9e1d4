// The first steps: a letter typed in a tools menu runs or highlights the items that start with it,
// a catalog without a tool shows "Add tools...", which opens the settings window, and an empty
// target list says how to fill it.
#include <gtest/gtest.h>

#include "core/window_ids.h"
#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

// The target list's menu over the first entry, opened and left open.
HWND OpenTargetMenu(const Kest& k) {
  HWND lv = k.targetList();
  if (!e2e::ListViewSelect(lv, 0)) return nullptr;
  RECT r = e2e::ListViewItemRect(lv, 0, LVIR_LABEL);
  return OpenPopupMenu(k, [&] { e2e::PostClick(lv, r.left + 5, (r.top + r.bottom) / 2, true); });
}

// Letters typed one after another, as a person types: each key is handled before the next.
void TypeInMenu(HWND menu, const std::string& letters) {
  for (char c : letters) {
    e2e::MenuChar(menu, c);
    Sleep(150);
  }
}

// How many pixels of the window's client area on the screen have this colour.
int PixelsOfColour(HWND w, COLORREF colour) {
  RECT r = e2e::ClientRect(w);
  MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
  const std::vector<COLORREF> pixels = e2e::ScreenPixels(r);
  return static_cast<int>(std::count(pixels.begin(), pixels.end(), colour));
}

bool Ran(const AppDir& app, const std::string& probeDir) { return !app.readFile(probeDir + "\\probe.log").empty(); }

TEST_F(KestTest, TypedLettersRunTheOnlyMatchCycleThroughSeveralAndOpenFolders) {
  AppDir app("menu-letters");
  // The menu over a target: Unpackers >, the tools Trace and Dump (in either order), a
  // separator, Copy file path, Copy hashes, Delete, Properties.
  std::string trace = AddProbeTool(app, "root\\Trace.lnk", "tools");
  AddProbeTool(app, "root\\Dump.lnk", "dump");
  AddProbeTool(app, "root\\Unpackers\\Alpha.lnk", "alpha");
  app.writeFile("work\\a.exe", "MZ");
  StoreTargets(app, {app.file("work\\a.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);

  // "t": only Trace starts with it, in either case; it runs on the target as if clicked.
  HWND menu = OpenTargetMenu(k);
  ASSERT_NE(menu, nullptr);
  TypeInMenu(menu, "T");
  auto run = WaitForProbe(app, "tools");
  ASSERT_TRUE(run.has_value()) << "the typed letter did not run Trace";
  EXPECT_EQ(run->cmd, trace + " \"a.exe\"");
  EXPECT_EQ(run->cwd, app.file("work"));
  EXPECT_TRUE(e2e::WaitForWindowGone(menu, 3000));
  EXPECT_FALSE(Ran(app, "dump"));

  // "d": Dump and Delete start with it. Each press highlights the next, the third wraps back to
  // Dump, and Enter runs it; nothing runs before.
  menu = OpenTargetMenu(k);
  ASSERT_NE(menu, nullptr);
  TypeInMenu(menu, "dd");
  EXPECT_FALSE(WaitForProbe(app, "dump", 300).has_value());
  EXPECT_TRUE(IsWindowVisible(menu)) << "several matches only highlight";
  TypeInMenu(menu, "d");
  e2e::MenuKeys(menu, {VK_RETURN});
  ASSERT_TRUE(WaitForProbe(app, "dump").has_value()) << "the third \"d\" is back on Dump";
  EXPECT_EQ(e2e::ListViewCount(k.targetList()), 1) << "Delete was passed over";

  // "u" opens the one folder, "a" runs the one tool in it.
  menu = OpenTargetMenu(k);
  ASSERT_NE(menu, nullptr);
  TypeInMenu(menu, "u");
  TypeInMenu(menu, "a");
  ASSERT_TRUE(WaitForProbe(app, "alpha").has_value()) << "the folder's tool by its letter";

  // A letter no item starts with changes nothing; the menu stays open.
  menu = OpenTargetMenu(k);
  ASSERT_NE(menu, nullptr);
  TypeInMenu(menu, "z");
  EXPECT_TRUE(IsWindowVisible(menu));
  e2e::MenuKeys(menu, {VK_ESCAPE});
  EXPECT_TRUE(e2e::WaitForWindowGone(menu, 3000));
  CloseKest(k);
}

TEST_F(KestTest, WithoutAToolTheMenusOfferAddToolsWhichOpensTheSettingsWindow) {
  AppDir app("add-tools");
  app.writeFile("work\\a.exe", "MZ");
  StoreTargets(app, {app.file("work\\a.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);

  // The target list's menu: "Add tools..." first, then the entry commands.
  HWND menu = OpenTargetMenu(k);
  ASSERT_NE(menu, nullptr);
  e2e::MenuKeys(menu, {VK_DOWN, VK_RETURN});
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr) << "\"Add tools...\" opens the settings window";
  EXPECT_NE(ChildWithText(settings, "Tools Manger"), nullptr);
  e2e::PostClose(settings);
  ASSERT_TRUE(e2e::WaitForWindowGone(settings, 5000));

  // The entry commands are still there after it: "c" highlights "Copy file path" (before "Copy
  // hashes"), Enter copies the path.
  ClearClipboard();
  menu = OpenTargetMenu(k);
  ASSERT_NE(menu, nullptr);
  TypeInMenu(menu, "c");
  EXPECT_TRUE(IsWindowVisible(menu)) << "two entries start with \"c\"";
  e2e::MenuKeys(menu, {VK_RETURN});
  ASSERT_TRUE(e2e::WaitUntil([] { return ClipboardText().has_value(); }, 5000));
  EXPECT_EQ(ClipboardText().value_or(""), app.file("work\\a.exe"));

  // Typed too, also in the tray's menu (which, with the main window on the screen, holds it alone).
  PostMessageA(k.main, msg::kTrayCallback, 1, WM_RBUTTONDOWN);
  menu = e2e::WaitForPopupMenu(5000, k.process.pid());
  ASSERT_NE(menu, nullptr) << "the tray menu shows \"Add tools...\"";
  TypeInMenu(menu, "a");
  settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr);

  // A tool added meanwhile: the menus are rebuilt without "Add tools...", whose letter now finds
  // the tool.
  AddProbeTool(app, "root\\Analyzer.lnk");
  e2e::PostClose(settings);
  ASSERT_TRUE(e2e::WaitForWindowGone(settings, 5000));
  menu = OpenTargetMenu(k);
  ASSERT_NE(menu, nullptr);
  TypeInMenu(menu, "a");
  ASSERT_TRUE(WaitForProbe(app).has_value()) << "\"a\" runs Analyzer, the only item starting with it";
  CloseKest(k);
}

TEST_F(KestTest, AddToolsFromTheTrayOpensTheSettingsWindowWhileKestStaysInTheTray) {
  AppDir app("add-tools-tray");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  k.click(ids::toTray);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(k.main); }, 5000));
  HWND menu = OpenPopupMenu(k, [&] { PostMessageA(k.main, msg::kTrayCallback, 1, WM_RBUTTONDOWN); });
  ASSERT_NE(menu, nullptr);
  TypeInMenu(menu, "a");
  HWND settings = WaitForSettings(k);
  ASSERT_NE(settings, nullptr) << "the settings window shows while the main window is in the tray";
  e2e::PostClose(settings);
  ASSERT_TRUE(e2e::WaitForWindowGone(settings, 5000));
  EXPECT_FALSE(IsWindowVisible(k.main));
  CloseKest(k);
}

TEST_F(KestTest, TheEmptyTargetListShowsAHintUntilATargetIsThere) {
  AppDir app("empty-list-hint");
  app.writeFile("drop\\a.exe", "MZ");
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  // The hint's colour lies halfway between the list's text and its background.
  const COLORREF text = static_cast<COLORREF>(SendMessageA(lv, LVM_GETTEXTCOLOR, 0, 0));
  const COLORREF back = static_cast<COLORREF>(SendMessageA(lv, LVM_GETBKCOLOR, 0, 0));
  const COLORREF hint = RGB((GetRValue(text) + GetRValue(back)) / 2, (GetGValue(text) + GetGValue(back)) / 2,
                            (GetBValue(text) + GetBValue(back)) / 2);
  auto hintShown = [&] { return PixelsOfColour(lv, hint) > 50; };
  EXPECT_TRUE(e2e::WaitUntil(hintShown, 3000)) << "the empty list shows the hint";

  ASSERT_TRUE(PostDropFiles(k.main, {app.file("drop\\a.exe")}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewCount(lv) == 1; }, 5000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !hintShown(); }, 3000)) << "a target takes the hint away";

  ASSERT_TRUE(e2e::ListViewSelect(lv, 0));
  e2e::PostKey(lv, VK_DELETE);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewCount(lv) == 0; }, 5000));
  EXPECT_TRUE(e2e::WaitUntil(hintShown, 3000)) << "the last one deleted, the hint is back";
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
