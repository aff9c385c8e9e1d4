#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

  enum class TextWrite { Written, Refused, NotTaken };
  // The file's bytes ("" for a file not made yet) through edit, and what it gives written back
  // in one step, so that a failure at any point leaves the file as it was (Refused). NotTaken,
  // with nothing written, when edit gives nothing or the store has no file behind it: the write
  // is then for put or replaceSection.
  virtual TextWrite rewrite(const std::string& /*file*/,
                            const std::function<std::optional<std::string>(std::string_view)>& /*edit*/) {
    return TextWrite::NotTaken;
  }
};

}  // namespace kest
