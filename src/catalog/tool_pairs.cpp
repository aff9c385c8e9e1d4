#include "catalog/tool_pairs.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "catalog/tool_search.h"
#include "platform/ascii_case.h"

namespace kest {

namespace {

constexpr std::string_view kLnk = ".lnk";

bool IsShortcutName(std::string_view name) {
  return name.size() > kLnk.size() && name.substr(name.size() - kLnk.size()) == kLnk;
}

// "NAME" of "NAME (x86).lnk", folded; nothing for any other name.
std::optional<std::string> TwinOfName(std::string_view name) {
  if (!IsShortcutName(name)) return std::nullopt;
  std::string_view base = name.substr(0, name.size() - kLnk.size());
  if (base.size() <= kX86Mark.size() ||
      !EqualsIgnoringAsciiCase(base.substr(base.size() - kX86Mark.size()), kX86Mark))
    return std::nullopt;
  return FoldCase(base.substr(0, base.size() - kX86Mark.size()));
}

}  // namespace

FolderPairs PairTools(const std::vector<std::string>& fileNames) {
  const std::size_t n = fileNames.size();
  FolderPairs pairs{std::vector<std::optional<std::size_t>>(n), std::vector<bool>(n, false)};
  // Each shortcut by its name without ".lnk", folded; the first listed wins.
  std::unordered_map<std::string, std::size_t> byName;
  for (std::size_t i = 0; i < n; ++i)
    if (IsShortcutName(fileNames[i]))
      byName.emplace(FoldCase(std::string_view(fileNames[i]).substr(0, fileNames[i].size() - kLnk.size())), i);
  // Shorter names first: whether "A (x86)" is a twin itself is settled before "A (x86) (x86)"
  // looks to it for a pair.
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return fileNames[a].size() < fileNames[b].size(); });
  for (std::size_t t : order) {
    std::optional<std::string> name = TwinOfName(fileNames[t]);
    if (!name) continue;
    auto own = byName.find(*name);
    if (own == byName.end()) continue;
    const std::size_t m = own->second;
    if (pairs.isTwin[m] || pairs.twin[m]) continue;
    pairs.twin[m] = t;
    pairs.isTwin[t] = true;
  }
  return pairs;
}

void JoinTwins(std::vector<WalkEvent>& events) {
  // The tools of each folder still open, by their events' positions.
  std::vector<std::vector<std::size_t>> open(1);
  std::vector<bool> gone(events.size(), false);
  bool any = false;
  auto pairFolder = [&](const std::vector<std::size_t>& tools) {
    std::vector<std::string> names;
    names.reserve(tools.size());
    for (std::size_t i : tools) names.push_back(events[i].name);
    const FolderPairs pairs = PairTools(names);
    for (std::size_t k = 0; k < tools.size(); ++k) {
      if (pairs.twin[k]) events[tools[k]].twin = events[tools[*pairs.twin[k]]].path;
      if (pairs.isTwin[k]) gone[tools[k]] = any = true;
    }
  };
  for (std::size_t i = 0; i < events.size(); ++i) {
    switch (events[i].type) {
      case WalkEvent::Type::Entered:
        open.emplace_back();
        break;
      case WalkEvent::Type::Tool:
        open.back().push_back(i);
        break;
      case WalkEvent::Type::Left:
        if (open.size() > 1) {
          pairFolder(open.back());
          open.pop_back();
        }
        break;
    }
  }
  // A walk stopped part of the way leaves folders open; the root is always left open.
  while (!open.empty()) {
    pairFolder(open.back());
    open.pop_back();
  }
  if (!any) return;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (gone[i]) continue;
    if (kept != i) events[kept] = std::move(events[i]);
    ++kept;
  }
  events.resize(kept);
}

std::vector<WalkEvent> RecordJoinedWalk(FileSystem& fs, const std::string& directory, const std::atomic<bool>* stop) {
  std::vector<WalkEvent> events = RecordWalk(fs, directory, stop);
  JoinTwins(events);
  return events;
}

std::string PairFileToRun(FileSystem& fs, const std::string& file, const std::string& twin, bool x86Target) {
  return x86Target && !twin.empty() && fs.fileExists(twin) ? twin : file;
}

std::string PairCaption(const std::string& name, bool x86Target) {
  return x86Target ? name + std::string(kX86Shown) : name;
}

}  // namespace kest
