#include "settings/options.h"
#include "settings/shell_extension.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kest {
namespace {

constexpr const char* kIni = R"(D:\kest\Tools.ini)";

struct OptionsTest : ::testing::Test {
  fakes::FakeSettingsStore store;
  fakes::FakeRegistry registry;
  fakes::FakeMessageBox box;
  AppState state{store, R"(D:\kest\)"};
  std::vector<std::string> effects;
  bool registryWorks = true;
  OptionsModel model{state, OptionEffects{
                                [&](bool on) { effects.push_back(std::string("topmost ") + (on ? "on" : "off")); },
                                [&](bool on) {
                                  effects.push_back(std::string("shell ") + (on ? "on" : "off"));
                                  return registryWorks;
                                },
                                [&](Option o, bool on) {
                                  effects.push_back(std::string(BoxOf(o).name) + (on ? " shown on" : " shown off"));
                                }}};
  std::string checkedBoxes() {
    std::string s;
    for (const OptionBox& b : OptionBoxes())
      if (model.checked(b.option)) s += std::string(b.name) + " ";
    return s;
  }
};

TEST_F(OptionsTest, AnEmptyFileOpensWithTheTrueDefaultsWrittenBack) {
  model.Open(registry, box, nullptr);
  EXPECT_EQ(checkedBoxes(), "cbFixDrive cbOneCopy cbAskRun ");
  EXPECT_EQ(store.writes, (std::vector<std::string>{"CheckDrive=1", "NoMoreOneCopy=1", "AskRunTarget=1"}));
  EXPECT_TRUE(box.asked.empty());
  EXPECT_TRUE(state.workDrive.confirm);
}

TEST_F(OptionsTest, NotAnAdministratorIsToldFirstEveryTime) {
  registry.admin = false;
  registry.keys[fakes::Lower(kExeCommandKey)] = "x";  // not even looked at
  model.Open(registry, box, nullptr);
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, kNotAdminText);
  EXPECT_EQ(box.asked[0].caption, "Kest");
  EXPECT_FALSE(model.checked(Option::ShEx));
}

TEST_F(OptionsTest, TheRegistryWinsOverTheFileAndHandlersRunAsAClickWould) {
  registry.keys[fakes::Lower(kExeCommandKey)] = "cmd";
  store.set(kIni, "Options", "StOnTop", "1");
  store.set(kIni, "Options", "CheckDrive", "0");
  store.set(kIni, "Options", "AskRunTarget", "0");
  model.Open(registry, box, nullptr);
  // The command present: registered again, "ShEx" written after the registry work.
  EXPECT_EQ(effects, (std::vector<std::string>{"cbShEx shown on", "shell on", "cbStayOnTop shown on", "topmost on",
                                               "cbOneCopy shown on"}));
  // "StOnTop" already holds 1: the file is not written for it again.
  EXPECT_EQ(store.writes, (std::vector<std::string>{"ShEx=1", "NoMoreOneCopy=1"}));
  EXPECT_FALSE(model.checked(Option::AskRun));
  EXPECT_EQ(*store.find(kIni, "Options", "StOnTop"), "1");
  EXPECT_TRUE(state.stayOnTop);
  EXPECT_FALSE(model.checked(Option::FixDrive)) << "read as stored: the box stays unchecked, nothing written";
  // Unchecking by a click clears the flag at once.
  model.Set(Option::StayOnTop, false);
  EXPECT_FALSE(state.stayOnTop);
  EXPECT_EQ(effects.back(), "topmost off");
}

TEST_F(OptionsTest, FailedRegistryWorkPutsTheBoxBackWithoutRunningItAgain) {
  registryWorks = false;
  model.Set(Option::ShEx, true);
  EXPECT_FALSE(model.checked(Option::ShEx));
  EXPECT_EQ(effects, (std::vector<std::string>{"cbShEx shown on", "shell on", "cbShEx shown off"}));
  EXPECT_EQ(store.writes, (std::vector<std::string>{"ShEx=0"}));
}

TEST(ShellCommands, RegisteredWithTheExactValueAndRemovedWithTheirCommandKeys) {
  fakes::FakeRegistry registry;
  fakes::FakeMessageBox box;
  const std::string exe = R"(C:\Program Files\K\Kest.exe)";
  EXPECT_EQ(ShellCommandValue(exe), "\"C:\\Program Files\\K\\Kest.exe\"%1\"");
  ASSERT_TRUE(ChangeShellCommands(registry, box, nullptr, exe, true));
  EXPECT_EQ(registry.keys[fakes::Lower(kExeCommandKey)], ShellCommandValue(exe));
  EXPECT_EQ(registry.keys[fakes::Lower(kDirCommandKey)], ShellCommandValue(exe));
  ASSERT_TRUE(ChangeShellCommands(registry, box, nullptr, exe, false));
  EXPECT_TRUE(registry.keys.empty());
  // Removing when nothing is there makes the keys first and takes them away, silently.
  ASSERT_TRUE(ChangeShellCommands(registry, box, nullptr, exe, false));
  EXPECT_TRUE(registry.keys.empty());
  EXPECT_TRUE(box.asked.empty());
}

TEST(ShellCommands, AFailureIsReportedOnceAndTheBoxGoesBack) {
  fakes::FakeSettingsStore store;
  fakes::FakeRegistry registry;
  fakes::FakeMessageBox box;
  AppState state{store, R"(D:\kest\)"};
  registry.refuse = kDirCommandKey;  // an ordinary user's rights, say
  OptionsModel model{state, OptionEffects{nullptr, [&](bool on) {
                                            return ChangeShellCommands(registry, box, nullptr, "C:\\k.exe", on);
                                          },
                                          nullptr}};
  model.Set(Option::ShEx, true);
  EXPECT_FALSE(model.checked(Option::ShEx));
  ASSERT_EQ(box.asked.size(), 1u);
  EXPECT_EQ(box.asked[0].text, "Someone error with registry!");
  EXPECT_EQ(box.asked[0].caption, "Kest Error");
  EXPECT_EQ(store.writes, (std::vector<std::string>{"ShEx=0"}));
  EXPECT_FALSE(registry.classesKeyExists(kExeCommandKey) && !registry.keys[fakes::Lower(kExeCommandKey)].empty())
      << "no value is written once a key failed";
}

}  // namespace
}  // namespace kest
