#include "targets/target_store.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <exception>
#include <string>
#include <vector>

#include "core/texts.h"

namespace kest {

namespace {

// The longest run of missing positions that still loads as "Error link" entries.
constexpr int kLongestFilledGap = 1000;

void ReportIniError(MsgBox& box, WindowHandle owner) {
  box.ask(owner, kIniErrorText, text::kCaptionError, MbButtons::Ok, MbIcon::Error);
}

// The entries that exist in [Targets] below limit, by position in ascending order: keys
// written exactly as the decimal numbers the program writes.
bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

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

void LoadTargets(SettingsFile& settings, TargetList& list,
                 const std::function<void(const std::string&)>& addTarget, MsgBox& box,
                 WindowHandle owner) {
  try {
    list.clear();
    int count = settings.readInteger(kTargetsSection, "Count", 0);
    // Only the positions that exist are visited, so that a "Count" far beyond them costs
    // nothing; a gap between two of them still gives its "Error link" entry, as a position read
    // without a key does, but nothing is made up after the last one.
    int next = 0;
    for (const auto& [i, path] : StoredPositions(settings.entries(kTargetsSection), count)) {
      // A short gap is a position left out (an entry without a file name): it loads as an
      // "Error link" entry. A long one comes from a file not written by Kest, and filling it
      // would make up thousands or millions of entries: it is passed over.
      if (i - next <= kLongestFilledGap)
        for (; next < i; ++next) addTarget(kErrorLink);
      addTarget(path);
      next = i + 1;
    }
  } catch (const std::exception&) {
    ReportIniError(box, owner);
  }
}

void SaveTargets(SettingsFile& settings, const TargetList& list, MsgBox& box, WindowHandle owner) {
  try {
    WriteTargets(settings, list);
  } catch (const std::exception&) {
    ReportIniError(box, owner);
  }
}

void WriteTargets(SettingsFile& settings, const TargetList& list) {
  int oldCount = settings.readInteger(kTargetsSection, "Count", 0);
  // The section is written anew in one go, which for thousands of targets is the difference
  // between a blink and a minute. It ends as deleting the old positions "0" to "Count", then
  // writing every entry and the count, would leave it: other keys stay as they are.
  // One read of the section serves both what is kept and what is compared at the end.
  const Entries stored = settings.entries(kTargetsSection);
  const long long limit = static_cast<long long>(oldCount) + 1;
  Entries section;
  section.reserve(stored.size() + list.size() + 1);
  for (auto& [key, value] : stored) {
    long long i = PositionOf(key);
    // An old position goes; a kept key that a list position writes anew gives way to it.
    bool oldPosition = i >= 0 && i < limit;
    bool rewritten = i >= 0 && static_cast<unsigned long long>(i) < list.size() &&
                     !list.at(static_cast<std::size_t>(i)).fileName.empty();
    if (!oldPosition && !rewritten && !EqualsIgnoringCase(key, "Count")) section.emplace_back(key, value);
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    const Target& t = list.at(i);
    // An entry without a file name is left out; the positions after it stay.
    if (!t.fileName.empty()) section.emplace_back(std::to_string(i), t.fullPath());
  }
  section.emplace_back("Count", std::to_string(list.size()));
  // A section that already holds these keys and values is left alone: a close after a run in
  // which every change was saved at once costs no write of thousands of lines, and a file
  // whose lines stand in another order keeps them.
  if (SameEntries(section, stored)) return;
  settings.replaceSection(kTargetsSection, section);
}

}  // namespace kest
