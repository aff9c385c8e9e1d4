#include "targets/target_store.h"

#include <algorithm>
#include <map>
#include <set>
#include <exception>
#include <string>
#include <vector>

#include "core/texts.h"
#include "platform/ascii_case.h"
#include "platform/paths.h"

namespace kest {

namespace {

// How many missing positions, over the whole section, still load as "Error link" entries.
constexpr int kMostFilledPositions = 1000;

void ReportIniError(MsgBox& box, WindowHandle owner) {
  box.ask(owner, kIniErrorText, text::kCaptionError, MbButtons::Ok, MbIcon::Error);
}

// The entries that exist in [Targets] below limit, by position in ascending order: keys
// written exactly as the decimal numbers the program writes.
using Entries = std::vector<std::pair<std::string, std::string>>;

// The position a key names when it is written exactly as the decimal number Kest writes; -1
// for any other key.
long long PositionOf(const std::string& key) {
  if (key.empty() || key.size() > 10 || key.find_first_not_of("0123456789") != std::string::npos) return -1;
  if (key.size() > 1 && key[0] == '0') return -1;
  return std::stoll(key);
}

// The same keys and values, in any order; compared through pointers, since sorting copies of
// thousands of paths costs more than the rest of a save.
bool SameEntries(const Entries& a, const Entries& b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;
  auto sorted = [](const Entries& entries) {
    std::vector<const Entries::value_type*> p;
    p.reserve(entries.size());
    for (const auto& e : entries) p.push_back(&e);
    std::sort(p.begin(), p.end(), [](const auto* x, const auto* y) { return *x < *y; });
    return p;
  };
  auto x = sorted(a), y = sorted(b);
  for (std::size_t i = 0; i < x.size(); ++i)
    if (*x[i] != *y[i]) return false;
  return true;
}

std::map<int, std::string> StoredPositions(const Entries& entries, long long limit) {
  std::map<int, std::string> positions;
  for (auto& [key, value] : entries) {
    if (key.empty() || key.size() > 10 || key.find_first_not_of("0123456789") != std::string::npos) continue;
    long long i = std::stoll(key);
    // A key given twice reads as its first, as a single read would find it.
    if (i < limit && std::to_string(i) == key) positions.emplace(static_cast<int>(i), value);
  }
  return positions;
}

}  // namespace

std::vector<std::string> StoredTargets(SettingsFile& settings) {
  std::vector<std::string> paths;
  int count = settings.readInteger(kTargetsSection, "Count", 0);
  // Only the positions that exist are visited, so that a "Count" far beyond them costs
  // nothing; a gap between two of them still gives its "Error link" entry, as a position read
  // without a key does, but nothing is made up after the last one.
  int next = 0;
  int fillable = kMostFilledPositions;
  for (const auto& [i, path] : StoredPositions(settings.entries(kTargetsSection), count)) {
    // A few missing positions are entries left out (without a file name): they load as
    // "Error link" entries. Many, in one gap or in thousands of small ones, come from a file
    // not written by Kest, and filling them would make up millions of entries: a gap beyond
    // what is left of the allowance is passed over.
    if (i - next <= fillable) {
      fillable -= i - next;
      for (; next < i; ++next) paths.emplace_back(kErrorLink);
    }
    paths.push_back(path);
    next = i + 1;
  }
  return paths;
}

void LoadTargets(SettingsFile& settings, TargetList& list,
                 const std::function<void(const std::string&)>& addTarget, MsgBox& box,
                 WindowHandle owner) {
  try {
    list.clear();
    for (const std::string& path : StoredTargets(settings)) addTarget(path);
  } catch (const std::exception&) {
    ReportIniError(box, owner);
  }
}

std::vector<std::string> StoredTexts(const TargetList& list) {
  std::vector<std::string> texts;
  texts.reserve(list.size());
  for (const Target& t : list.entries()) texts.push_back(t.storedText());
  return texts;
}

std::vector<std::string> MergeTargets(const std::vector<std::string>& stored, const std::vector<std::string>& before,
                                      const std::vector<std::string>& now) {
  // Entries are only ever appended or taken out, so now is before less some entries, then the
  // new ones: matched in order, what before has and now has not was taken out.
  std::map<std::string, std::vector<std::size_t>> takenOut;  // path: which of its occurrences
  std::map<std::string, std::size_t> seen;
  std::size_t j = 0;
  for (const std::string& path : before) {
    std::size_t occurrence = seen[path]++;
    if (j < now.size() && now[j] == path) ++j;
    else takenOut[path].push_back(occurrence);
  }
  std::vector<bool> keep(stored.size(), true);
  for (auto& [path, occurrences] : takenOut) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < stored.size(); ++i)
      if (stored[i] == path) at.push_back(i);
    // The latest occurrences first, so that the earlier ones keep their numbers; one that is
    // no longer there takes out the last one left, and nothing when none is.
    for (auto k = occurrences.rbegin(); k != occurrences.rend() && !at.empty(); ++k) {
      std::size_t pick = *k < at.size() ? *k : at.size() - 1;
      keep[at[pick]] = false;
      at.erase(at.begin() + static_cast<std::ptrdiff_t>(pick));
    }
  }
  std::vector<std::string> merged;
  merged.reserve(stored.size() + now.size() - j);
  for (std::size_t i = 0; i < stored.size(); ++i)
    if (keep[i]) merged.push_back(stored[i]);
  merged.insert(merged.end(), now.begin() + static_cast<std::ptrdiff_t>(j), now.end());
  return merged;
}

bool SaveTargets(SettingsFile& settings, const TargetList& list, std::vector<std::string>& saved, MsgBox& box,
                 WindowHandle owner) {
  try {
    WriteTargets(settings, list, saved);
    return true;
  } catch (const std::exception&) {
    ReportIniError(box, owner);
    return false;
  }
}

void WriteTargets(SettingsFile& settings, const TargetList& list, std::vector<std::string>& saved) {
  std::vector<std::string> now = StoredTexts(list);
  // A copy that changed nothing writes nothing: another copy's list stays as that one left it.
  if (now == saved) return;
  // Another copy of Kest (two may run by choice) may have written the section since: its
  // changes stay, and this copy's own are applied to them.
  const std::vector<std::string> paths = MergeTargets(StoredTargets(settings), saved, now);
  int oldCount = settings.readInteger(kTargetsSection, "Count", 0);
  // The section is written anew in one go, which for thousands of targets is the difference
  // between a blink and a minute. It ends as deleting the old positions "0" to "Count", then
  // writing every entry and the count, would leave it: other keys stay as they are.
  const Entries stored = settings.entries(kTargetsSection);
  const long long limit = static_cast<long long>(oldCount) + 1;
  Entries section;
  section.reserve(stored.size() + paths.size() + 1);
  auto named = [&](long long i) {
    return i >= 0 && static_cast<unsigned long long>(i) < paths.size() &&
           !paths::FileNameOf(paths[static_cast<std::size_t>(i)]).empty();
  };
  for (auto& [key, value] : stored) {
    long long i = PositionOf(key);
    // An old position goes; a kept key that a list position writes anew gives way to it.
    bool oldPosition = i >= 0 && i < limit;
    if (!oldPosition && !named(i) && !EqualsIgnoringAsciiCase(key, "Count")) section.emplace_back(key, value);
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    // An entry without a file name is left out; the positions after it stay.
    if (named(static_cast<long long>(i))) section.emplace_back(std::to_string(i), paths[i]);
  }
  section.emplace_back("Count", std::to_string(paths.size()));
  // A section that already holds these keys and values is left alone, and a file whose lines
  // stand in another order keeps them.
  if (!SameEntries(section, stored)) settings.replaceSection(kTargetsSection, section);
  saved = std::move(now);
}

}  // namespace kest
