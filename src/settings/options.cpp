#include "settings/options.h"

#include "core/texts.h"

namespace kest {

const std::array<OptionBox, kOptionCount>& OptionBoxes() {
  static const std::array<OptionBox, kOptionCount> boxes{{
      {Option::MinToolsRun, "cbMinToolsRun", "Minimize, when you execute tool",
       "If checked Kest will hide, when tools run", opt::MinToolsRun},
      {Option::FixDrive, "cbFixDrive", "Confirm, when need change drive",
       "Confirm if drive changed or tools was not found. If not checked Kest will find tools automaticly",
       opt::CheckDrive},
      {Option::ShEx, "cbShEx", "Shell extentions", "If checked then Kest will be added to the shell extensions menu",
       opt::ShEx},
      {Option::StayOnTop, "cbStayOnTop", "Always on top", "Stay on top", opt::StOnTop},
      {Option::OneCopy, "cbOneCopy", "Run no more one copy", "If checked then you may run just one copy of programm.",
       opt::NoMoreOneCopy},
      {Option::AskRun, "cbAskRun", "Ask, before a double click runs a program",
       "If checked Kest will ask before a double click runs a target that is a program", opt::AskRunTarget},
  }};
  return boxes;
}

const OptionBox& BoxOf(Option option) { return OptionBoxes()[static_cast<int>(option)]; }

void OptionsModel::Set(Option option, bool checked) {
  if (checked_[static_cast<int>(option)] == checked) return;
  checked_[static_cast<int>(option)] = checked;
  if (effects_.showBox) effects_.showBox(option, checked);
  Changed(option, checked);
}

void OptionsModel::Changed(Option option, bool checked) {
  SettingsFile& s = state_.settings();
  switch (option) {
    case Option::MinToolsRun:
    case Option::OneCopy:
    case Option::AskRun:
      s.write(BoxOf(option).key, checked);
      break;
    case Option::FixDrive:
      s.write(opt::CheckDrive, checked);
      state_.workDrive.confirm = checked;
      break;
    case Option::ShEx:
      // The registry first; the key is written last, with the box as the registry work left it.
      if (effects_.shellExtensions && !effects_.shellExtensions(checked)) {
        checked_[static_cast<int>(Option::ShEx)] = !checked;
        if (effects_.showBox) effects_.showBox(Option::ShEx, !checked);
      }
      s.write(opt::ShEx, checked_[static_cast<int>(Option::ShEx)]);
      break;
    case Option::StayOnTop:
      s.write(opt::StOnTop, checked);
      state_.stayOnTop = checked;
      if (effects_.windowTopmost) effects_.windowTopmost(checked);
      break;
  }
}

void OptionsModel::Open(Registry& registry, MsgBox& box, WindowHandle owner) {
  if (registry.isUserAdmin()) {
    if (registry.classesKeyExists(kExeCommandKey)) Set(Option::ShEx, true);
  } else {
    box.ask(owner, kNotAdminText, text::kCaption, MbButtons::Ok, MbIcon::Information);
  }
  SettingsFile& s = state_.settings();
  Set(Option::FixDrive, s.read(opt::CheckDrive));
  Set(Option::MinToolsRun, s.read(opt::MinToolsRun));
  Set(Option::ShEx, s.read(opt::ShEx));
  Set(Option::StayOnTop, s.read(opt::StOnTop));
  Set(Option::OneCopy, s.read(opt::NoMoreOneCopy));
  Set(Option::AskRun, s.read(opt::AskRunTarget));
}

}  // namespace kest
