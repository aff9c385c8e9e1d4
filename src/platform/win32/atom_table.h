#pragma once
// The atom table on the system's global atoms.
#include "platform/atom_table.h"

namespace kest::win32 {

class GlobalAtomTable final : public AtomTable {
 public:
  AtomValue find(const std::string& name) override;
  AtomValue add(const std::string& name) override;
  void remove(AtomValue atom) override;
  std::optional<std::string> name(AtomValue atom, int maxChars) override;
  // Asks from several threads at once: each lookup is a round trip to the system, and under
  // Wine the whole range costs half a second from one thread.
  std::vector<std::pair<AtomValue, std::string>> names(AtomValue first, AtomValue last, int maxChars) override;
};

}  // namespace kest::win32
