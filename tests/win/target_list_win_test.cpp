// The main window's target list built in this process against fakes: the keys that move the
// selection make the selected entry current, and what its menu acts on is fixed as it opens.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/pe_files.h"
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
  void Sample(const std::string& path, const std::string& bytes) { app.files.set(path, bytes, FileStamp{bytes.size(), 1}); }
  // The image a row shows, as the list asks for it.
  int ImageOfRow(int row) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ListView_GetItem(list(), &item);
    return item.iImage;
  }
  // The middle pixel of an image of the list, drawn over black.
  COLORREF MiddleOfImage(int image) {
    HIMAGELIST images = ListView_GetImageList(list(), LVSIL_SMALL);
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ImageList_Draw(images, image, dc, 0, 0, ILD_NORMAL);
    const COLORREF middle = GetPixel(dc, 8, 8);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return middle;
  }
  // A double click, as the list tells its parent of it.
  void DoubleClick(int row) {
    Pick(row);
    NMITEMACTIVATE click{};
    click.hdr = NMHDR{list(), static_cast<UINT_PTR>(ids::targetList), static_cast<UINT>(NM_DBLCLK)};
    click.iItem = row;
    SendMessageA(main(), WM_NOTIFY, ids::targetList, reinterpret_cast<LPARAM>(&click));
  }
};

TEST_F(TargetListTest, RowsShowTheirOwnIconOrTheirKindsAndImageZeroIsNeverARows) {
  const std::string program = testutil::IconProgram(0xFF0000);
  Sample("C:\\s\\a.exe", program);
  Sample("C:\\s\\plain.exe", program);
  Sample("C:\\s\\data.bin", "\x01\x02");
  Sample("C:\\s\\README", "text");
  app.helpers.faults["C:\\s\\plain.exe"] = fakes::FakeIconHelpers::Fault::NoIcon;
  app.storeTargets({"C:\\s\\a.exe", "C:\\s\\plain.exe", "C:\\s\\data.bin", "C:\\s\\README"});
  Start();
  ASSERT_TRUE(PumpUntil([&] { return ImageOfRow(0) != ImageOfRow(1) && ImageOfRow(1) != 0 && ImageOfRow(2) != 0; }));
  // Its own icon, its kind's (the shell's icon of ".exe", of ".bin"), and the default one.
  const int own = ImageOfRow(0), exe = ImageOfRow(1), bin = ImageOfRow(2);
  EXPECT_TRUE(own != exe && exe != bin && own != bin);
  EXPECT_EQ(ImageOfRow(3), 0);
  // Image 0 is the default icon's, whatever the first frame asked for before it came.
  EXPECT_NE(MiddleOfImage(0), MiddleOfImage(own));
  // A file without an extension has no type's icon to ask for.
  Strings asked = app.helpers.Requests();
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, (Strings{".bin", ".exe", "C:\\s\\a.exe", "C:\\s\\plain.exe"}));
}

TEST_F(TargetListTest, ADoubleClickAsksBeforeAProgramRunsAndNoIsTheDefault) {
  Sample("C:\\s\\a.exe", testutil::IconProgram(0xFF0000));
  Sample("C:\\s\\b.txt", "text");
  app.storeTargets({"C:\\s\\a.exe", "C:\\s\\b.txt"});
  Start();
  DoubleClick(0);  // answered by the default button
  ASSERT_EQ(app.box.asked.size(), 1u);
  EXPECT_EQ(app.box.asked[0].text, "This target is a program (PE32 executable). Opening it runs it. Run it?");
  EXPECT_EQ(app.box.asked[0].caption, text::kCaptionConfirm);
  EXPECT_EQ(app.box.asked[0].buttons, MbButtons::YesNoDefaultNo);
  app.box.answers = {MbAnswer::No};
  DoubleClick(0);
  DoubleClick(1);
  app.box.answers = {MbAnswer::Yes};
  DoubleClick(0);
  EXPECT_EQ(app.box.asked.size(), 3u);
  // With the option cleared a program opens as any file does.
  app.setIni("Options", "AskRunTarget", "0");
  DoubleClick(0);
  EXPECT_EQ(app.box.asked.size(), 3u);
  EXPECT_EQ(app.processes.calls, (Strings{"shell [] C:\\s\\b.txt [] in C:\\s\\ @5", "shell [] C:\\s\\a.exe [] in C:\\s\\ @5",
                                          "shell [] C:\\s\\a.exe [] in C:\\s\\ @5"}));
}

TEST_F(TargetListTest, AShortcutSampleIsReadForThePathItHoldsAndNothingElse) {
  const std::string link = "C:\\s\\evil.lnk";
  app.file(link);
  app.links.links[link] = {"\\\\kest-nowhere\\share\\payload.exe", "", ""};
  Sample(link, std::string("\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20));
  Start();
  SendMessageA(main(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({link})), 0);
  ASSERT_EQ(Names(), Strings{"payload.exe"});
  ASSERT_TRUE(PumpUntil([&] { return !app.helpers.Requests().empty() && ImageOfRow(0) != 0; }));
  // One read of the link, and nothing asked of the network path it holds: the row is known by
  // its name, the shell's icon of its type.
  EXPECT_EQ(app.links.reads, 1);
  for (const std::string& asked : app.fs.existsCalls) EXPECT_NE(asked.rfind("\\\\", 0), 0u) << asked;
  EXPECT_EQ(app.files.headReads, 0);
  EXPECT_EQ(app.helpers.Requests(), Strings{".exe"});
  EXPECT_TRUE(app.processes.calls.empty());
}

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
