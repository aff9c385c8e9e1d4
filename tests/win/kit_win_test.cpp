// The window kit on real controls: subclassing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace kest
