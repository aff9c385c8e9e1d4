// A tool kept twice: "Probe.lnk" and its 32-bit twin "Probe (x86).lnk", two recording probes in
// folders of their own, are one entry in every route, and the target's first bytes choose which
// of the two runs: the twin for a PE32 target, the tool itself for a PE32+ one.
#include <gtest/gtest.h>

#include "common/pe_head.h"
#include "core/window_ids.h"
#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;

TEST_F(KestTest, APairRunsItsTwinOnAPe32TargetAndItselfOnAPe32PlusOneFromEveryRoute) {
  AppDir app("pair");
  const std::string probe = AddProbeTool(app, "root\\Probe.lnk", "tools");
  const std::string twin = AddProbeTool(app, "root\\Probe (x86).lnk", "tools32");
  app.writeFile("w\\a32.exe", testutil::PeHead(false));
  app.writeFile("w\\b64.exe", testutil::PeHead(true));
  StoreTargets(app, {app.file("w\\a32.exe"), app.file("w\\b64.exe")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  // Which probe ran, and on what; its record goes, so that the next run is a new one.
  auto ran = [&](const std::string& dir) -> std::string {
    auto run = WaitForProbe(app, dir);
    DeleteFileA(app.file(dir + "\\probe.log").c_str());
    return run ? run->cmd : "(nothing ran in " + dir + ")";
  };

  // The menu: one entry, "Probe", whose first place is the pair's.
  ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_RETURN});
  EXPECT_EQ(ran("tools32"), twin + " \"a32.exe\"");
  ChooseFromTargetMenu(k, 1, {VK_DOWN, VK_RETURN});
  EXPECT_EQ(ran("tools"), probe + " \"b64.exe\"");

  // The find box lists the pair once, and runs it on the selected target.
  HWND box = OpenFindBox(k);
  ASSERT_NE(box, nullptr);
  HWND list = e2e::FindChildByClass(box, "SysListView32");
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewCount(list) == 1; }, 5000));
  e2e::PostKey(e2e::FindChildByClass(box, "Edit"), VK_RETURN);
  EXPECT_EQ(ran("tools"), probe + " \"b64.exe\"");

  // The mini window: one button, run on the current target.
  ASSERT_TRUE(e2e::ListViewSelect(k.targetList(), 0));
  HWND mini = EnterMiniMode(k);
  ASSERT_NE(mini, nullptr);
  HWND bar = e2e::FindChildByClass(mini, "ToolbarWindow32");
  ASSERT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 1);
  e2e::PostCommand(mini, ids::mini_window::firstTool);
  EXPECT_EQ(ran("tools32"), twin + " \"a32.exe\"");
  EXPECT_FALSE(e2e::FileExists(app.file("tools\\probe.log"))) << "only the twin ran";
  e2e::PostClose(mini);
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(k.main) != FALSE; }, 5000));
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
