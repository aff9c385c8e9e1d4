#include "core/settings_file.h"

#include <cstdint>

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

// ASCII names only: a name with other letters is left to the profile functions' own rules.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Longer values are cut by the profile read's buffer.
constexpr std::size_t kLongestLookedUpValue = 2047;

}  // namespace

IniIndex::IniIndex(std::string_view text) {
  // What another reader could take apart otherwise: a zero byte, a lone carriage return, a
  // UTF-16 file, a section name with other than ASCII letters or brackets out of place.
  if (text.find('\0') != std::string_view::npos) sure_ = false;
  for (std::size_t at = text.find('\r'); sure_ && at != std::string_view::npos; at = text.find('\r', at + 1))
    if (at + 1 >= text.size() || text[at + 1] != '\n') sure_ = false;
  if (text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF')))
    sure_ = false;
  if (!sure_) return;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  Section* current = nullptr;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty()) continue;
    if (line.front() == '[') {
      std::size_t close = line.rfind(']');
      if (close == std::string_view::npos || line.find(']') != close) {
        sure_ = false;
        return;
      }
      std::string_view name = Trimmed(line.substr(1, close - 1));
      if (HasNonAscii(name)) {
        sure_ = false;
        return;
      }
      current = &sections_.emplace_back();
      current->name = name;
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
    if (!SameName(s.name, section)) continue;
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
    if (line.comment || !SameName(line.key, key)) continue;
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

IniLookup LookUpIniValue(std::string_view text, std::string_view section, std::string_view key) {
  return IniIndex(text).lookUp(section, key);
}

std::optional<std::vector<std::pair<std::string, std::string>>> IniSectionEntries(std::string_view text,
                                                                                  std::string_view section) {
  return IniIndex(text).entries(section);
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

SettingsFile::SettingsFile(SettingsStore& store, const std::string& directory)
    : store_(store),
      directory_(paths::WithTrailingBackslash(directory)),
      path_(directory_ + kSettingsFileName) {}

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
  // Every private-profile write rewrites the whole file, which with thousands of targets is
  // most of a close: a value the file already holds is not written again. The stand-in for
  // "absent" holds a control character, which no value Kest writes does.
  static const std::string kAbsent("\x01<absent>\x01");
  if (value != kAbsent && readString(section, key, kAbsent) == value) return;
  forgetSnapshot();
  if (!store_.put(path_, section, key, value)) throw KestError("Unable to write to " + path_);
}

void SettingsFile::writeInteger(const std::string& section, const std::string& key, int value) {
  writeString(section, key, std::to_string(value));
}

void SettingsFile::writeBool(const std::string& section, const std::string& key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

void SettingsFile::deleteKey(const std::string& section, const std::string& key) {
  forgetSnapshot();
  if (!store_.remove(path_, section, key)) throw KestError("Unable to write to " + path_);
}

void SettingsFile::replaceSection(const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& entries) {
  forgetSnapshot();
  if (!store_.replaceSection(path_, section, entries)) throw KestError("Unable to write to " + path_);
}

std::string SettingsFile::readLastDir() {
  return readString(kOptionsSection, opt::LastDir.name, paths::WithoutTrailingBackslash(directory_));
}

char SettingsFile::readDriveLetter() {
  std::string drive = read(opt::Drive);
  if (drive == "Z" || drive.empty()) {
    std::string exeDrive = paths::DriveOf(directory_);
    return exeDrive.empty() ? 'C' : exeDrive[0];
  }
  return drive[0];
}

}  // namespace kest
