#include "core/settings_file.h"

#include <cstdint>
#include <functional>

#include "platform/ascii_case.h"
#include "platform/kest_error.h"
#include "platform/paths.h"

namespace kest {

namespace {

std::optional<std::uint32_t> ParseDigits(std::string_view s, int base) {
  if (s.empty()) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    if (v > 0xFFFFFFFFull) return std::nullopt;
  }
  return static_cast<std::uint32_t>(v);
}

bool IsIniSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsIniSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsIniSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool HasNonAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// Longer values are cut by the profile read's buffer.
constexpr std::size_t kLongestLookedUpValue = 2047;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// What another reader could take apart otherwise, whatever its sections: a zero byte, a lone
// carriage return, a UTF-16 file.
bool PlainText(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return false;
  for (std::size_t at = text.find('\r'); at != std::string_view::npos; at = text.find('\r', at + 1))
    if (at + 1 >= text.size() || text[at + 1] != '\n') return false;
  return !(text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF')));
}

// The name of the section a trimmed line starting with "[" opens; nothing when another reader
// could take it apart otherwise (brackets out of place, other than ASCII letters).
std::optional<std::string_view> SectionNameOf(std::string_view line) {
  std::size_t close = line.rfind(']');
  if (close == std::string_view::npos || line.find(']') != close) return std::nullopt;
  std::string_view name = Trimmed(line.substr(1, close - 1));
  if (HasNonAscii(name)) return std::nullopt;
  return name;
}

}  // namespace

IniIndex::IniIndex(std::string_view text) {
  sure_ = PlainText(text);
  if (!sure_) return;
  if (text.substr(0, 3) == kUtf8Bom) text.remove_prefix(3);
  Section* current = nullptr;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty()) continue;
    if (line.front() == '[') {
      std::optional<std::string_view> name = SectionNameOf(line);
      if (!name) {
        sure_ = false;
        return;
      }
      current = &sections_.emplace_back();
      current->name = *name;
      continue;
    }
    // Lines before the first section belong to none.
    if (!current) continue;
    Line parsed;
    if (line.front() == ';') {
      parsed.comment = true;
    } else {
      std::size_t eq = line.find('=');
      parsed.key = Trimmed(line.substr(0, eq));
      if (HasNonAscii(parsed.key)) current->nonAsciiKey = true;
      parsed.hasValue = eq != std::string_view::npos;
      if (parsed.hasValue) {
        parsed.value = Trimmed(line.substr(eq + 1));
        if (parsed.value.size() >= 2 && (parsed.value.front() == '"' || parsed.value.front() == '\'') &&
            parsed.value.back() == parsed.value.front())
          parsed.value = parsed.value.substr(1, parsed.value.size() - 2);
      }
    }
    current->lines.push_back(parsed);
  }
}

std::optional<const IniIndex::Section*> IniIndex::find(std::string_view section) const {
  if (!sure_) return std::nullopt;
  const Section* found = nullptr;
  for (const Section& s : sections_) {
    if (!EqualsIgnoringAsciiCase(s.name, section)) continue;
    if (found) return std::nullopt;
    found = &s;
  }
  // A key in other than ASCII letters is left to the profile functions' own rules.
  if (found && found->nonAsciiKey) return std::nullopt;
  return found;
}

IniLookup IniIndex::lookUp(std::string_view section, std::string_view key) const {
  auto found = find(section);
  if (!found) return IniLookup{IniLookup::Unsure, {}};
  if (!*found) return IniLookup{IniLookup::Absent, {}};
  const Line* hit = nullptr;
  for (const Line& line : (*found)->lines) {
    if (line.comment || !EqualsIgnoringAsciiCase(line.key, key)) continue;
    if (!line.hasValue || hit || line.value.size() > kLongestLookedUpValue) return IniLookup{IniLookup::Unsure, {}};
    hit = &line;
  }
  if (hit) return IniLookup{IniLookup::Found, std::string(hit->value)};
  return IniLookup{IniLookup::Absent, {}};
}

std::optional<std::vector<std::pair<std::string, std::string>>> IniIndex::entries(std::string_view section) const {
  auto found = find(section);
  if (!found) return std::nullopt;
  std::vector<std::pair<std::string, std::string>> out;
  if (!*found) return out;
  out.reserve((*found)->lines.size());
  // A comment or a line without "=" is where the profile functions of one system and another
  // could part: only lines of keys with values are taken here.
  for (const Line& line : (*found)->lines) {
    if (line.comment || !line.hasValue) return std::nullopt;
    out.emplace_back(line.key, line.value);
  }
  return out;
}

namespace {

// One line of a settings file's text by its offsets: its content, then its line break.
struct TextLine {
  enum Kind { Blank, Header, Comment, Key } kind = Blank;
  std::size_t begin = 0, end = 0, next = 0;
  std::string_view name;  // a header's section, a key line's key
  bool hasValue = false;
};

// The text's lines after its byte order mark, taken as IniIndex takes them; nothing when it
// cannot be taken apart surely.
std::optional<std::vector<TextLine>> SplitLines(std::string_view text) {
  if (!PlainText(text)) return std::nullopt;
  std::vector<TextLine> lines;
  std::size_t at = text.substr(0, 3) == kUtf8Bom ? 3 : 0;
  while (at < text.size()) {
    TextLine line;
    line.begin = at;
    std::size_t newline = text.find('\n', at);
    line.next = newline == std::string_view::npos ? text.size() : newline + 1;
    line.end = newline == std::string_view::npos ? text.size() : newline;
    if (line.end > at && text[line.end - 1] == '\r') --line.end;
    std::string_view content = Trimmed(text.substr(at, line.end - at));
    if (content.empty()) {
      line.kind = TextLine::Blank;
    } else if (content.front() == '[') {
      std::optional<std::string_view> name = SectionNameOf(content);
      if (!name) return std::nullopt;
      line.kind = TextLine::Header;
      line.name = *name;
    } else if (content.front() == ';') {
      line.kind = TextLine::Comment;
    } else {
      std::size_t eq = content.find('=');
      line.kind = TextLine::Key;
      line.name = Trimmed(content.substr(0, eq));
      line.hasValue = eq != std::string_view::npos;
    }
    lines.push_back(line);
    at = line.next;
  }
  return lines;
}

// Where a section's lines stand: its header, and one past its last line.
struct SectionLines {
  std::size_t header = 0, end = 0;
};

// The one section by that name, left empty for none; false when two have the name.
bool FindSectionLines(const std::vector<TextLine>& lines, std::string_view section,
                      std::optional<SectionLines>& found) {
  found.reset();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != TextLine::Header) continue;
    if (found && found->end == 0) found->end = i;
    if (!EqualsIgnoringAsciiCase(lines[i].name, section)) continue;
    if (found) return false;
    found = SectionLines{i, 0};
  }
  if (found && found->end == 0) found->end = lines.size();
  return true;
}

// The last line of the section that is not blank: where a new key goes.
std::size_t LastFilledLine(const std::vector<TextLine>& lines, const SectionLines& s) {
  std::size_t last = s.header;
  for (std::size_t i = s.header + 1; i < s.end; ++i)
    if (lines[i].kind != TextLine::Blank) last = i;
  return last;
}

// Lines are added with the file's own line break; a new file gets the profile functions' CRLF.
std::string_view LineBreakOf(std::string_view text) {
  std::size_t newline = text.find('\n');
  if (newline == std::string_view::npos) return "\r\n";
  return newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
}

bool PrintableAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) return false;
  return true;
}

// Names that read back as themselves from a line of their own; any other is left to the profile
// functions' own rules.
bool WritableSection(std::string_view name) {
  return !name.empty() && PrintableAscii(name) && Trimmed(name).size() == name.size() &&
         name.find(']') == std::string_view::npos;
}

bool WritableKey(std::string_view key) {
  return !key.empty() && PrintableAscii(key) && Trimmed(key).size() == key.size() &&
         key.find('=') == std::string_view::npos && key.front() != ';' && key.front() != '[';
}

bool WritableValue(std::string_view value) { return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos; }

// As the profile functions write it: blanks before the value are dropped, a read drops them too.
std::string KeyLine(std::string_view key, std::string_view value) {
  while (!value.empty() && IsIniSpace(value.front())) value.remove_prefix(1);
  std::string line;
  line.reserve(key.size() + 1 + value.size());
  line.append(key).append("=").append(value);
  return line;
}

// A new section at the end of the text, on a line of its own.
std::string WithSectionAppended(std::string_view text, std::string_view section, const std::string& keyLines,
                                std::string_view lineBreak) {
  std::string out(text);
  std::size_t bom = text.substr(0, 3) == kUtf8Bom ? 3 : 0;
  if (out.size() > bom && out.back() != '\n') out.append(lineBreak);
  out.append("[").append(section).append("]").append(lineBreak).append(keyLines);
  return out;
}

// The key lines of the section that name the key; false when another reader could take one of
// them otherwise (a name in other than ASCII letters in the section, a key without a value).
bool FindKeyLines(const std::vector<TextLine>& lines, const SectionLines& s, std::string_view key,
                  std::vector<std::size_t>& found) {
  for (std::size_t i = s.header + 1; i < s.end; ++i) {
    if (lines[i].kind != TextLine::Key) continue;
    if (HasNonAscii(lines[i].name)) return false;
    if (!EqualsIgnoringAsciiCase(lines[i].name, key)) continue;
    if (!lines[i].hasValue) return false;
    found.push_back(i);
  }
  return true;
}

}  // namespace

std::optional<std::string> SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                                       std::string_view value) {
  if (!WritableSection(section) || !WritableKey(key) || !WritableValue(value)) return std::nullopt;
  std::optional<std::vector<TextLine>> lines = SplitLines(text);
  std::optional<SectionLines> s;
  if (!lines || !FindSectionLines(*lines, section, s)) return std::nullopt;
  const std::string_view lineBreak = LineBreakOf(text);
  if (!s) return WithSectionAppended(text, section, KeyLine(key, value).append(lineBreak), lineBreak);
  std::vector<std::size_t> hits;
  if (!FindKeyLines(*lines, *s, key, hits) || hits.size() > 1) return std::nullopt;
  std::string out;
  out.reserve(text.size() + key.size() + value.size() + 3);
  if (hits.size() == 1) {
    // The line keeps its key as the file spells it and its line break.
    const TextLine& line = (*lines)[hits[0]];
    out.append(text.substr(0, line.begin)).append(KeyLine(line.name, value)).append(text.substr(line.end));
    return out;
  }
  const TextLine& last = (*lines)[LastFilledLine(*lines, *s)];
  out.append(text.substr(0, last.next));
  if (last.next == last.end) out.append(lineBreak);
  out.append(KeyLine(key, value)).append(lineBreak).append(text.substr(last.next));
  return out;
}

std::optional<std::string> ReplaceIniSection(std::string_view text, std::string_view section,
                                             const std::vector<std::pair<std::string, std::string>>& entries) {
  if (!WritableSection(section)) return std::nullopt;
  const std::string_view lineBreak = LineBreakOf(text);
  std::string keyLines;
  for (const auto& [key, value] : entries) {
    if (!WritableKey(key) || !WritableValue(value)) return std::nullopt;
    keyLines.append(KeyLine(key, value)).append(lineBreak);
  }
  std::optional<std::vector<TextLine>> lines = SplitLines(text);
  std::optional<SectionLines> s;
  if (!lines || !FindSectionLines(*lines, section, s)) return std::nullopt;
  if (!s) return WithSectionAppended(text, section, keyLines, lineBreak);
  // The new keys stand where the first old one stood, or after the section's last line that is
  // not blank; its comments and blank lines stay where they are.
  std::optional<std::size_t> firstKey;
  for (std::size_t i = s->header + 1; i < s->end && !firstKey; ++i)
    if ((*lines)[i].kind == TextLine::Key) firstKey = i;
  const std::size_t after = firstKey ? s->end : LastFilledLine(*lines, *s);
  std::string out(text.substr(0, (*lines)[s->header].begin));
  out.reserve(text.size() + keyLines.size());
  for (std::size_t i = s->header; i < s->end; ++i) {
    const TextLine& line = (*lines)[i];
    if (line.kind == TextLine::Key) {
      if (i == firstKey) out.append(keyLines);
      continue;
    }
    out.append(text.substr(line.begin, line.next - line.begin));
    if (i == after && !keyLines.empty()) {
      if (line.next == line.end) out.append(lineBreak);
      out.append(keyLines);
    }
  }
  out.append(text.substr(s->end < lines->size() ? (*lines)[s->end].begin : text.size()));
  return out;
}

std::optional<int> ParseSettingsInteger(std::string_view text) {
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (!s.empty() && s.front() == '$') {
    // Hexadecimal values cover the whole 32-bit word, as colours written by hand may.
    auto v = ParseDigits(s.substr(1), 16);
    if (!v) return std::nullopt;
    std::int32_t r = static_cast<std::int32_t>(*v);
    return negative ? static_cast<int>(0u - static_cast<std::uint32_t>(r)) : r;
  }
  if (s.size() >= 3 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    auto v = ParseDigits(s.substr(2), 16);
    if (!v) return std::nullopt;
    std::int32_t r = static_cast<std::int32_t>(*v);
    return negative ? static_cast<int>(0u - static_cast<std::uint32_t>(r)) : r;
  }
  auto v = ParseDigits(s, 10);
  if (!v) return std::nullopt;
  std::int64_t signedValue = negative ? -static_cast<std::int64_t>(*v) : static_cast<std::int64_t>(*v);
  if (signedValue < INT32_MIN || signedValue > INT32_MAX) return std::nullopt;
  return static_cast<int>(signedValue);
}

SettingsFile::SettingsFile(SettingsStore& store, const std::string& directory, const std::string& exeDir)
    : store_(store),
      exeDir_(paths::WithTrailingBackslash(exeDir.empty() ? directory : exeDir)),
      path_(paths::WithTrailingBackslash(directory) + kSettingsFileName) {}

const IniIndex* SettingsFile::snapshot() {
  if (!batched_) return nullptr;
  if (!snapshot_) {
    snapshot_ = store_.text(path_);
    if (snapshot_) index_.emplace(*snapshot_);
  }
  // A file that cannot be read is no file the profile functions would find empty.
  return index_ ? &*index_ : nullptr;
}

IniLookup SettingsFile::lookUp(const std::string& section, const std::string& key) {
  const IniIndex* index = snapshot();
  return index ? index->lookUp(section, key) : IniLookup{};
}

std::vector<std::pair<std::string, std::string>> SettingsFile::entries(const std::string& section) {
  if (const IniIndex* index = snapshot())
    if (auto known = index->entries(section)) return *known;
  return store_.entries(path_, section);
}

std::string SettingsFile::readString(const std::string& section, const std::string& key,
                                     const std::string& def) {
  IniLookup known = lookUp(section, key);
  if (known.kind == IniLookup::Found) return known.value;
  if (known.kind == IniLookup::Absent) return def;
  return store_.get(path_, section, key, def);
}

int SettingsFile::readInteger(const std::string& section, const std::string& key, int def) {
  std::string text = readString(section, key, "");
  return ParseSettingsInteger(text).value_or(def);
}

bool SettingsFile::readBool(const std::string& section, const std::string& key, bool def) {
  return readInteger(section, key, def ? 1 : 0) != 0;
}

void SettingsFile::writeString(const std::string& section, const std::string& key,
                               const std::string& value) {
  // Every write rewrites the whole file, which with thousands of targets is most of a close: a
  // value the file already holds is not written again. The stand-in for "absent" holds a
  // control character, which no value Kest writes does.
  static const std::string kAbsent("\x01<absent>\x01");
  if (value != kAbsent && readString(section, key, kAbsent) == value) return;
  writeText([&](std::string_view text) { return SetIniValue(text, section, key, value); },
            [&] { return store_.put(path_, section, key, value); });
}

void SettingsFile::writeInteger(const std::string& section, const std::string& key, int value) {
  writeString(section, key, std::to_string(value));
}

void SettingsFile::writeBool(const std::string& section, const std::string& key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

void SettingsFile::replaceSection(const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& entries) {
  writeText([&](std::string_view text) { return ReplaceIniSection(text, section, entries); },
            [&] { return store_.replaceSection(path_, section, entries); });
}

void SettingsFile::writeText(const std::function<std::optional<std::string>(std::string_view)>& edit,
                             const std::function<bool()>& profileWrite) {
  forgetSnapshot();
  // The text is edited here and replaced whole; only a text the edits cannot take apart surely
  // is left to the profile functions' own write.
  SettingsStore::TextWrite done = store_.rewrite(path_, edit);
  if (done == SettingsStore::TextWrite::Written) return;
  if (done == SettingsStore::TextWrite::Refused || !profileWrite()) throw KestError("Unable to write to " + path_);
}

std::string SettingsFile::readLastDir() {
  return readString(kOptionsSection, opt::LastDir.name, paths::WithoutTrailingBackslash(exeDir_));
}

char SettingsFile::readDriveLetter() {
  std::string drive = read(opt::Drive);
  if (drive == "Z" || drive.empty()) {
    std::string exeDrive = paths::DriveOf(exeDir_);
    return exeDrive.empty() ? 'C' : exeDrive[0];
  }
  return drive[0];
}

}  // namespace kest
