// The [Targets] section of Tools.ini as a hand-edited or damaged file may have it: the input's
// "key=value" lines are its keys (other "[Section]" lines start other sections). Loaded, saved
// and loaded again.
#include <map>
#include <optional>

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
    list.add(path);
  }, box, nullptr);
  return added;
}

// What a load must give, worked out independently: the stored positions below "Count" in
// ascending order, a gap of at most 1000 missing positions before one filled with the
// placeholder, a longer gap passed over. Each entry says whether it was stored.
std::vector<std::pair<std::string, bool>> Expected(fuzz::ProfileStore& store, SettingsFile& settings) {
  const int count = settings.readInteger(kTargetsSection, "Count", 0);
  std::map<int, std::string> stored;
  for (const auto& [key, value] : store.section(kTargetsSection)) {
    std::optional<int> position = PositionOf(key);
    if (position && *position < count) stored.emplace(*position, value);
  }
  std::vector<std::pair<std::string, bool>> expected;
  long long next = 0;
  for (const auto& [position, value] : stored) {
    if (position - next <= 1000)
      for (; next < position; ++next) expected.emplace_back(kErrorLink, false);
    expected.emplace_back(value, true);
    next = static_cast<long long>(position) + 1;
  }
  return expected;
}

std::vector<std::string> Paths(const std::vector<std::pair<std::string, bool>>& entries) {
  std::vector<std::string> paths;
  for (const auto& e : entries) paths.push_back(e.first);
  return paths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ProfileStore store;
  store.fill(fuzz::Lines(fuzz::AsText(data, size)), 0, kTargetsSection);
  SettingsFile settings(store, kExeDir);
  fuzz::CountingMsgBox box;
  TargetList list;
  list.add("C:\\stale\\entry.exe");

  const std::vector<std::string> added = Load(settings, list, box);
  KEST_FUZZ_CHECK(box.asked == 0);
  KEST_FUZZ_CHECK(list.size() == added.size());
  KEST_FUZZ_CHECK(added == Paths(Expected(store, settings)));
  for (std::size_t i = 0; i < added.size(); ++i) KEST_FUZZ_CHECK(list.at(i).fullPath() == added[i]);

  // Saved and loaded again: every entry with a file name comes back, in order.
  SaveTargets(settings, list, box, nullptr);
  KEST_FUZZ_CHECK(box.asked == 0);
  TargetList again;
  const std::vector<std::string> reloaded = Load(settings, again, box);
  const auto expected = Expected(store, settings);
  KEST_FUZZ_CHECK(reloaded == Paths(expected));
  std::vector<std::string> named, storedBack;
  for (std::size_t i = 0; i < list.size(); ++i)
    if (!list.at(i).fileName.empty()) named.push_back(list.at(i).fullPath());
  for (const auto& e : expected)
    if (e.second) storedBack.push_back(e.first);
  KEST_FUZZ_CHECK(named == storedBack);
  return 0;
}
