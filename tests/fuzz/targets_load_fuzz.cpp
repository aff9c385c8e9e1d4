// The [Targets] section of Tools.ini as a hand-edited or damaged file may have it: the input's
// "key=value" lines are its keys (other "[Section]" lines start other sections). Loaded, changed,
// saved and loaded again.
#include <map>
#include <optional>

#include "fuzz/fuzz_support.h"
#include "platform/paths.h"
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
// ascending order, a gap filled with the placeholder while no more than 1000 missing positions
// have been filled in all, a gap beyond that passed over. Each entry says whether it was stored.
std::vector<std::pair<std::string, bool>> Expected(fuzz::ProfileStore& store, SettingsFile& settings) {
  const int count = settings.readInteger(kTargetsSection, "Count", 0);
  std::map<int, std::string> stored;
  for (const auto& [key, value] : store.section(kTargetsSection)) {
    std::optional<int> position = PositionOf(key);
    if (position && *position < count) stored.emplace(*position, value);
  }
  std::vector<std::pair<std::string, bool>> expected;
  long long next = 0, filled = 0;
  for (const auto& [position, value] : stored) {
    if (filled + (position - next) <= 1000)
      for (; next < position; ++next, ++filled) expected.emplace_back(kErrorLink, false);
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

// The entries a save writes and a load gives back as themselves: named, and no placeholder.
std::vector<std::string> Kept(const std::vector<std::string>& paths) {
  std::vector<std::string> kept;
  for (const std::string& p : paths)
    if (p != kErrorLink && !paths::FileNameOf(p).empty()) kept.push_back(p);
  return kept;
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

  // Unchanged, a save writes nothing at all.
  std::vector<std::string> saved = StoredTexts(list);
  const std::size_t writes = store.writes;
  KEST_FUZZ_CHECK(SaveTargets(settings, list, saved, box, nullptr));
  KEST_FUZZ_CHECK(store.writes == writes);
  // The middle entry taken out and one added: with no other writer the merge is the list itself.
  const std::vector<std::string> before = saved;
  if (!list.empty()) list.removeAt(list.size() / 2);
  list.add("C:\\fuzz\\added.exe");
  const std::vector<std::string> now = StoredTexts(list);
  KEST_FUZZ_CHECK(MergeTargets(before, before, now) == now);
  // Saved and loaded again: every entry with a file name comes back, in order.
  KEST_FUZZ_CHECK(SaveTargets(settings, list, saved, box, nullptr));
  KEST_FUZZ_CHECK(box.asked == 0);
  KEST_FUZZ_CHECK(saved == now);
  TargetList again;
  const std::vector<std::string> reloaded = Load(settings, again, box);
  KEST_FUZZ_CHECK(reloaded == Paths(Expected(store, settings)));
  KEST_FUZZ_CHECK(Kept(reloaded) == Kept(now));
  return 0;
}
