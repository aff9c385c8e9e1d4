#pragma once
// The options page's check boxes: their captions, hints and keys, what each does when its state
// changes (by a click or by the program), and the order in which the settings window sets them
// when it opens.
#include <array>
#include <functional>

#include "state/app_state.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/types.h"

namespace kest {

enum class Option { MinToolsRun = 0, FixDrive, ShEx, StayOnTop, OneCopy, AskRun };
inline constexpr int kOptionCount = 6;

struct OptionBox {
  Option option;
  const char* name;  // the control's name
  const char* caption;
  const char* hint;
  BoolKey key;
};

// In the order they stand on the page.
const std::array<OptionBox, kOptionCount>& OptionBoxes();
const OptionBox& BoxOf(Option option);

inline constexpr const char* kNotAdminText =
    "You are not under admin. Work with some registry keys not accessible!";
// The Explorer command whose presence checks "Shell extentions" when the window opens.
inline constexpr const char* kExeCommandKey = "exefile\\shell\\Load into Kest\\command";
inline constexpr const char* kDirCommandKey = "Directory\\shell\\Kest searcher\\command";

// What the boxes change outside the settings file.
struct OptionEffects {
  // The settings window's own topmost state.
  std::function<void(bool topmost)> windowTopmost;
  // Registers (true) or removes (false) the Explorer commands; false when that failed (it
  // reports the failure itself): the box is then put back without running its handler again.
  std::function<bool(bool on)> shellExtensions;
  // The control shows the box's state.
  std::function<void(Option, bool checked)> showBox;
};

class OptionsModel {
 public:
  OptionsModel(AppState& state, OptionEffects effects) : state_(state), effects_(std::move(effects)) {}

  bool checked(Option option) const { return checked_[static_cast<int>(option)]; }
  // Sets a box; when its state changes, its handler runs exactly as a click would.
  void Set(Option option, bool checked);
  // The window's opening: the administrator test (with the registry's word on "Shell
  // extentions", or the message for a user who is not one), then the boxes from the settings
  // file in the order "CheckDrive", "MinToolsRun", "ShEx", "StOnTop", "NoMoreOneCopy",
  // "AskRunTarget".
  void Open(Registry& registry, MsgBox& box, WindowHandle owner);

 private:
  void Changed(Option option, bool checked);
  AppState& state_;
  OptionEffects effects_;
  std::array<bool, kOptionCount> checked_{};  // all unchecked when the window is made
};

}  // namespace kest
