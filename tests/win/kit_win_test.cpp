// The window kit on real controls: subclassing, and typed letters in a real menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/controls.h"
#include "kit/subclass.h"

namespace kest {
namespace {

TEST(Subclass, TwoOnOneControlEachSeeItsMessagesAndLeaveOnTheirOwn) {
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
  ASSERT_NE(edit, nullptr);
  const UINT probe = WM_APP + 7;
  std::vector<std::string> seen;
  Subclass first, second;
  auto watch = [&](Subclass& s, const char* name) {
    s.Attach(edit, nullptr, [&s, &seen, name](UINT message, WPARAM wParam, LPARAM lParam) {
      if (message == probe) seen.push_back(name);
      return s.Default(message, wParam, lParam);
    });
  };
  watch(first, "first");
  watch(second, "second");
  SendMessageA(edit, probe, 0, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"second", "first"})) << "the one attached last hears first";

  seen.clear();
  first.Detach();
  SendMessageA(edit, probe, 0, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"second"}));

  seen.clear();
  watch(first, "first");
  second.Detach();
  SendMessageA(edit, probe, 0, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"first"}));

  // The control going takes every subclass off it.
  watch(second, "second");
  DestroyWindow(edit);
  EXPECT_EQ(first.control(), nullptr);
  EXPECT_EQ(second.control(), nullptr);
}

TEST(MenuLetters, TheAnswerToATypedLetterComesFromTheMenusItems) {
  HMENU menu = CreatePopupMenu();
  AppendPictureMenuItem(menu, 10, "&Probe", 4);
  AppendPictureMenuItem(menu, 0, nullptr, -1);
  AppendPictureMenuItem(menu, 11, "Copy file path", 2);
  AppendPictureMenuItem(menu, 12, "Delete", 0);
  AppendPictureMenuItem(menu, 13, "Properties", 1);
  EnableMenuItem(menu, 13, MF_BYCOMMAND | MF_GRAYED);
  // Lowered through the system: the item's case and the letter's do not matter.
  EXPECT_EQ(AnswerMenuChar(nullptr, 'c', menu), MAKELRESULT(2, MNC_EXECUTE));
  EXPECT_EQ(AnswerMenuChar(nullptr, 'D', menu), MAKELRESULT(3, MNC_EXECUTE));
  EXPECT_EQ(AnswerMenuChar(nullptr, 'p', menu), MAKELRESULT(0, MNC_EXECUTE)) << "a greyed item takes no part";
  EXPECT_EQ(AnswerMenuChar(nullptr, 'x', menu), MAKELRESULT(0, MNC_IGNORE));
  EXPECT_EQ(AnswerMenuChar(nullptr, '&', menu), MAKELRESULT(0, MNC_IGNORE)) << "the mnemonic mark is no letter";

  // Two candidates: the first is highlighted, and the owner is told to make sure of it.
  EnableMenuItem(menu, 13, MF_BYCOMMAND | MF_ENABLED);
  MSG stale;
  while (PeekMessageA(&stale, nullptr, 0, 0, PM_REMOVE)) {
  }
  EXPECT_EQ(AnswerMenuChar(nullptr, 'P', menu), MAKELRESULT(0, MNC_SELECT));
  MSG posted{};
  ASSERT_TRUE(PeekMessageA(&posted, nullptr, MenuCharSelectMessage(), MenuCharSelectMessage(), PM_REMOVE));
  EXPECT_EQ(posted.wParam, 0u);
  EXPECT_EQ(reinterpret_cast<HMENU>(posted.lParam), menu);
  DestroyMenu(menu);
}

}  // namespace
}  // namespace kest
