#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kest {

// Private-profile access to one INI file: the settings store of the program.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The value of the key, or def when the key is absent. A present empty value reads as "".
  virtual std::string get(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& def) = 0;
  // False when the system refused the write.
  virtual bool put(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) = 0;
  virtual bool remove(const std::string& file, const std::string& section,
                      const std::string& key) = 0;
  // The keys the section holds with their values (as get reads them), in file order: one read
  // of the file for a whole section.
  virtual std::vector<std::pair<std::string, std::string>> entries(const std::string& file,
                                                                    const std::string& section) = 0;
  // Writes the section anew with these keys and values, in one write of the file. False when
  // the system refused it.
  virtual bool replaceSection(const std::string& file, const std::string& section,
                              const std::vector<std::pair<std::string, std::string>>& entries) = 0;
  // The file's bytes as the reads above see them, in one read; nothing when it cannot be read
  // or the store has no file behind it.
  virtual std::optional<std::string> text(const std::string& /*file*/) { return std::nullopt; }
};

}  // namespace kest
