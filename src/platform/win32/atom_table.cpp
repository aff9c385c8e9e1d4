#include "platform/win32/atom_table.h"

#include <windows.h>

#include <algorithm>
#include <system_error>
#include <thread>

namespace kest::win32 {

AtomValue GlobalAtomTable::find(const std::string& name) { return GlobalFindAtomA(name.c_str()); }

AtomValue GlobalAtomTable::add(const std::string& name) { return GlobalAddAtomA(name.c_str()); }

void GlobalAtomTable::remove(AtomValue atom) { GlobalDeleteAtom(atom); }

namespace {
// An atom name of maxChars UTF-16 units takes up to three bytes each in UTF-8.
int AtomNameBytes(int maxChars) { return maxChars * 3 + 1; }
}  // namespace

std::optional<std::string> GlobalAtomTable::name(AtomValue atom, int maxChars) {
  std::vector<char> buffer(static_cast<std::size_t>(AtomNameBytes(maxChars)) + 1, '\0');
  UINT n = GlobalGetAtomNameA(atom, buffer.data(), AtomNameBytes(maxChars));
  if (n == 0) return std::nullopt;
  return std::string(buffer.data(), n);
}

std::vector<std::pair<AtomValue, std::string>> GlobalAtomTable::names(AtomValue first, AtomValue last,
                                                                      int maxChars) {
  constexpr unsigned kThreads = 8;
  std::vector<std::pair<AtomValue, std::string>> found[kThreads];
  auto scan = [&](unsigned t) {
    std::vector<char> buffer(static_cast<std::size_t>(AtomNameBytes(maxChars)) + 1, '\0');
    for (unsigned v = first + t; v <= last; v += kThreads) {
      UINT n = GlobalGetAtomNameA(static_cast<ATOM>(v), buffer.data(), AtomNameBytes(maxChars));
      if (n != 0) found[t].emplace_back(static_cast<AtomValue>(v), std::string(buffer.data(), n));
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < kThreads; ++t) {
    try {
      workers.emplace_back(scan, t);
    } catch (const std::system_error&) {
      scan(t);  // no thread to be had: this one does that share too
    }
  }
  scan(0);
  for (auto& w : workers) w.join();
  std::vector<std::pair<AtomValue, std::string>> all;
  for (auto& f : found) all.insert(all.end(), f.begin(), f.end());
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return all;
}

}  // namespace kest::win32
