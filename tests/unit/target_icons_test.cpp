// The target list's icons: a file's kind as Kest reads it, the helper's protocol, and the client
// that asks helpers which crash, hang, answer late or out of turn.
#include "targets/target_icons.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/pe_files.h"
#include "fakes/fake_helper.h"
#include "fakes/fake_platform.h"
#include "targets/icon_protocol.h"
#include "targets/target_kind.h"

using namespace kest;
using testutil::IconFlaw;

namespace {

struct Kind {
  std::string type;
  std::optional<std::string> program;
  bool carriesIcon;
  bool operator==(const Kind&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Kind& k) {
  return o << "{" << k.type << ", " << k.program.value_or("(opens)") << ", " << k.carriesIcon << "}";
}
Kind KindOf(const std::string& bytes, const std::string& name) {
  const FileFacts facts = ReadFileFacts(bytes, bytes.size(), name);
  return Kind{KindIconType(facts, name), ProgramKind(facts, name), MayCarryIcon(facts, bytes)};
}

TEST(TargetKindTest, TheHeaderDecidesFirstThenTheExtension) {
  const std::string program = testutil::IconProgram(0xFF0000), plus = testutil::IconProgram(0xFF0000, IconFlaw::None, true);
  std::string dll = program;
  dll[0x44 + 18] = 0x02;
  dll[0x44 + 19] = 0x21;  // IMAGE_FILE_DLL
  EXPECT_EQ(KindOf(program, "a.exe"), (Kind{".exe", "PE32 executable", true}));
  EXPECT_EQ(KindOf(plus, "a.exe"), (Kind{".exe", "PE32+ executable", true}));
  EXPECT_EQ(KindOf(dll, "a.dll"), (Kind{".dll", "PE32 DLL", true}));
  // A program named as a document is what it is; a document named as a program would be run.
  EXPECT_EQ(KindOf(program, "invoice.pdf"), (Kind{".exe", "PE32 executable", true}));
  EXPECT_EQ(KindOf("%PDF-1.7", "invoice.exe"), (Kind{".exe", "program", false}));
  EXPECT_EQ(KindOf("MZ", "stub.txt"), (Kind{".exe", "MS-DOS executable", true}));
  EXPECT_EQ(KindOf("echo", "run.BAT"), (Kind{".bat", "Batch script", false}));
  EXPECT_EQ(KindOf("x", "screen.scr"), (Kind{".scr", "screen saver", false}));
  EXPECT_EQ(KindOf("[InternetShortcut]", "site.url"), (Kind{".url", "internet shortcut", false}));
  // Windows drops trailing dots and blanks: the program still runs.
  EXPECT_EQ(KindOf("x", "a.exe. .").program, "program");
  EXPECT_EQ(KindOf(std::string("\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20), "x.dat"),
            (Kind{".lnk", "Shortcut (LNK)", false}));
  // Archives by their magic, unless a document keeps its own name.
  EXPECT_EQ(KindOf("PK\x03\x04", "photos.jpg"), (Kind{".zip", std::nullopt, false}));
  EXPECT_EQ(KindOf("PK\x03\x04", "letter.docx"), (Kind{".docx", std::nullopt, false}));
  EXPECT_EQ(KindOf("text", "notes.TXT"), (Kind{".txt", std::nullopt, false}));
  EXPECT_EQ(KindOf(testutil::IconFile(0xFF), "a.ico"), (Kind{".ico", std::nullopt, true}));
  // No extension, or none that could name a type: the default icon.
  EXPECT_EQ(KindOf("x", "README"), (Kind{"", std::nullopt, false}));
  EXPECT_EQ(KindOf("x", "a.t\\x"), (Kind{"", std::nullopt, false}));
  EXPECT_EQ(KindOf("x", "a.much-too-long-for-a-type"), (Kind{"", std::nullopt, false}));
}

TEST(TargetKindTest, OnlyFilesOnLocalDrivesAreReadAsTheirRowsAreDrawn) {
  auto remote = [](char letter) { return letter == 'N'; };
  for (const char* read : {"C:\\s\\a.exe", "c:/s/a.exe", "\\\\?\\C:\\s\\a.exe"}) EXPECT_TRUE(ReadWhenDrawn(read, remote)) << read;
  for (const char* byName : {"N:\\s\\a.exe", "\\\\server\\share\\a.exe", "\\\\?\\UNC\\server\\s\\a.exe",
                             "\\\\.\\COM1", "//server/s/a.exe", "a.exe", "\\s\\a.exe", "C:a.exe", "Error link", ""})
    EXPECT_FALSE(ReadWhenDrawn(byName, remote)) << byName;
}

TEST(IconProtocolTest, RequestsAndAnswersAndTheSwitch) {
  const std::string request = EncodeRequest(IconRequest{IconOf::File, 24, "C:\\s\\a.exe"});
  auto header = DecodeRequestHeader(std::string_view(request).substr(0, kRequestHeaderBytes));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->of, IconOf::File);
  EXPECT_EQ(header->side, 24);
  EXPECT_EQ(request.substr(kRequestHeaderBytes, header->nameBytes), "C:\\s\\a.exe");
  EXPECT_FALSE(DecodeRequestHeader(EncodeRequest(IconRequest{IconOf::Type, 300, ".txt"}).substr(0, kRequestHeaderBytes)));

  const IconPixels icon = fakes::FakeIconHelpers::IconOf("a", 16);
  const std::string answer = EncodeAnswer(16, icon);
  ASSERT_EQ(answer.size(), kAnswerHeaderBytes + IconBodyBytes(16));
  auto got = DecodeAnswerHeader(answer.substr(0, kAnswerHeaderBytes), 16);
  ASSERT_TRUE(got && got->icon);
  IconPixels back = IconFromBody(answer.substr(kAnswerHeaderBytes), 16);
  EXPECT_EQ(back.colour, icon.colour);
  EXPECT_EQ(back.mask, icon.mask);
  // An answer for another side, a hello or bytes that are none are no answer; an icon of the
  // wrong size goes as none.
  EXPECT_FALSE(DecodeAnswerHeader(answer.substr(0, kAnswerHeaderBytes), 24));
  EXPECT_FALSE(DecodeAnswerHeader(HelperHello(), 16));
  EXPECT_FALSE(DecodeAnswerHeader("KA\x07\0\x10\0", 16));
  EXPECT_EQ(EncodeAnswer(24, icon).size(), kAnswerHeaderBytes);

  EXPECT_TRUE(IsIconHelperStart("\"C:\\k\\Kest.exe\" \"|icons|\""));
  EXPECT_FALSE(IsIconHelperStart("\"C:\\k\\Kest.exe\" C:\\s\\|icons|\""));
  EXPECT_FALSE(IsIconHelperStart("\"C:\\k\\Kest.exe\" C:\\s\\icons\""));
  EXPECT_FALSE(IsIconHelperStart("\"C:\\k\\Kest.exe\" "));
}

// ---- The client ---------------------------------------------------------------------------

class TargetIconsTest : public ::testing::Test {
 protected:
  using Answer = TargetIcons::Answer;
  void File(const std::string& path, const std::string& bytes) { files.set(path, bytes, FileStamp{bytes.size(), 1}); }
  std::unique_ptr<TargetIcons> Make(unsigned answerMs = 300) {
    TargetIcons::Limits limits;
    limits.startMs = 150;
    limits.answerMs = answerMs;
    limits.lossesInARow = 3;
    return std::make_unique<TargetIcons>(files, helpers.Starter(), nullptr, limits);
  }
  // Every answer until count have come (within five seconds).
  std::vector<Answer> Until(TargetIcons& icons, std::size_t count) {
    std::vector<Answer> all;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (all.size() < count && std::chrono::steady_clock::now() < until) {
      for (Answer& a : icons.Take()) all.push_back(std::move(a));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return all;
  }
  // The file answer for the path: its icon's first pixel, 0 without an icon, -1 without an answer.
  static long long OwnIcon(const std::vector<Answer>& answers, const std::string& path) {
    for (const Answer& a : answers)
      if (a.of == Answer::Of::File && a.key == path) return a.icon ? static_cast<long long>(a.icon->colour[0]) : 0;
    return -1;
  }
  static long long Expected(const std::string& name) { return fakes::FakeIconHelpers::IconOf(name, 16).colour[0]; }

  fakes::FakeFileContents files;
  fakes::FakeIconHelpers helpers;
};

TEST_F(TargetIconsTest, KindsComeFirstThenTheirIconsThenTheFilesOwn) {
  File("C:\\s\\a.exe", testutil::IconProgram(0xFF0000));
  File("C:\\s\\b.txt", "text");
  File("C:\\s\\c.bin", "\x01\x02");
  auto icons = Make();
  for (const char* f : {"C:\\s\\a.exe", "C:\\s\\b.txt", "C:\\s\\c.bin", "C:\\s\\gone.exe"}) icons->Ask(f, 16);
  icons->Ask("C:\\s\\a.exe", 16);  // asked once per file and side
  std::vector<Answer> answers = Until(*icons, 8);
  ASSERT_EQ(answers.size(), 8u);
  std::vector<std::string> order;
  for (const Answer& a : answers)
    order.push_back((a.of == Answer::Of::Kind ? "kind " + a.type + " " : a.of == Answer::Of::Type ? "type " : "own ") + a.key);
  // The file's own icon comes after every kind and every kind's icon. A file that cannot be read
  // is known by its name alone.
  EXPECT_EQ(order.back(), "own C:\\s\\a.exe");
  std::sort(order.begin(), order.end() - 1);
  EXPECT_EQ(order, (std::vector<std::string>{"kind .bin C:\\s\\c.bin", "kind .exe C:\\s\\a.exe",
                                             "kind .exe C:\\s\\gone.exe", "kind .txt C:\\s\\b.txt", "type .bin",
                                             "type .exe", "type .txt", "own C:\\s\\a.exe"}));
  EXPECT_EQ(OwnIcon(answers, "C:\\s\\a.exe"), Expected("C:\\s\\a.exe"));
  // Only files that may hold an icon are handed to the helper, one helper for all.
  EXPECT_EQ(helpers.Requests(), (std::vector<std::string>{".exe", ".txt", ".bin", "C:\\s\\a.exe"}));
  EXPECT_EQ(helpers.starts, 1);
  EXPECT_EQ(icons->FactsOf("C:\\s\\a.exe")->kind, FileKind::PeExecutable);
}

TEST_F(TargetIconsTest, AHelperThatCrashesHangsAnswersLateOrOutOfTurnCostsOnlyThatIcon) {
  const std::string program = testutil::IconProgram(0xFF0000);
  std::vector<std::string> paths;
  for (const char* name : {"crash", "fine1", "hang", "fine2", "late", "fine3", "garbage", "fine4"}) {
    paths.push_back(std::string("C:\\s\\") + name + ".dll");
    File(paths.back(), program);
  }
  helpers.faults = {{paths[0], fakes::FakeIconHelpers::Fault::Crash},
                    {paths[2], fakes::FakeIconHelpers::Fault::Hang},
                    {paths[4], fakes::FakeIconHelpers::Fault::Late},
                    {paths[6], fakes::FakeIconHelpers::Fault::Garbage}};
  helpers.lateMs = 500;
  auto icons = Make(150);
  const auto began = std::chrono::steady_clock::now();
  for (const std::string& p : paths) icons->Ask(p, 16);
  std::vector<Answer> answers = Until(*icons, 2 * paths.size() + 1);
  for (std::size_t i = 0; i < paths.size(); i += 2) {
    EXPECT_EQ(OwnIcon(answers, paths[i]), 0) << paths[i];
    // The next file's answer is its own, from a new helper: never what the last one said late.
    EXPECT_EQ(OwnIcon(answers, paths[i + 1]), Expected(paths[i + 1])) << paths[i + 1];
  }
  EXPECT_EQ(helpers.starts, 5);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(3));
  // A file that cost a helper is not asked about again, at any side.
  icons->Ask(paths[0], 24);
  icons->Ask(paths[1], 24);
  answers = Until(*icons, 5);
  EXPECT_EQ(OwnIcon(answers, paths[0]), 0);
  std::vector<std::string> asked = helpers.Requests();
  EXPECT_EQ(std::count(asked.begin(), asked.end(), paths[0]), 1);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), paths[1]), 2);
}

TEST_F(TargetIconsTest, HelpersThatCannotStartAreGivenUpAndTheEndWaitsForNoHang) {
  File("C:\\s\\a.exe", testutil::IconProgram(0xFF0000));
  File("C:\\s\\b.exe", testutil::IconProgram(0xFF0000));
  helpers.mute = true;
  auto icons = Make();
  icons->Ask("C:\\s\\a.exe", 16);
  icons->Ask("C:\\s\\b.exe", 16);
  // Kinds, then the type and both files without icons: three helpers that never said they were
  // ready, and then no more.
  std::vector<Answer> answers = Until(*icons, 5);
  EXPECT_EQ(answers.size(), 5u);
  EXPECT_EQ(helpers.starts, 3);
  EXPECT_EQ(OwnIcon(answers, "C:\\s\\b.exe"), 0);

  // The end of the work does not wait for a helper's time limit.
  helpers.mute = false;
  helpers.faults = {{"C:\\s\\c.exe", fakes::FakeIconHelpers::Fault::Hang}};
  File("C:\\s\\c.exe", testutil::IconProgram(0xFF0000));
  auto hanging = Make(60000);
  hanging->Ask("C:\\s\\c.exe", 16);
  Until(*hanging, 2);
  const auto asked = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (helpers.Requests().back() != "C:\\s\\c.exe" && std::chrono::steady_clock::now() < asked)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  const auto ending = std::chrono::steady_clock::now();
  hanging.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - ending, std::chrono::seconds(1));
}

}  // namespace
