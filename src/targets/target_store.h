#pragma once
// [Targets] of Tools.ini: "Count" and the full paths under "0", "1", ...
#include <functional>
#include <string>
#include <vector>

#include "core/settings_file.h"
#include "platform/message_box.h"
#include "platform/types.h"
#include "targets/target_list.h"

namespace kest {

inline constexpr const char* kIniErrorText = "Someone error with ini file!";
inline constexpr const char* kErrorLink = "Error link";

// The paths [Targets] holds, in the order a load takes them: the stored positions below
// "Count" in ascending order, a missing position before one of them as "Error link" while the
// section's allowance of such entries lasts.
std::vector<std::string> StoredTargets(SettingsFile& settings);

// Clears the list, then adds every stored path in order through addTarget. A failure is
// reported; what was added so far stays.
void LoadTargets(SettingsFile& settings, TargetList& list,
                 const std::function<void(const std::string&)>& addTarget, MsgBox& box,
                 WindowHandle owner);

// What [Targets] holds, or is to hold, for each entry of the list.
std::vector<std::string> StoredTexts(const TargetList& list);

// The list to store when another copy of Kest may have written the section meanwhile: stored
// as the section holds it now, with what this copy changed since its list was before (loaded
// or last saved) and is now: each entry taken out since is taken out of stored (the same
// occurrence of a repeated path, where it is still there), each entry added since is appended.
// When nobody else wrote, the result is now.
std::vector<std::string> MergeTargets(const std::vector<std::string>& stored, const std::vector<std::string>& before,
                                      const std::vector<std::string>& now);

// Applies this copy's changes since saved (the stored texts of its list at the last load or
// save) to the section as it is on the disk, in one write: the positions anew from "0", then
// "Count", every other key of the section as it was; an entry without a file name keeps its
// position but is left out. Nothing is written when the list has not changed since saved. On
// success saved becomes the list's stored texts; a refused write throws KestError.
void WriteTargets(SettingsFile& settings, const TargetList& list, std::vector<std::string>& saved);

// WriteTargets, with a failure reported; false when it failed.
bool SaveTargets(SettingsFile& settings, const TargetList& list, std::vector<std::string>& saved, MsgBox& box,
                 WindowHandle owner);

}  // namespace kest
