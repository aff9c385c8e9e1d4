// Typed reads of Tools.ini: the integer syntax over any text, and SettingsFile over a file
// whose first line is the executable's directory and whose other lines are its sections.
#include <climits>
#include <optional>

#include "core/settings_file.h"
#include "fuzz/fuzz_support.h"

using namespace kest;

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The integer syntax written out a second way, on a wide integer that cannot overflow.
std::optional<int> ReferenceInteger(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() >= 3 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  __int128 v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0 || d >= base) return std::nullopt;
    v = v * base + d;
    if (v > 0xFFFFFFFFll) return std::nullopt;
  }
  if (base == 16) {
    // The whole 32-bit word, negated in that word when signed so.
    std::uint32_t word = static_cast<std::uint32_t>(v);
    if (negative) word = 0u - word;
    return static_cast<int>(word);
  }
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return std::nullopt;
  return static_cast<int>(v);
}

void CheckInteger(std::string_view text) {
  const std::optional<int> v = ParseSettingsInteger(text);
  KEST_FUZZ_CHECK(v == ReferenceInteger(text));
  // What writeInteger stores reads back as the same number.
  if (v) KEST_FUZZ_CHECK(ParseSettingsInteger(std::to_string(*v)) == v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  CheckInteger(text);

  const std::vector<std::string> lines = fuzz::Lines(text);
  fuzz::ProfileStore store;
  store.fill(lines, 1, kOptionsSection);
  SettingsFile settings(store, lines[0]);

  // Every key of [Options] through its descriptor.
  for (const BoolKey& k : {opt::StOnTop, opt::NoMoreOneCopy, opt::MinToolsRun, opt::CheckDrive, opt::ShEx,
                           opt::IMOnStart, opt::Minimized, opt::KFSOpened})
    settings.read(k);
  for (const IntKey& k : {opt::abValue, opt::Col1, opt::Col2, opt::Col3, opt::NMLeft, opt::NMTop, opt::NMHeight,
                          opt::NMWidth, opt::IMLeft, opt::IMTop, opt::IMWidth, opt::IMHeight, opt::KFSLeft,
                          opt::KFSTop, opt::KFSWidth, opt::KFSHeight})
    settings.read(k);
  for (const StringKey& k : {opt::LastDir, opt::Drive, opt::hlp}) settings.read(k);
  settings.readLastDir();
  settings.readDriveLetter();

  // Every stored key read as each type: the integer read is the parse or the default, and a
  // number written back reads as itself.
  for (const auto& [sectionName, section] : fuzz::ProfileStore(store).sections) {
    for (const auto& [key, value] : section) {
      CheckInteger(value);
      KEST_FUZZ_CHECK(settings.readString(sectionName, key, "?") == value);
      const int n = settings.readInteger(sectionName, key, 12345);
      KEST_FUZZ_CHECK(n == ParseSettingsInteger(value).value_or(12345));
      KEST_FUZZ_CHECK(settings.readBool(sectionName, key, true) == (ParseSettingsInteger(value).value_or(1) != 0));
      settings.writeInteger(sectionName, key, n);
      KEST_FUZZ_CHECK(settings.readInteger(sectionName, key, 12345 ^ n) == n);
      settings.writeBool(sectionName, key, n & 1);
      KEST_FUZZ_CHECK(settings.readBool(sectionName, key, !(n & 1)) == static_cast<bool>(n & 1));
    }
  }
  return 0;
}
