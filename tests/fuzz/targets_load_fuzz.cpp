// The [Targets] section of Tools.ini as a hand-edited or damaged file may have it: the input's
// "key=value" lines are its keys (other "[Section]" lines start other sections). Loaded, saved
// and loaded again.
#include "fuzz/fuzz_support.h"
#include "targets/target_store.h"

using namespace kest;

namespace {

constexpr const char* kExeDir = "C:\\k\\";

// The position a key names when it is written as Kest writes positions: decimal digits with
// no leading zero, within int.
std::optional<int> PositionOf(const std::string& key) {
  if (key.empty() || key.size() > 10 || (key.size() > 1 && key[0] == '0')) return std::nullopt;
  long long v = 0;
  for (char c : key) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v > INT32_MAX) return std::nullopt;
  return static_cast<int>(v);
}

std::vector<std::string> Load(SettingsFile& settings, TargetList& list, fuzz::CountingMsgBox& box) {
  std::vector<std::string> added;
  LoadTargets(settings, list, [&](const std::string& path) {
    added.push_back(path);
    list.add(path, 0);
  }, box, nullptr);
  return added;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ProfileStore store;
  store.fill(fuzz::Lines(fuzz::AsText(data, size)), 0, kTargetsSection);
  SettingsFile settings(store, kExeDir);
  fuzz::CountingMsgBox box;
  TargetList list;
  list.add("C:\\stale\\entry.exe", 0);

  const std::vector<std::string> added = Load(settings, list, box);
  KEST_FUZZ_CHECK(box.asked == 0);
  KEST_FUZZ_CHECK(list.size() == added.size());
  // Each entry is its position's stored path, or the placeholder where there is none.
  for (std::size_t i = 0; i < added.size(); ++i) {
    const std::string* stored = store.find(kTargetsSection, std::to_string(i));
    KEST_FUZZ_CHECK(added[i] == (stored ? *stored : std::string(kErrorLink)));
    KEST_FUZZ_CHECK(list.at(i).fullPath() == added[i]);
  }
  // Every stored position below "Count" is loaded.
  const int count = settings.readInteger(kTargetsSection, "Count", 0);
  for (const auto& [key, value] : store.section(kTargetsSection)) {
    std::optional<int> position = PositionOf(key);
    if (!position || *position >= count) continue;
    KEST_FUZZ_CHECK(static_cast<std::size_t>(*position) < added.size());
    KEST_FUZZ_CHECK(added[static_cast<std::size_t>(*position)] == value);
  }

  // Saved and loaded again, the list comes back through its last entry with a file name at
  // least, the entries without one as placeholders.
  SaveTargets(settings, list, box, nullptr);
  KEST_FUZZ_CHECK(box.asked == 0);
  TargetList again;
  const std::vector<std::string> reloaded = Load(settings, again, box);
  KEST_FUZZ_CHECK(reloaded.size() <= list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    const Target& t = list.at(i);
    if (i >= reloaded.size()) {
      KEST_FUZZ_CHECK(t.fileName.empty());
      continue;
    }
    KEST_FUZZ_CHECK(reloaded[i] == (t.fileName.empty() ? std::string(kErrorLink) : t.fullPath()));
  }
  return 0;
}
