#pragma once
// Many failures of one command told in one message: a tree of fifty locked files is one box to
// read, not fifty to click away, and the names shown are enough to find the rest.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"
#include "platform/types.h"

namespace kest {

// How many names such a message shows; the rest are counted.
inline constexpr std::size_t kFailuresNamed = 5;

// "1 item", "50 items".
std::string CountText(std::size_t n, std::string_view one, std::string_view many);

// The first line, then the first kFailuresNamed names one a line, then "and N more" for the rest.
std::string FailureListText(const std::string& firstLine, const std::vector<std::string>& names);

// What one failed creation says.
std::string FolderNotCreatedText(const std::string& folder);      // "Could not create the folder <folder>!"
std::string ShortcutNotCreatedText(const std::string& shortcut);  // "Could not create the shortcut <shortcut>!"

// Shows FailureListText in one box (OK button); nothing when there are no names.
void ReportFailures(MsgBox& box, WindowHandle owner, const std::string& firstLine,
                    const std::vector<std::string>& names, const std::string& caption, MbIcon icon);

}  // namespace kest
