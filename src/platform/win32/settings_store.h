#pragma once
// The settings store on the system's private-profile functions.
#include <windows.h>

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace kest::win32 {

// Reads go through the private-profile functions. rewrite reads the file's bytes, has them
// edited, writes the new text to a temporary file beside it named by this process, flushes that
// and puts it in the file's place in one step, so that a kill or a power loss leaves the old file
// or the new, never a cut one. put and replaceSection are the profile functions' own writes, for
// a text only they can take apart.
class ProfileSettingsStore final : public SettingsStore {
 public:
  // takeLegacyLines: whether lines in the system's own code page are rewritten in UTF-8, which is
  // so where the process runs in UTF-8.
  explicit ProfileSettingsStore(bool takeLegacyLines = GetACP() == CP_UTF8) : takeLegacyLines_(takeLegacyLines) {}
  std::string get(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& def) override;
  bool put(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value) override;
  std::vector<std::pair<std::string, std::string>> entries(const std::string& file,
                                                            const std::string& section) override;
  bool replaceSection(const std::string& file, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& entries) override;
  std::optional<std::string> text(const std::string& file) override;
  TextWrite rewrite(const std::string& file,
                    const std::function<std::optional<std::string>(std::string_view)>& edit) override;

 private:
  // Once per file and run: where the process code page is UTF-8, lines an older Kest wrote in
  // the system's own code page are rewritten in UTF-8, so the profile functions read them whole.
  // A file that could not be read or rewritten is tried again at the next access.
  void TakeLegacyLines(const std::string& file);
  const bool takeLegacyLines_;
  std::mutex mutex_;
  std::set<std::string> checked_;
};

}  // namespace kest::win32
