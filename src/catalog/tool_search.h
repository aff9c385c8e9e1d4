#pragma once
// The find box's model: every tool of the catalog with the captions its menu item has and the
// text it is found by, taken from one recorded walk, and the filter run at each keystroke over
// what is kept in memory.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/tool_menus.h"

namespace kest {

struct ToolSearchEntry {
  // The folders below the catalog root, outermost first, then the tool's display name.
  std::vector<std::string> captions;
  // The captions joined with "\": "Debuggers\x32dbg".
  std::string text;
  // The tool's own file, which a launch runs, and its 32-bit twin's for a pair.
  std::string file;
  std::string twin;
};

// The tools of a recorded walk, in the walk's order.
std::vector<ToolSearchEntry> ToolSearchEntries(const std::vector<WalkEvent>& events);

// Lower case for matching: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic capitals in
// UTF-8 are folded; every other character and every byte outside a UTF-8 sequence (a name in
// a system code page) stays as it is.
std::string FoldCase(std::string_view text);

// The query's words: the pieces between blanks and tabs, folded.
std::vector<std::string> QueryWords(std::string_view query);

class ToolSearch {
 public:
  ToolSearch() = default;
  explicit ToolSearch(std::vector<ToolSearchEntry> entries);

  const std::vector<ToolSearchEntry>& entries() const { return entries_; }
  // The entries in which every word of the query occurs, in any order and case, anywhere in
  // the text (the tool's name or its folders); in catalog order. An empty query (or one of
  // blanks only) gives every entry.
  std::vector<std::size_t> Filter(std::string_view query) const;
  // The same into a vector the caller keeps from one keystroke to the next.
  void Filter(std::string_view query, std::vector<std::size_t>& matches) const;

 private:
  std::vector<ToolSearchEntry> entries_;
  std::vector<std::string> folded_;  // each entry's text, folded once
};

}  // namespace kest
