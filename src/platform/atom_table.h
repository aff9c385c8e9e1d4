#pragma once
#include <cstdint>
#include <optional>
#include <string>

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
};

}  // namespace kest
