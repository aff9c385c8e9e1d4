#include "catalog/tool_search.h"

#include "catalog/tool_catalog.h"
#include "platform/ascii_case.h"
#include "platform/utf8.h"

namespace kest {

std::vector<ToolSearchEntry> ToolSearchEntries(const std::vector<WalkEvent>& events) {
  std::vector<ToolSearchEntry> entries;
  std::vector<std::string> folders;
  for (const WalkEvent& e : events) {
    switch (e.type) {
      case WalkEvent::Type::Entered:
        folders.push_back(e.name);
        break;
      case WalkEvent::Type::Left:
        if (!folders.empty()) folders.pop_back();
        break;
      case WalkEvent::Type::Tool: {
        ToolSearchEntry entry;
        entry.captions = folders;
        entry.captions.push_back(ToolDisplayName(e.name));
        entry.file = e.path;
        entry.twin = e.twin;
        for (const std::string& c : entry.captions) {
          if (!entry.text.empty()) entry.text += '\\';
          entry.text += c;
        }
        entries.push_back(std::move(entry));
        break;
      }
    }
  }
  return entries;
}

namespace {

char32_t Lower(char32_t c) {
  if (c < 0x80) return AsciiLower(c);
  // Latin-1: À to Þ but ×.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  // Latin Extended-A: pairs of capital and small letter.
  if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
    return (c % 2 == 0) ? c + 1 : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 1) ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  // Greek: Α to Ϋ (no capital final sigma).
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  // Cyrillic: Ѐ to Џ, А to Я, and the pairs of the extended letters.
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF)) return (c % 2 == 0) ? c + 1 : c;
  return c;
}

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += AsciiLower(text[i]);
      ++i;
      continue;
    }
    std::size_t n = utf8::SequenceAt(text, i);
    if (n < 2 || n > 3) {
      // Outside UTF-8 (a code-page name), or beyond the planes folded here: kept as it is.
      std::size_t keep = n ? n : 1;
      out.append(text.substr(i, keep));
      i += keep;
      continue;
    }
    utf8::AppendCodePoint(out, Lower(utf8::CodePointAt(text, i, n)));
    i += n;
  }
  return out;
}

std::vector<std::string> QueryWords(std::string_view query) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < query.size()) {
    while (i < query.size() && (query[i] == ' ' || query[i] == '\t')) ++i;
    std::size_t start = i;
    while (i < query.size() && query[i] != ' ' && query[i] != '\t') ++i;
    if (i > start) words.push_back(FoldCase(query.substr(start, i - start)));
  }
  return words;
}

ToolSearch::ToolSearch(std::vector<ToolSearchEntry> entries) : entries_(std::move(entries)) {
  folded_.reserve(entries_.size());
  for (const ToolSearchEntry& e : entries_) folded_.push_back(FoldCase(e.text));
}

std::vector<std::size_t> ToolSearch::Filter(std::string_view query) const {
  std::vector<std::size_t> matches;
  Filter(query, matches);
  return matches;
}

void ToolSearch::Filter(std::string_view query, std::vector<std::size_t>& matches) const {
  matches.clear();
  const std::vector<std::string> words = QueryWords(query);
  for (std::size_t i = 0; i < folded_.size(); ++i) {
    const std::string_view text = folded_[i];
    bool all = true;
    for (const std::string& w : words) {
      if (text.find(w) == std::string_view::npos) {
        all = false;
        break;
      }
    }
    if (all) matches.push_back(i);
  }
}

}  // namespace kest
