#include "settings/shell_extension.h"

namespace kest {

bool RegisterShellCommands(Registry& registry, const std::string& exePath) {
  const std::string value = ShellCommandValue(exePath);
  return registry.createClassesKey(kExeCommandKey) && registry.createClassesKey(kDirCommandKey) &&
         registry.setClassesKeyDefault(kExeCommandKey, value) && registry.setClassesKeyDefault(kDirCommandKey, value);
}

bool RemoveShellCommands(Registry& registry) {
  if (!registry.createClassesKey(kExeVerbKey) || !registry.createClassesKey(kDirVerbKey)) return false;
  registry.deleteClassesKeyTree(kExeVerbKey);
  registry.deleteClassesKeyTree(kDirVerbKey);
  return true;
}

bool ChangeShellCommands(Registry& registry, MsgBox& box, WindowHandle owner, const std::string& exePath, bool on) {
  bool ok = on ? RegisterShellCommands(registry, exePath) : RemoveShellCommands(registry);
  if (!ok) box.ask(owner, kRegistryErrorText, "Kest Error", MbButtons::Ok, MbIcon::Error);
  return ok;
}

}  // namespace kest
