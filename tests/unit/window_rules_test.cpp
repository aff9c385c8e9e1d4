#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "state/app_state.h"
#include "fakes/fake_platform.h"
#include "targets/target_list.h"
#include "window_rules/color_rules.h"
#include "window_rules/placement.h"
#include "window_rules/tray_rules.h"

namespace kest {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kIni = R"(D:\tools\kest\Tools.ini)";

// Logs each notice with the target that is current while it is heard.
struct Recorder : CurrentTargetObserver {
  Recorder(const char* n, AppState& s, Lines& l) : name(n), state(s), log(l) {}
  void CurrentTargetChanging(const std::string& from, const std::string& to) override {
    log.push_back(name + " changing " + from + ">" + to + " at " + state.currentTarget());
    if (leaveWhenTold) state.RemoveObserver(this);
  }
  void CurrentTargetChanged(const std::string& from, const std::string& to) override {
    log.push_back(name + " changed " + from + ">" + to + " at " + state.currentTarget());
  }
  std::string name;
  AppState& state;
  Lines& log;
  bool leaveWhenTold = false;
};

struct AppStateTest : ::testing::Test {
  fakes::FakeSettingsStore store;
  AppState state{store, R"(D:\tools\kest\)"};
  Lines log;
  Recorder a{"A", state, log}, b{"B", state, log};
  void set(const std::string& key, const std::string& value) { store.set(kIni, "Options", key, value); }
};

TEST_F(AppStateTest, EveryCallTellsAllObserversBeforeThenAfterInTheOrderAdded) {
  state.AddObserver(&b);
  state.AddObserver(&a);
  state.AddObserver(&b);  // already there
  state.SetCurrentTarget("x");
  state.SetCurrentTarget("x");
  EXPECT_EQ(log, (Lines{"B changing >x at ", "A changing >x at ", "B changed >x at x", "A changed >x at x",
                        "B changing x>x at x", "A changing x>x at x", "B changed x>x at x",
                        "A changed x>x at x"}));
  log.clear();
  state.RemoveObserver(&b);
  state.SetCurrentTarget("");
  EXPECT_EQ(log, (Lines{"A changing x> at x", "A changed x> at "}));
}

TEST_F(AppStateTest, ObserverMayLeaveWhileItIsTold) {
  Recorder c{"C", state, log};
  for (Recorder* o : {&a, &b, &c}) state.AddObserver(o);
  a.leaveWhenTold = true;
  state.SetCurrentTarget("x");
  EXPECT_EQ(state.currentTarget(), "x");
  Lines others;
  std::copy_if(log.begin(), log.end(), std::back_inserter(others), [](auto& l) { return l[0] != 'A'; });
  EXPECT_EQ(others, (Lines{"B changing >x at ", "C changing >x at ", "B changed >x at x", "C changed >x at x"}));
  log.clear();
  state.SetCurrentTarget("y");
  EXPECT_EQ(log, (Lines{"B changing x>y at x", "C changing x>y at x", "B changed x>y at y", "C changed x>y at y"}));
}

TEST_F(AppStateTest, SelectionGivesTheEntrysFullPathOrNothing) {
  state.targets().add(R"(C:\w\a.exe)");
  state.targets().add(R"(C:\w\b.exe)");
  state.SetCurrentTargetFromSelection(1);
  EXPECT_EQ(state.currentTarget(), R"(C:\w\b.exe)");
  state.SetCurrentTargetFromSelection(2);
  EXPECT_EQ(state.currentTarget(), "");
  state.SetCurrentTargetFromSelection(0);
  state.SetCurrentTargetFromSelection(std::nullopt);
  EXPECT_EQ(state.currentTarget(), "");
}

TEST_F(AppStateTest, OptionsFromAFreshFileAndFromStoredValues) {
  state.LoadOptions();
  EXPECT_EQ(store.reads, (Lines{"StOnTop", "CheckDrive", "abValue", "Drive", "Col1", "Col2", "Col3", "IMOnStart"}));
  EXPECT_FALSE(state.stayOnTop);
  EXPECT_TRUE(state.workDrive.confirm);
  EXPECT_EQ(state.opacity, 245);
  EXPECT_EQ(state.workDrive.letter, 'D');
  EXPECT_EQ(state.colors.main, 0xC16100u);
  EXPECT_EQ(state.colors.caption, 0u);
  EXPECT_EQ(state.colors.font, 0xFFFFFFu);
  EXPECT_TRUE(state.normalMode);

  for (auto [key, value] : {std::pair{"StOnTop", "1"}, {"CheckDrive", "0"}, {"abValue", "$1F0"}, {"Drive", "G"},
                            {"Col1", "1"}, {"Col2", "2"}, {"Col3", "3"}, {"IMOnStart", "1"}})
    set(key, value);
  state.LoadOptions();
  EXPECT_TRUE(state.stayOnTop);
  EXPECT_FALSE(state.workDrive.confirm);
  EXPECT_EQ(state.opacity, 0xF0);
  EXPECT_EQ(state.workDrive.letter, 'G');
  EXPECT_EQ(state.colors.main, 1u);
  EXPECT_EQ(state.colors.caption, 2u);
  EXPECT_EQ(state.colors.font, 3u);
  EXPECT_FALSE(state.normalMode);
}

TEST(Placement, ExitGeometryGoesToTheKeysOfTheRunsMode) {
  fakes::FakeSettingsStore store;
  SettingsFile settings{store, R"(D:\tools\kest\)"};
  const Box place{10, 20, 300, 400};
  WriteExitGeometry(settings, true, place, true);
  EXPECT_EQ(store.writes,
            (Lines{"NMLeft=10", "NMTop=20", "NMHeight=400", "NMWidth=300", "IMOnStart=0", "Minimized=1"}));
  store.writes.clear();
  store.data.clear();
  WriteExitGeometry(settings, false, place, false);
  EXPECT_EQ(store.writes,
            (Lines{"IMLeft=10", "IMTop=20", "IMWidth=300", "IMHeight=400", "IMOnStart=1", "Minimized=0"}));
}

TEST(Placement, FadeRunsFromTheOpacityDownTo170) {
  std::vector<int> full = FadeSteps(255);
  ASSERT_EQ(full.size(), 86u);
  EXPECT_EQ(full.front(), 255);
  EXPECT_EQ(full.back(), 170);
  EXPECT_EQ(FadeSteps(171), (std::vector<int>{171, 170}));
  EXPECT_TRUE(FadeSteps(170).empty());
  EXPECT_TRUE(FadeSteps(0).empty());
}

TEST(Placement, RightEndPartsFollowTheRightEdge) {
  MainLayout l = LayoutMainWindow(400, 500);
  EXPECT_EQ(l.toMiniLeft, 349);
  EXPECT_EQ(l.toTrayLeft, 365);
  EXPECT_EQ(l.closeCaptionLeft, 380);
  EXPECT_EQ(l.aboutLeft, 345);
  EXPECT_EQ(l.exitLeft, 370);
  EXPECT_EQ(l.commandLine.width, 397);
  EXPECT_EQ(l.commandLine.y, 458);
  EXPECT_EQ(l.fileColumnWidth, 396);
  for (int h = 0; h < 60; ++h) EXPECT_GE(LayoutMainWindow(20, h).list.height, 0) << h;
}

TEST(Placement, SnapsWithinTenPixelsAndTheRightAndBottomEdgesWin) {
  const WorkArea area{0, 0, 1280, 994};
  auto snap = [&](int x, int y, int w = 280, int h = 334) {
    Point p = SnapToWorkArea(Point{x, y}, w, h, area);
    return std::to_string(p.x) + "," + std::to_string(p.y);
  };
  EXPECT_EQ(snap(10, 10), "0,0");
  EXPECT_EQ(snap(11, -11), "11,-11");
  EXPECT_EQ(snap(-10, 500), "0,500");
  EXPECT_EQ(snap(1280 - 280 - 10, 994 - 334 + 10), "1000,660");
  EXPECT_EQ(snap(1280 - 280 - 11, 994 - 334 + 11), "989,671");
  // Both edges in reach: a window at most 10 pixels narrower or lower than the area ends flush
  // with its right and bottom edges.
  EXPECT_EQ(snap(3, 2, 1272, 990), "8,4");
  // Stored values far off the screen are taken as they are.
  EXPECT_EQ(snap(INT32_MIN, INT32_MAX), std::to_string(INT32_MIN) + "," + std::to_string(INT32_MAX));
}

TEST(Dpi, SizesScaleAsMulDivRoundsAndStoredPlacesRoundTrip) {
  EXPECT_EQ(ScaleForDpi(280, 96), 280);
  EXPECT_EQ(ScaleForDpi(280, 144), 420);
  EXPECT_EQ(ScaleForDpi(334, 144), 501);
  EXPECT_EQ(ScaleForDpi(11, 144), 17) << "16.5 rounds up";
  EXPECT_EQ(ScaleForDpi(-11, 144), -17) << "font heights round away from zero, as MulDiv does";
  EXPECT_EQ(ScaleForDpi(11, 120), 14);
  EXPECT_EQ(UnscaleForDpi(421, 144), 281);
  EXPECT_EQ(ScaleForDpi(INT32_MAX, 192), INT32_MAX) << "held inside int";
  EXPECT_EQ(ScaleForDpi(INT32_MIN, 192), INT32_MIN);
  EXPECT_EQ(MulDivRounded(5, 1, 0), 5);
  // A place stored at 96 DPI comes back unchanged after a run at any DPI of 96 or more.
  for (int dpi : {96, 120, 144, 168, 192, 240})
    for (int v = -300; v <= 300; ++v) ASSERT_EQ(UnscaleForDpi(ScaleForDpi(v, dpi), dpi), v) << dpi;
  Box pixels = StoredToPixels(Box{250, 450, 280, 334}, 144);
  EXPECT_EQ(pixels.x, 375);
  EXPECT_EQ(pixels.y, 675);
  EXPECT_EQ(pixels.width, 420);
  EXPECT_EQ(pixels.height, 501);
  Box back = PixelsToStored(Box{-15, 30, 420, 500}, 144);
  EXPECT_EQ(std::to_string(back.x) + "," + std::to_string(back.y) + " " + std::to_string(back.width) + "x" +
                std::to_string(back.height),
            "-10,20 280x333");
  EXPECT_EQ(SnapDistanceForDpi(96), 10);
  EXPECT_EQ(SnapDistanceForDpi(144), 15);
  EXPECT_EQ(SnapToWorkArea(Point{15, 16}, 420, 501, WorkArea{0, 0, 1920, 1080}, 15).x, 0);
  EXPECT_EQ(SnapToWorkArea(Point{15, 16}, 420, 501, WorkArea{0, 0, 1920, 1080}, 15).y, 16);
  EXPECT_EQ(SmallIconSizeForDpi(96), 16);
  EXPECT_EQ(SmallIconSizeForDpi(120), 16);
  EXPECT_EQ(SmallIconSizeForDpi(144), 24);
  EXPECT_EQ(SmallIconSizeForDpi(192), 32);
  EXPECT_EQ(SmallIconSizeForDpi(0), 16) << "no usable DPI reads as 96";
}

TEST(Dpi, TheMainLayoutGrowsWithTheDpiAndIsUnchangedAt96) {
  MainLayout same = LayoutMainWindow(400, 500, 96);
  MainLayout plain = LayoutMainWindow(400, 500);
  EXPECT_EQ(same.commandLine.y, plain.commandLine.y);
  EXPECT_EQ(same.barButton.width, 25);
  EXPECT_EQ(same.barButton.height, 18);
  EXPECT_EQ(same.captionButtonsTop, 19);
  MainLayout l = LayoutMainWindow(420, 501, 144);
  EXPECT_EQ(l.titleStrip.height, 17);
  EXPECT_EQ(l.captionStrip.y, 18);
  EXPECT_EQ(l.captionStrip.height, 26);
  EXPECT_EQ(l.list.y, 44);
  EXPECT_EQ(l.bottomBar.y, 500 - 30);
  EXPECT_EQ(l.list.height, 470 - 44);
  EXPECT_EQ(l.barButtonsTop, 471);
  EXPECT_EQ(l.commandLine.y, 470 - 32);
  EXPECT_EQ(l.commandLine.height, 29);
  EXPECT_EQ(l.toMiniLeft, 420 - 77);
  EXPECT_EQ(l.exitLeft, 420 - 45);
  EXPECT_EQ(l.grip.x, 420 - 15);
  EXPECT_EQ(l.barButton.width, 38);
  EXPECT_EQ(l.barButton.height, 27);
  EXPECT_EQ(l.separatorX[2], 209);
  EXPECT_EQ(l.fileColumnWidth, 416) << "the one-pixel frame stays one pixel";
}

TEST(Placement, GripFollowsTheCursorButKeepsTheMinimum) {
  auto size = [](Point cursor) {
    Size s = GripSize(Point{100, 200}, cursor, Size{220, 200});
    return std::to_string(s.width) + "x" + std::to_string(s.height);
  };
  EXPECT_EQ(size(Point{500, 700}), "400x500");
  EXPECT_EQ(size(Point{321, 401}), "221x201");
  EXPECT_EQ(size(Point{320, 400}), "220x200");
  EXPECT_EQ(size(Point{0, 0}), "220x200") << "above and left of the corner";
}

TEST(TrayRules, TipNamesTheTargetAndAClickNeedsItsPress) {
  EXPECT_EQ(TrayTip(R"(C:	\sample.exe)"), "Kest - sample.exe");
  EXPECT_EQ(TrayTip(""), "Kest");
  std::string tip = TrayTip(R"(C:\t\)" + std::string(200, 'x'));
  EXPECT_EQ(tip.size(), 127u);
  EXPECT_EQ(tip.substr(0, 8), "Kest - x");
  TrayClick click;
  EXPECT_FALSE(click.Released()) << "a release without its press";
  click.Pressed();
  EXPECT_TRUE(click.Released());
  EXPECT_FALSE(click.Released());
}

TEST(ColorRules, KeyColourOpacityTextFloorAndApply) {
  EXPECT_EQ(PickedColour(0x008000), 0x008001u);
  EXPECT_EQ(PickedColour(0x008001), 0x008001u);
  EXPECT_EQ(PickedColour(0xC16100), 0xC16100u);
  for (auto [text, value] : std::vector<std::pair<std::string, int>>{
           {"300", 255}, {"", 0}, {"abc", 0}, {"12", 12}, {"-5", 0}, {"7x", 0}, {std::string(40, '9'), 255}})
    EXPECT_EQ(OpacityFromText(text), value) << text;
  EXPECT_EQ(VisibleOpacity(0), kMinimumOpacity);
  EXPECT_EQ(VisibleOpacity(200), 200);
  fakes::FakeSettingsStore store;
  AppState state{store, R"(D:\k\)"};
  ApplyScheme(state, ColorScheme{0x112233, 0x008001, 0xFFFFFF}, 300);
  EXPECT_EQ(store.writes, (Lines{"Col1=1122867", "Col2=32769", "Col3=16777215"}));
  EXPECT_EQ(state.colors.main, 0x112233u) << "read back from the file";
  EXPECT_EQ(state.opacity, 255);
  EXPECT_EQ(FadeSteps(200).front(), 200);
  EXPECT_EQ(FadeSteps(200).back(), 170);
}

TEST(TargetRules, LastDirAndHelpFileNames) {
  EXPECT_EQ(LastDirOf(""), "");
  EXPECT_EQ(LastDirOf(R"(C:\a\b.exe)"), R"(C:\a)");
  EXPECT_EQ(LastDirOf(R"(C:\b.exe)"), R"(C:\)");

  EXPECT_TRUE(IsHelpFileName(R"(C:\h\x.HLP)"));
  EXPECT_TRUE(IsHelpFileName(R"(C:\h.v2\x.hlp)"));
  EXPECT_FALSE(IsHelpFileName(R"(C:\h\x.Hlp)"));
  EXPECT_FALSE(IsHelpFileName(R"(C:\h\x.hlp.txt)"));
  EXPECT_FALSE(IsHelpFileName(R"(C:\h.hlp\readme)"));
}

}  // namespace
}  // namespace kest
