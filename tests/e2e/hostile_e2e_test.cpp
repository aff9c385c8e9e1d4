// Kest against files and input it did not write: nothing lost, no crash, no hang.
#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "common/pe_files.h"
#include "e2e/kest_driver.h"
#include "e2e/probe_tool.h"

namespace kest::e2etest {
namespace {

using e2e::AppDir;
using testutil::IconFlaw;

// The processes that the process started and that were there a moment ago.
std::vector<DWORD> ChildrenOf(DWORD parent) {
  std::vector<DWORD> children;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return children;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == parent) children.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return children;
}

TEST_F(KestTest, HostileSettingsCatalogAndArgumentsAreSurvived) {
  // A Tools.ini of random bytes.
  {
    AppDir app("hostile-random-ini");
    std::mt19937 random(7);
    std::string bytes(4096, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    app.writeFile("Tools.ini", bytes);
    Kest k = StartKest(app, BareCommandLine(app));
    ASSERT_NE(k.main, nullptr);
    CloseKest(k);
  }
  // A "Count" of 2147483647 with two real entries, a 300-character path among them, and a
  // catalog nested 60 levels deep with a shortcut that is no link.
  AppDir app("hostile");
  std::string longPath = "C:\\" + std::string(292, 'p') + ".exe";
  app.writeIni("Targets", "Count", "2147483647");
  app.writeIni("Targets", "0", longPath);
  app.writeIni("Targets", "1", app.file("w\\t.exe"));
  app.writeFile("w\\t.exe", "MZ");
  std::string deep = "root";
  for (int i = 0; i < 60; ++i) deep += "\\d";
  app.writeFile(deep + "\\deep.lnk", "not a link");
  app.writeFile("root\\broken.lnk", "not a link either");
  std::string probe = AddProbeTool(app, "root\\Probe.lnk");
  auto started = std::chrono::steady_clock::now();
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(k.targetNames(), (std::vector<std::string>{std::string(292, 'p') + ".exe", "t.exe"}));

  // The menu warns about the shortcut it cannot read, and still launches the probe.
  HWND lv = k.targetList();
  ASSERT_TRUE(e2e::ListViewSelect(lv, 1));
  RECT r = e2e::ListViewItemRect(lv, 1, LVIR_LABEL);
  e2e::PostClick(lv, r.left + 5, (r.top + r.bottom) / 2, true);
  for (int i = 0; i < 2; ++i) {  // once per menu
    auto warning = e2e::WaitForMessageBox("Kest warning", 10000, k.process.pid());
    ASSERT_TRUE(warning.has_value());
    EXPECT_NE(warning->text.find("broken.lnk"), std::string::npos) << warning->text;
    e2e::AnswerMessageBox(warning->hwnd, IDOK);
  }
  HWND menu = e2e::WaitForPopupMenu(10000, k.process.pid());
  if (!menu || e2e::WaitUntil([&] { return !IsWindowVisible(menu); }, 200))
    menu = OpenPopupMenu(k, [&] { e2e::PostClick(lv, r.left + 5, (r.top + r.bottom) / 2, true); });
  ASSERT_NE(menu, nullptr);
  e2e::MenuKeys(menu, {VK_ESCAPE});

  // A second start with a 300-character argument crashes neither copy: it says why it hands
  // nothing over.
  std::string tooLong = "C:\\" + std::string(296, 'L') + ".exe";
  EXPECT_EQ(RunReportingStart(app, ArgumentCommandLine(app, tooLong)).find("The path is too long"), 0u);
  EXPECT_TRUE(k.process.running());
  CloseKest(k);
  // Nothing lost, nothing rewritten: the run changed no entry.
  EXPECT_EQ(app.readIni("Targets", "Count"), "2147483647");
  EXPECT_EQ(app.readIni("Targets", "0"), longPath);
  EXPECT_EQ(app.readIni("Targets", "1"), app.file("w\\t.exe"));
}

TEST_F(KestTest, SamplesMadeToBreakIconCodeAreDrawnAndKeptAndTheirHelperEndsWithKest) {
  AppDir app("hostile-icons");
  const bool plus = sizeof(void*) == 8;
  constexpr std::uint32_t kRed = 0xFF0000;
  std::vector<std::string> samples;
  auto sample = [&](const std::string& name, const std::string& bytes) {
    app.writeFile("s\\" + name, bytes);
    samples.push_back(app.file("s\\" + name));
  };
  sample("good.exe", testutil::IconProgram(kRed, IconFlaw::None, plus));
  for (IconFlaw flaw : {IconFlaw::GroupClaimsTooMany, IconFlaw::PastTheEnd, IconFlaw::LyingBitmap, IconFlaw::LyingPng,
                        IconFlaw::LoopingDirectory, IconFlaw::CutInDirectory})
    sample("flaw" + std::to_string(samples.size()) + ".exe", testutil::IconProgram(kRed, flaw, plus));
  sample("many.ico", testutil::IconFile(kRed, IconFlaw::GroupClaimsTooMany));
  // Without an icon of their own: they show their kinds' icons, never another row's.
  sample("data.bin", std::string("\x01\x02 no program", 13));
  sample("noicon.exe", testutil::IconProgram(kRed, IconFlaw::NoResources, plus));
  sample("read.txt", "a document");
  StoreTargets(app, samples);

  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  HWND lv = k.targetList();
  ASSERT_EQ(e2e::ListViewCount(lv), static_cast<int>(samples.size()));
  auto onScreen = [&](int row, int part) {
    RECT r = e2e::ListViewItemRect(lv, row, part);
    MapWindowPoints(lv, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return e2e::ScreenPixels(r);
  };
  auto holds = [](const std::vector<COLORREF>& pixels, COLORREF c) {
    return std::count(pixels.begin(), pixels.end(), c);
  };
  const COLORREF red = RGB(255, 0, 0), text = RGB(255, 255, 255);
  const COLORREF background = static_cast<COLORREF>(SendMessageA(lv, LVM_GETBKCOLOR, 0, 0));
  EXPECT_TRUE(e2e::WaitUntil([&] { return holds(onScreen(0, LVIR_ICON), red) > 100; }, 30000))
      << "the sound program's own icon did not come";
  // Every row drawn, its name and an icon, once the helpers are through.
  for (int row = 0; row < static_cast<int>(samples.size()); ++row) {
    EXPECT_TRUE(e2e::WaitUntil([&] {
      const std::vector<COLORREF> icon = onScreen(row, LVIR_ICON);
      return holds(onScreen(row, LVIR_LABEL), text) > 0 && !icon.empty() &&
             holds(icon, background) < static_cast<long>(icon.size());
    }, 30000)) << "row " << row << " was not drawn";
  }
  for (int row = static_cast<int>(samples.size()) - 3; row < static_cast<int>(samples.size()); ++row)
    EXPECT_EQ(holds(onScreen(row, LVIR_ICON), red), 0) << "row " << row << " shows another row's icon";
  EXPECT_TRUE(k.process.running());
  CloseKest(k);
  EXPECT_EQ(app.readIni("Targets", "Count"), std::to_string(samples.size()));
  for (std::size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(app.readIni("Targets", std::to_string(i)), samples[i]);

  // However Kest ends, its helper ends with it.
  k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  lv = k.targetList();
  ASSERT_TRUE(e2e::WaitUntil([&] { return holds(onScreen(0, LVIR_ICON), red) > 100; }, 30000));
  std::vector<HANDLE> helpers;
  for (DWORD pid : ChildrenOf(k.process.pid()))
    if (HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid)) helpers.push_back(h);
  EXPECT_FALSE(helpers.empty());
  k.process.terminate();
  for (HANDLE h : helpers) {
    EXPECT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0) << "a helper outlived Kest";
    CloseHandle(h);
  }
  k.main = nullptr;
}

TEST_F(KestTest, FiveThousandTargetsLoadAndAreKept) {
  AppDir app("hostile-many");
  std::string ini = "[Targets]\r\nCount=5000\r\n";
  for (int i = 0; i < 5000; ++i) ini += std::to_string(i) + "=C:\\many\\t" + std::to_string(i) + ".exe\r\n";
  app.writeFile("Tools.ini", ini);
  auto started = std::chrono::steady_clock::now();
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListViewCount(k.targetList()) == 5000; }, 60000));
  std::printf("5,000 targets loaded in %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - started)
                                         .count()));
  EXPECT_EQ(e2e::ListViewText(k.targetList(), 4999), "t4999.exe");
  // It scrolls to the end and the last rows are drawn there.
  ASSERT_TRUE(e2e::ListViewSelect(k.targetList(), 4999));
  EXPECT_GE(ListView_GetTopIndex(k.targetList()), 4900);
  EXPECT_EQ(e2e::ListViewText(k.targetList(), 4998, 1), "C:\\many\\");
  CloseKest(k);
  // The close writes its options; the targets, unchanged, are not written again.
  std::string after = app.readFile("Tools.ini");
  std::size_t at = after.find("[Targets]");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(after.substr(at, ini.size()), ini);
}

}  // namespace
}  // namespace kest::e2etest
