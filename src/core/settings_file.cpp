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

}  // namespace

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

std::string SettingsFile::readString(const std::string& section, const std::string& key,
                                     const std::string& def) {
  return store_.get(path_, section, key, def);
}

int SettingsFile::readInteger(const std::string& section, const std::string& key, int def) {
  std::string text = store_.get(path_, section, key, "");
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
  if (value != kAbsent && store_.get(path_, section, key, kAbsent) == value) return;
  if (!store_.put(path_, section, key, value)) throw KestError("Unable to write to " + path_);
}

void SettingsFile::writeInteger(const std::string& section, const std::string& key, int value) {
  writeString(section, key, std::to_string(value));
}

void SettingsFile::writeBool(const std::string& section, const std::string& key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

void SettingsFile::deleteKey(const std::string& section, const std::string& key) {
  if (!store_.remove(path_, section, key)) throw KestError("Unable to write to " + path_);
}

void SettingsFile::replaceSection(const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& entries) {
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
