#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kest {

using AtomValue = std::uint16_t;

// The system-wide global atom table.
class AtomTable {
 public:
  virtual ~AtomTable() = default;
  // 0 when no atom of that name exists.
  virtual AtomValue find(const std::string& name) = 0;
  // Adds one reference; 0 when the system refused (for example a name over 255 characters).
  virtual AtomValue add(const std::string& name) = 0;
  // Removes one reference.
  virtual void remove(AtomValue atom) = 0;
  // The name of an atom value, at most maxChars characters; nothing for a value in no use.
  virtual std::optional<std::string> name(AtomValue atom, int maxChars) = 0;
  // Every value from first to last that is in use, with its name, in ascending order.
  virtual std::vector<std::pair<AtomValue, std::string>> names(AtomValue first, AtomValue last, int maxChars) {
    std::vector<std::pair<AtomValue, std::string>> found;
    for (unsigned v = first; v <= last; ++v) {
      if (auto n = name(static_cast<AtomValue>(v), maxChars)) found.emplace_back(static_cast<AtomValue>(v), *n);
    }
    return found;
  }
};

}  // namespace kest
