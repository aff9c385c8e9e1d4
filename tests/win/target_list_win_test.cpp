// The main window's target list built in this process against fakes: the keys that move the
// selection make the selected entry current, and what its menu acts on is fixed as it opens.
#include <gtest/gtest.h>

#include "core/single_instance.h"
#include "core/texts.h"
#include "core/window_ids.h"
#include "win/fake_app.h"

namespace kest::wintest {
namespace {

using Strings = std::vector<std::string>;

class TargetListTest : public KestWindowsTest {
 protected:
  void Key(WPARAM key) {
    SendMessageA(list(), WM_KEYDOWN, key, 1);
    SendMessageA(list(), WM_KEYUP, key, 0xC0000001);
    PumpPending();
  }
  void Forward(const std::string& path) {
    PostMessageA(main(), msg::kForwardedCommandLine, 0, app.atoms.add(std::string(kForwardPrefix) + path));
  }
};

TEST_F(TargetListTest, KeysThatMoveTheSelectionMakeTheSelectedEntryCurrent) {
  app.storeTargets({"C:\\a\\alpha.exe", "C:\\b\\beta.exe", "C:\\c\\gamma.exe", "C:\\d\\delta.exe"});
  Start();
  SetFocus(list());
  ASSERT_EQ(app.state.currentTarget(), "C:\\d\\delta.exe");
  Key(VK_UP);
  EXPECT_EQ(Selected(), 2);
  EXPECT_EQ(app.state.currentTarget(), "C:\\c\\gamma.exe");
  Key(VK_HOME);
  EXPECT_EQ(app.state.currentTarget(), "C:\\a\\alpha.exe");
  Key(VK_DOWN);
  EXPECT_EQ(app.state.currentTarget(), "C:\\b\\beta.exe");
  Key(VK_END);
  EXPECT_EQ(app.state.currentTarget(), "C:\\d\\delta.exe");
  // A typed letter goes to the next entry whose name starts with it.
  SendMessageA(list(), WM_CHAR, 'g', 1);
  PumpPending();
  EXPECT_EQ(Selected(), 2);
  EXPECT_EQ(app.state.currentTarget(), "C:\\c\\gamma.exe");
  // Delete takes the focused entry out and leaves the current target as it is.
  Key(VK_DELETE);
  EXPECT_EQ(Names(), (Strings{"alpha.exe", "beta.exe", "delta.exe"}));
  EXPECT_EQ(app.state.currentTarget(), "C:\\c\\gamma.exe");
  EXPECT_TRUE(app.box.asked.empty());
}

TEST_F(TargetListTest, F1WithoutAHelpFileAsksForOne) {
  app.storeTargets({"C:\\w\\a.exe"});
  Start();
  app.box.answers = {MbAnswer::No};
  Key(VK_F1);
  ASSERT_EQ(app.box.asked.size(), 1u);
  EXPECT_EQ(app.box.asked[0].text, text::kHelpQuestion);
  EXPECT_EQ(app.box.asked[0].caption, text::kCaptionConfirm);
  EXPECT_EQ(app.box.asked[0].buttons, MbButtons::YesNoCancel);
  EXPECT_TRUE(app.box.asked[0].utf8);
  EXPECT_EQ(app.ini("Options", "hlp"), "(none)");
}

TEST_F(TargetListTest, WhatTheMenuActsOnIsFixedWhenItOpens) {
  app.tool("Probe.lnk", "C:\\tools\\probe.exe");
  for (const char* f : {"C:\\a\\a.exe", "C:\\f\\f.exe", "C:\\g\\g.exe"}) app.file(f);
  app.storeTargets({"C:\\a\\a.exe"});
  Start();
  // A file forwarded while the menu is open becomes current; the tool still runs on a.exe.
  Forward("C:\\f\\f.exe");
  TargetMenu({VK_DOWN, VK_RETURN});
  EXPECT_EQ(Names(), (Strings{"a.exe", "f.exe"}));
  EXPECT_EQ(app.state.currentTarget(), "C:\\f\\f.exe");
  EXPECT_EQ(app.processes.calls, Strings{"winexec C:\\tools\\probe.exe \"a.exe\" @1"});
  EXPECT_EQ(app.fs.cwd, "C:\\a\\");

  // "Delete" chosen after another forward takes out the entry the menu was opened over.
  Pick(0);
  Forward("C:\\g\\g.exe");
  // Past the tool, "Copy file path" and "Copy hashes".
  TargetMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(Names(), (Strings{"f.exe", "g.exe"}));
}

TEST_F(TargetListTest, ARefusedSaveIsTriedAgainAlsoAfterTheExitWasRefused) {
  app.file("C:\\w\\a.exe");
  app.file("C:\\w\\b.exe");
  app.storeTargets({"C:\\w\\a.exe"});
  Start();
  // [Targets] cannot be written: the change is reported once and tried again.
  app.store.refuseSections.insert("targets");
  Forward("C:\\w\\b.exe");
  ASSERT_TRUE(PumpUntil([&] { return app.box.asked.size() == 1; }));
  EXPECT_EQ(app.box.asked[0].text, "Someone error with ini file!");
  // The exit is refused too, and the user stays.
  app.box.answers = {MbAnswer::No};
  SendMessageA(main(), WM_CLOSE, 0, 0);
  ASSERT_EQ(app.box.asked.size(), 2u);
  EXPECT_NE(app.box.asked[1].text.find("Quit without saving the settings?"), std::string::npos);
  ASSERT_NE(main(), nullptr);
  // Once the file takes writes again, the list reaches it without anything more being done.
  app.store.refuseSections.clear();
  EXPECT_TRUE(PumpUntil([&] { return app.ini("Targets", "1") == "C:\\w\\b.exe"; }, 4000));
  EXPECT_EQ(app.box.asked.size(), 2u) << "the retries are not told again";
}

// The target list's own tooltip (made as the mouse first comes over the list) for row 0.
std::wstring RowTip(HWND list) {
  RECT r{};
  ListView_GetItemRect(list, 0, &r, LVIR_LABEL);
  SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 3, (r.top + r.bottom) / 2));
  struct Search {
    HWND list;
    std::wstring text;
  } search{list, {}};
  EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM param) WINAPI -> BOOL {
    auto& s = *reinterpret_cast<Search*>(param);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, "tooltips_class32") != 0) return TRUE;
    wchar_t buffer[1024] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = s.list;
    tool.uId = 1;
    tool.lpszText = buffer;
    SendMessageW(w, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    if (buffer[0]) s.text = buffer;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.text;
}

TEST_F(TargetListTest, HashesAreNeverPutOverANewerCopyUnaskedAndAHeldClipboardIsTold) {
  app.storeTargets({"C:\\w\\a.exe"});
  app.files.set("C:\\w\\a.exe", "abcdefgh");
  Start();
  // Something is copied while the hashes are worked out: the user is asked, and No keeps it.
  app.files.beforeBlock = [&](std::uint64_t done) {
    if (done == 4) app.clipboard.put("copied meanwhile");
  };
  app.box.answers = {MbAnswer::No};
  Command(ids::copyHashes);
  ASSERT_TRUE(PumpUntil([&] { return app.box.asked.size() == 1; }));
  EXPECT_EQ(app.box.asked[0].caption, text::kCaptionConfirm);
  EXPECT_EQ(app.box.asked[0].text, FileMessage(text::kHashesOverNewerCopyText, "C:\\w\\a.exe"));
  EXPECT_EQ(app.clipboard.text, "copied meanwhile");
  // The row's tooltip shows them either way.
  const std::wstring tip = RowTip(list());
  EXPECT_NE(tip.find(L"\r\nSHA256  abababab"), std::wstring::npos) << std::string(tip.begin(), tip.end());
  // Nothing copied meanwhile: they go to the clipboard without a question.
  app.files.beforeBlock = nullptr;
  Command(ids::copyHashes);
  ASSERT_TRUE(PumpUntil([&] { return app.clipboard.text.rfind("MD5  ", 0) == 0; }));
  EXPECT_EQ(app.box.asked.size(), 1u);
  // A clipboard another program holds is told of, for the hashes and for the path.
  app.clipboard.refuse = true;
  Command(ids::copyHashes);
  ASSERT_TRUE(PumpUntil([&] { return app.box.asked.size() == 2; }));
  EXPECT_EQ(app.box.asked[1].text, FileMessage(text::kHashesNotCopiedText, "C:\\w\\a.exe"));
  Command(ids::copyPath);
  ASSERT_EQ(app.box.asked.size(), 3u);
  EXPECT_EQ(app.box.asked[2].text, FileMessage(text::kPathNotCopiedText, "C:\\w\\a.exe"));
}

}  // namespace
}  // namespace kest::wintest
