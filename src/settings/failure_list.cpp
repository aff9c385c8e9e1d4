#include "settings/failure_list.h"

namespace kest {

std::string CountText(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string FailureListText(const std::string& firstLine, const std::vector<std::string>& names) {
  std::string text = firstLine;
  for (std::size_t i = 0; i < names.size() && i < kFailuresNamed; ++i) text += "\n" + names[i];
  if (names.size() > kFailuresNamed) text += "\nand " + std::to_string(names.size() - kFailuresNamed) + " more";
  return text;
}

std::string FolderNotCreatedText(const std::string& folder) { return "Could not create the folder " + folder + "!"; }

std::string ShortcutNotCreatedText(const std::string& shortcut) {
  return "Could not create the shortcut " + shortcut + "!";
}

void ReportFailures(MsgBox& box, WindowHandle owner, const std::string& firstLine,
                    const std::vector<std::string>& names, const std::string& caption, MbIcon icon) {
  if (!names.empty()) box.ask(owner, FailureListText(firstLine, names), caption, MbButtons::Ok, icon);
}

}  // namespace kest
