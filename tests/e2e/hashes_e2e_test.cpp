// What Kest tells of a target without a click: the row's tooltip with the path and the file's
// facts, and "Copy hashes" in the target list's pop-up menu, whose hashes go to the clipboard (a
// file that cannot be read is reported with the system's text).
#include <cwchar>

#include "e2e/kest_driver.h"
#include "core/window_ids.h"

namespace kest::e2etest {
namespace {

// The text of the target list's tooltip in Kest's process (its one tool, id 1, on the list),
// read through a buffer in that process; empty when there is none.
std::string ListTipText(const Kest& k) {
  HWND list = k.targetList();
  constexpr std::size_t kChars = 4096;
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, k.process.pid());
  if (!process) return std::string();
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  std::string found;
  for (HWND tip : e2e::TopWindows("tooltips_class32", k.process.pid())) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = list;
    tool.uId = 1;
    tool.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof(tool));
    std::wstring text(kChars, L'\0');
    WriteProcessMemory(process, remote, &tool, sizeof(tool), nullptr);
    WriteProcessMemory(process, remote + sizeof(tool), text.data(), kChars * sizeof(wchar_t), nullptr);
    SendMessageW(tip, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote + sizeof(tool), text.data(), kChars * sizeof(wchar_t), nullptr);
    text.resize(std::wcslen(text.c_str()));
    if (!text.empty()) {
      found.resize(static_cast<std::size_t>(
          WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr)));
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), found.data(),
                          static_cast<int>(found.size()), nullptr, nullptr);
    }
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return found;
}

// The mouse over a row of the list, as the list hears it.
void PointAtRow(const Kest& k, int row) {
  RECT r = e2e::ListViewItemRect(k.targetList(), row, LVIR_LABEL);
  PostMessageA(k.targetList(), WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2));
}

// The number with "," between thousands, as the system formats it.
std::string WithThousands(unsigned n) {
  char decimal[] = ".", thousand[] = ",";
  NUMBERFMTA format{0, 0, 3, decimal, thousand, 1};
  char out[64] = {};
  GetNumberFormatA(LOCALE_INVARIANT, 0, std::to_string(n).c_str(), &format, out, sizeof out);
  return out;
}

TEST_F(KestTest, ARowsTooltipGivesItsPathAndTheFilesFacts) {
  e2e::AppDir app("target-facts");
  // A real program of this build's machine, and a file that is gone.
  const std::string program = app.file("work\\probe copy.exe");
  e2e::MakeDirs(app.file("work"));
  ASSERT_TRUE(CopyFileA((e2e::ExeDir() + "kest_probe.exe").c_str(), program.c_str(), FALSE));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(program.c_str(), GetFileExInfoStandard, &data));
  const std::string gone = app.file("work\\gone.exe");
  StoreTargets(app, {program, gone});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);

  const std::string facts = std::string(sizeof(void*) == 8 ? "PE32+ executable, x64, " : "PE32 executable, x86, ") +
                            WithThousands(data.nFileSizeLow) + " bytes, built ";
  PointAtRow(k, 0);
  std::string tip;
  EXPECT_TRUE(e2e::WaitUntil([&] { return (tip = ListTipText(k)).find("bytes") != std::string::npos; }, 10000)) << tip;
  EXPECT_EQ(tip.substr(0, program.size() + 2 + facts.size()), program + "\r\n" + facts);

  PointAtRow(k, 1);
  EXPECT_TRUE(e2e::WaitUntil([&] { return (tip = ListTipText(k)).find("Cannot be read: ") != std::string::npos; },
                             10000))
      << tip;
  EXPECT_EQ(tip.substr(0, gone.size() + 2), gone + "\r\n");
  CloseKest(k);
}

// "Copy hashes" over the first entry: past "Add tools..." (the catalog holds no tool) and "Copy
// file path".
void ChooseCopyHashes(const Kest& k) { ChooseFromTargetMenu(k, 0, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}); }

TEST_F(KestTest, CopyHashesPutsTheFilesHashesOnTheClipboard) {
  e2e::AppDir app("copy-hashes");
  // A million bytes: a block of 1 MiB holds them, and MD5, SHA-1 and SHA-256 have known values.
  app.writeFile("work\\million a.bin", std::string(1000000, 'a'));
  StoreTargets(app, {app.file("work\\million a.bin")});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ClearClipboard();
  ChooseCopyHashes(k);
  ASSERT_TRUE(e2e::WaitUntil([] { return ClipboardText().has_value(); }, 15000)) << "nothing was copied";
  EXPECT_EQ(ClipboardText().value_or(""),
            "MD5  7707d6ae4e027c70eea2a935c2296f21  million a.bin\r\n"
            "SHA1  34aa973cd4c4daa4f61eeb2bdbad27316534016f  million a.bin\r\n"
            "SHA256  cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0  million a.bin\r\n");
  // The row is back to its name.
  EXPECT_TRUE(e2e::WaitUntil([&] { return k.targetNames() == std::vector<std::string>{"million a.bin"}; }, 5000));
  CloseKest(k);
}

TEST_F(KestTest, AFileThatCannotBeReadIsReportedWithTheSystemsText) {
  e2e::AppDir app("copy-hashes-held");
  app.writeFile("work\\held.exe", "MZ");
  StoreTargets(app, {app.file("work\\held.exe")});
  // Held without sharing, as a program that writes it would.
  HANDLE held = CreateFileA(app.file("work\\held.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  ClearClipboard();
  ChooseCopyHashes(k);
  auto box = e2e::WaitForMessageBox("Kest error", 15000, k.process.pid());
  CloseHandle(held);
  ASSERT_TRUE(box.has_value()) << "no report";
  const std::string lead = "The hashes of " + app.file("work\\held.exe") +
                           " could not be worked out: the file cannot be read.\r\n";
  EXPECT_EQ(box->text.substr(0, lead.size()), lead);
  char system[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_SHARING_VIOLATION, 0,
                 system, sizeof system, nullptr);
  std::string reason = system;
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  ASSERT_FALSE(reason.empty());
  EXPECT_EQ(box->text.substr(lead.size()), reason);
  e2e::AnswerMessageBox(box->hwnd, IDOK);
  EXPECT_FALSE(ClipboardText().has_value()) << "a failure is no result";
  CloseKest(k);
}

// COM1 of this test's prefix pointed at a pseudo-terminal on which nothing ever comes, and a
// file beside Kest linked to it: a read of either waits for ever. A shell of the machine holds
// the terminal (`script`) and puts COM1 back when the test lets it go, or after two minutes.
class BlockingDevice {
 public:
  explicit BlockingDevice(const e2e::AppDir& app) : app_(app) {
    if (UnixPath(app.path()).empty()) return;
    app.writeFile("pty-helper.sh",
                  "dir=\"$1\"; dev=\"$WINEPREFIX/dosdevices/com1\"\n"
                  "old=$(readlink \"$dev\" 2>/dev/null || true)\n"
                  "mkfifo \"$dir/in\"\n"
                  "script -qfc \"tty > '$dir/tty'; exec sleep 120\" /dev/null < \"$dir/in\" > /dev/null 2>&1 &\n"
                  "pid=$!\n"
                  "exec 3> \"$dir/in\"\n"
                  "i=0; while [ ! -s \"$dir/tty\" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i+1)); done\n"
                  "ln -sfn \"$(cat \"$dir/tty\")\" \"$dev\"\n"
                  "ln -sfn \"$(cat \"$dir/tty\")\" \"$dir/linked.bin\"\n"
                  "touch \"$dir/ready\"\n"
                  "i=0; while [ ! -e \"$dir/done\" ] && [ $i -lt 1200 ]; do sleep 0.1; i=$((i+1)); done\n"
                  "if [ -n \"$old\" ]; then ln -sfn \"$old\" \"$dev\"; else rm -f \"$dev\"; fi\n"
                  "kill \"$pid\" 2>/dev/null\n"
                  // What Windows cannot take away: the pipe would hold its delete, the link its read.
                  "rm -f \"$dir/in\" \"$dir/linked.bin\" \"$dir/ready\"\n");
    std::string dir = app.path();
    dir.pop_back();
    try {
      shell_ = StartUnixShell("sh " + UnixPath(app.file("pty-helper.sh")) + " " + UnixPath(dir));
    } catch (const std::exception&) {
      return;
    }
    ready_ = e2e::WaitUntil([&] { return app.exists("ready"); }, 10000);
  }
  // Wine does not wait on a process of the machine: the shell says it has put everything back
  // by taking "ready" away.
  ~BlockingDevice() {
    if (!ready_) return;
    app_.writeFile("done", "");
    e2e::WaitUntil([&] { return !app_.exists("ready"); }, 5000);
  }
  bool ready() const { return ready_; }

 private:
  const e2e::AppDir& app_;
  e2e::Process shell_;
  bool ready_ = false;
};

TEST_F(KestTest, ADeviceTargetIsNeverReadAndNothingWaitsOnIt) {
  e2e::AppDir app("device-target");
  BlockingDevice device(app);
  ASSERT_TRUE(device.ready()) << "COM1 of the prefix could not be pointed at a terminal";
  const std::string com1 = app.file("dev\\COM1"), linked = app.file("linked.bin");
  e2e::MakeDirs(app.file("dev"));
  app.writeFile("w\\b.exe", "MZ");
  StoreTargets(app, {com1, linked});
  Kest k = StartKest(app, BareCommandLine(app));
  ASSERT_NE(k.main, nullptr);
  // The tooltip says what they are; the reading thread never waits on them.
  for (int row : {0, 1}) {
    PointAtRow(k, row);
    std::string tip;
    EXPECT_TRUE(e2e::WaitUntil([&] { return (tip = ListTipText(k)).find("Not read: it is no file on a disk") != std::string::npos; },
                               10000))
        << tip;
  }
  // Neither is hashed nor copied: the window would wait on the terminal for ever.
  ClearClipboard();
  ChooseFromTargetMenu(k, 1, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  auto box = e2e::WaitForMessageBox("Kest error", 10000, k.process.pid());
  ASSERT_TRUE(box.has_value());
  EXPECT_NE(box->text.find("It is no file on a disk (a device, a pipe or the like)"), std::string::npos) << box->text;
  e2e::AnswerMessageBox(box->hwnd, IDOK);
  k.click(ids::backup);
  box = e2e::WaitForMessageBox("Kest error", 10000, k.process.pid());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, "The target is no file on a disk (a device, a pipe or the like), so it is neither copied nor "
                       "copied over:\r\n" + linked);
  e2e::AnswerMessageBox(box->hwnd, IDOK);
  // A start forwarding a file meanwhile is served at once, and Kest ends when asked.
  EXPECT_EQ(RunRefusedStart(app, ArgumentCommandLine(app, app.file("w\\b.exe"))), 0u);
  EXPECT_EQ(k.targetNames(), (std::vector<std::string>{"COM1", "linked.bin", "b.exe"}));
  e2e::PostKey(k.targetList(), VK_ESCAPE);
  CloseKest(k);
}

}  // namespace
}  // namespace kest::e2etest
