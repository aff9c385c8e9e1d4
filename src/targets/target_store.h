#pragma once
// [Targets] of Tools.ini: "Count" and the full paths under "0", "1", ...
#include <functional>
#include <string>

#include "core/settings_file.h"
#include "platform/message_box.h"
#include "platform/types.h"
#include "targets/target_list.h"

namespace kest {

inline constexpr const char* kIniErrorText = "Someone error with ini file!";
inline constexpr const char* kErrorLink = "Error link";

// Clears the list, then adds every stored path in order through addTarget. A failure is
// reported; what was added so far stays.
void LoadTargets(SettingsFile& settings, TargetList& list,
                 const std::function<void(const std::string&)>& addTarget, MsgBox& box,
                 WindowHandle owner);

// Deletes the old keys "0" to the old "Count" inclusive, writes every entry that has a file
// name under its position, then "Count". A refused write throws KestError.
void WriteTargets(SettingsFile& settings, const TargetList& list);

// WriteTargets, with a failure reported.
void SaveTargets(SettingsFile& settings, const TargetList& list, MsgBox& box, WindowHandle owner);

}  // namespace kest
