#include "targets/target_store.h"

#include <exception>

#include "app/texts.h"

namespace kest {

namespace {
void ReportIniError(MsgBox& box, WindowHandle owner) {
  box.ask(owner, kIniErrorText, text::kCaptionError, MbButtons::Ok, MbIcon::Error);
}
}  // namespace

void LoadTargets(SettingsFile& settings, TargetList& list,
                 const std::function<void(const std::string&)>& addTarget, MsgBox& box,
                 WindowHandle owner) {
  try {
    list.clear();
    int count = settings.readInteger(kTargetsSection, "Count", 0);
    for (int i = 0; i < count; ++i)
      addTarget(settings.readString(kTargetsSection, std::to_string(i), kErrorLink));
  } catch (const std::exception&) {
    ReportIniError(box, owner);
  }
}

void SaveTargets(SettingsFile& settings, const TargetList& list, MsgBox& box, WindowHandle owner) {
  try {
    int oldCount = settings.readInteger(kTargetsSection, "Count", 0);
    for (int i = 0; i <= oldCount; ++i) settings.deleteKey(kTargetsSection, std::to_string(i));
    for (std::size_t i = 0; i < list.size(); ++i) {
      const Target& t = list.at(i);
      // An entry without a file name is left out; the positions after it stay.
      if (!t.fileName.empty()) settings.writeString(kTargetsSection, std::to_string(i), t.fullPath());
    }
    settings.writeInteger(kTargetsSection, "Count", static_cast<int>(list.size()));
  } catch (const std::exception&) {
    ReportIniError(box, owner);
  }
}

}  // namespace kest
