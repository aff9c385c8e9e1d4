#pragma once
// The Explorer commands "Load into Kest" on executables and "Kest searcher" on directories.
#include <string>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/types.h"
#include "settings/options.h"

namespace kest {

inline constexpr const char* kExeVerbKey = "exefile\\shell\\Load into Kest";
inline constexpr const char* kDirVerbKey = "Directory\\shell\\Kest searcher";
inline constexpr const char* kRegistryErrorText = "Someone error with registry!";

// The command both verbs run: the quoted executable, then %1 and a closing quote, with nothing
// between them; the command-line parser relies on exactly this form.
inline std::string ShellCommandValue(const std::string& exePath) { return "\"" + exePath + "\"%1\""; }

// Creates both command keys, then writes the command with the executable's present path to
// each. False at the first failure; what was written before it stays.
bool RegisterShellCommands(Registry& registry, const std::string& exePath);
// Makes sure both verb keys exist, then deletes each with its command key. False only when a
// key could not be created: a failed deletion is not reported.
bool RemoveShellCommands(Registry& registry);

// The registry work of the "Shell extentions" box: false after a failure, which is reported
// to the owner as "Someone error with registry!".
bool ChangeShellCommands(Registry& registry, MsgBox& box, WindowHandle owner, const std::string& exePath, bool on);

}  // namespace kest
