// The edits Kest makes to Tools.ini's text, over any text a user or another program may leave.
// The input's first line is the edit: "s" (set) or "r" (replace a section), then
// "section|key|value" for the first, "section|key=value|key=value..." for the second; the rest
// of the input is the file's text. Checked against IniIndex, the profile functions' reading,
// and against the text as it was outside the section, found here a second way.
#include <optional>

#include "core/settings_file.h"
#include "fuzz/fuzz_support.h"

using namespace kest;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string> Split(std::string_view s, char by) {
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    std::size_t at = s.find(by, start);
    parts.emplace_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

// What a read of a value written so gives: blanks and a pair of matching quotes taken off.
std::string ReadBack(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

bool Printable(std::string_view s) {
  for (char c : s)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

bool PlainName(std::string_view s) { return !s.empty() && Printable(s) && !Blank(s.front()) && !Blank(s.back()); }
bool GoodSection(std::string_view s) { return PlainName(s) && s.find(']') == std::string_view::npos; }
bool GoodKey(std::string_view s) {
  return PlainName(s) && s.find('=') == std::string_view::npos && s.front() != ';' && s.front() != '[';
}
bool GoodValue(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos; }

// Where the section stands in the text, by whole lines: the offset of its header line and of the
// next header line after it (or the end); nothing when no header names it.
struct Span {
  std::size_t begin, end;
};
std::optional<Span> SectionSpan(std::string_view text, std::string_view section) {
  std::optional<Span> span;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t newline = text.find('\n', start);
    std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
    std::string_view line = Trim(text.substr(start, next - start));
    if (start == 0 && line.substr(0, 3) == "\xEF\xBB\xBF") line = Trim(line.substr(3));
    if (!line.empty() && line.front() == '[') {
      if (span) {
        span->end = start;
        return span;
      }
      std::size_t close = line.find(']');
      if (close != std::string_view::npos && fuzz::Lower(std::string(Trim(line.substr(1, close - 1)))) ==
                                                 fuzz::Lower(std::string(section)))
        span = Span{start, text.size()};
    }
    start = next;
  }
  return span;
}

// The keys of the section's lines, as this reading finds them.
std::vector<std::string> KeysIn(std::string_view text, Span span) {
  std::vector<std::string> keys;
  for (const std::string& line : fuzz::Lines(text.substr(span.begin, span.end - span.begin))) {
    std::string_view content = Trim(line);
    if (content.empty() || content.front() == ';' || content.front() == '[') continue;
    keys.emplace_back(Trim(content.substr(0, content.find('='))));
  }
  return keys;
}

// Outside the section nothing moved: the text before its header and from the next header on, or,
// for a section that was not there, the whole text before it.
void CheckOutside(std::string_view text, std::string_view edited, std::string_view section) {
  if (std::optional<Span> span = SectionSpan(text, section)) {
    KEST_FUZZ_CHECK(edited.substr(0, span->begin) == text.substr(0, span->begin));
    const std::string_view after = text.substr(span->end);
    KEST_FUZZ_CHECK(edited.size() >= span->begin + after.size());
    KEST_FUZZ_CHECK(edited.substr(edited.size() - after.size()) == after);
    // The header line itself stays too.
    std::size_t header = text.find('\n', span->begin);
    header = header == std::string_view::npos ? text.size() : header;
    KEST_FUZZ_CHECK(edited.substr(span->begin, header - span->begin) == text.substr(span->begin, header - span->begin));
  } else {
    KEST_FUZZ_CHECK(edited.substr(0, text.size()) == text);
  }
}

void CheckFound(const IniIndex& index, const std::string& section, const std::string& key, const std::string& value) {
  const std::string expected = ReadBack(value);
  if (expected.size() > 2047) return;  // beyond what a lookup takes from the text
  IniLookup looked = index.lookUp(section, key);
  KEST_FUZZ_CHECK(looked.kind == IniLookup::Found);
  KEST_FUZZ_CHECK(looked.value == expected);
}

// Other keys of the section read as they did.
void CheckOtherKeys(std::string_view text, const IniIndex& before, const IniIndex& after, const std::string& section,
                    const std::string& key) {
  std::optional<Span> span = SectionSpan(text, section);
  if (!span) return;
  for (const std::string& other : KeysIn(text, *span)) {
    if (fuzz::Lower(other) == fuzz::Lower(key)) continue;
    IniLookup was = before.lookUp(section, other), is = after.lookUp(section, other);
    KEST_FUZZ_CHECK(was.kind == is.kind);
    KEST_FUZZ_CHECK(was.value == is.value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  const std::size_t newline = input.find('\n');
  if (newline == std::string_view::npos || newline == 0) return 0;
  const char op = input[0];
  const std::vector<std::string> fields = Split(input.substr(1, newline - 1), '|');
  const std::string_view text = input.substr(newline + 1);
  const std::string& section = fields[0];
  const IniIndex before(text);

  if (op == 'r') {
    Entries entries;
    for (std::size_t i = 1; i < fields.size(); ++i) {
      std::size_t eq = fields[i].find('=');
      entries.emplace_back(fields[i].substr(0, eq), eq == std::string::npos ? "" : fields[i].substr(eq + 1));
    }
    const std::optional<std::string> edited = ReplaceIniSection(text, section, entries);
    bool good = GoodSection(section);
    for (const auto& [k, v] : entries) good = good && GoodKey(k) && GoodValue(v);
    if (!edited) {
      KEST_FUZZ_CHECK(!good || before.lookUp(section, "k").kind == IniLookup::Unsure);
      return 0;
    }
    KEST_FUZZ_CHECK(good);
    CheckOutside(text, *edited, section);
    const IniIndex after(*edited);
    // A key given once reads as given; a key of the old section that is not given is gone.
    for (const auto& [k, v] : entries) {
      int times = 0;
      for (const auto& e : entries) times += fuzz::Lower(e.first) == fuzz::Lower(k);
      if (times == 1) CheckFound(after, section, k, v);
    }
    if (std::optional<Span> span = SectionSpan(text, section))
      for (const std::string& old : KeysIn(text, *span)) {
        bool given = false;
        for (const auto& e : entries) given = given || fuzz::Lower(e.first) == fuzz::Lower(old);
        if (!given && GoodKey(old)) KEST_FUZZ_CHECK(after.lookUp(section, old).kind == IniLookup::Absent);
      }
    KEST_FUZZ_CHECK(ReplaceIniSection(*edited, section, entries) == edited);
    return 0;
  }

  if (fields.size() < 2) return 0;
  const std::string& key = fields[1];
  const std::string value = fields.size() > 2 ? fields[2] : "";
  const std::optional<std::string> edited = SetIniValue(text, section, key, value);
  const bool good = GoodSection(section) && GoodKey(key) && GoodValue(value);
  if (!edited) {
    KEST_FUZZ_CHECK(!good || before.lookUp(section, key).kind == IniLookup::Unsure);
    return 0;
  }
  KEST_FUZZ_CHECK(good);
  CheckOutside(text, *edited, section);
  const IniIndex after(*edited);
  CheckFound(after, section, key, value);
  KEST_FUZZ_CHECK(SetIniValue(*edited, section, key, value) == edited);
  CheckOtherKeys(text, before, after, section, key);
  return 0;
}
