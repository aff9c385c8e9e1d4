#pragma once
#include <string>

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
};

}  // namespace kest
