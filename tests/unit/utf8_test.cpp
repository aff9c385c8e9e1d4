#include "platform/utf8.h"

#include <gtest/gtest.h>

#include "core/single_instance.h"
#include "fakes/fake_platform.h"
#include "window_rules/tray_rules.h"

namespace kest {
namespace {

const std::string kSample = "образец 标本 🐞.exe";  // 16 characters; the bug takes two UTF-16 units

TEST(Utf8, CharactersAreCountedAndNeverCut) {
  EXPECT_TRUE(utf8::IsValid(kSample));
  EXPECT_EQ(utf8::Characters(kSample), 16u);
  EXPECT_EQ(utf8::Utf16Units(kSample), 17u);
  // Bytes of another code page count one each, as before.
  EXPECT_FALSE(utf8::IsValid("caf\xE9"));
  EXPECT_EQ(utf8::Characters("caf\xE9"), 4u);
  EXPECT_FALSE(utf8::IsValid("\xC0\xAF"));      // an overlong "/"
  EXPECT_FALSE(utf8::IsValid("\xED\xA0\x80"));  // a lone surrogate
  // A cut lands between characters: the bug does not fit in one unit.
  EXPECT_EQ(utf8::CutToUtf16Units(kSample, 11), "образец 标本 ");
  EXPECT_EQ(utf8::CutToUtf16Units(kSample, 12), "образец 标本 ");
  EXPECT_EQ(utf8::CutToUtf16Units(kSample, 13), "образец 标本 🐞");
  // The tray tip holds 127 units: "Kest - " and 120 of the name's.
  std::string tip = TrayTip("C:\\s\\" + std::string(119, 'a') + "🐞🐞");
  EXPECT_EQ(utf8::Utf16Units(tip), 126u) << "the bug that would make 128 stays out";
  EXPECT_TRUE(utf8::IsValid(tip));
}

TEST(Utf8, LinesOfTheSystemsCodePageAreTakenThroughIt) {
  // Latin-1 stands in for the system's code page.
  auto latin1 = [](std::string_view line) {
    std::string out;
    for (unsigned char c : line) {
      if (c < 0x80) out += static_cast<char>(c);
      else out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return out;
  };
  const std::string file = "[Targets]\r\nCount=2\r\n0=C:\\caf\xE9.exe\r\n1=C:\\образец.exe\r\n2=C:\\x\xE9";
  EXPECT_EQ(utf8::LegacyLinesToUtf8(file, latin1),
            "[Targets]\r\nCount=2\r\n0=C:\\café.exe\r\n1=C:\\образец.exe\r\n2=C:\\xé");
  // A file of ASCII lines stays byte for byte.
  const std::string ascii = "[Options]\r\nDrive=C\r\n";
  EXPECT_EQ(utf8::LegacyLinesToUtf8(ascii, latin1), ascii);
}

TEST(Utf8, TheForwardingLimitCountsCharacters) {
  fakes::FakeAtomTable atoms;
  fakes::FakeWindowSystem windows;
  fakes::FakeForwardNotice notice;
  fakes::FakeMessageBox box;
  fakes::FakeInstanceObjects instances;
  fakes::FakeFileSystem fs;
  atoms.add(kInstanceMarker);
  windows.running = reinterpret_cast<WindowHandle>(0x1234);
  auto start = [&](const std::string& path) {
    return RunStartupDecision(StartServices{atoms, windows, notice, instances, fs, box},
                              "\"C:\\k\\Kest.exe\" " + path + "\"", [] { return true; });
  };
  // 243 characters, 240 of them Cyrillic (483 bytes), still go; one more does not.
  std::string fits = "D:\\";
  for (int i = 0; i < 240; ++i) fits += "ж";
  start(fits);
  EXPECT_EQ(windows.sent.size(), 1u);
  start(fits + "ж");
  EXPECT_EQ(windows.sent.size(), 1u);
  EXPECT_EQ(box.asked.size(), 1u);
}

}  // namespace
}  // namespace kest
