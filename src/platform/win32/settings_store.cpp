#include "platform/win32/settings_store.h"

#include <windows.h>

#include <cstring>
#include <functional>

#include "platform/file_saves.h"
#include "platform/utf8.h"
#include "platform/win32/file_system.h"
#include "platform/win32/text_encoding.h"

namespace kest::win32 {

namespace {

// A read returns at most this many characters.
constexpr DWORD kProfileValueMax = 2047;

// One settings write at a time in this process, from its read to its move; another copy of Kest
// writes through a temporary file of its own name, so no two writers ever share one.
std::mutex& SettingsWriteLock() {
  static std::mutex lock;
  return lock;
}

// The bytes go to a temporary file and are flushed, then that file takes the settings file's
// place in one step, the file staying what it is (file_saves.h); a failure leaves it as it was.
bool SaveSettingsFile(const std::string& file, const std::string& bytes) {
  Win32FileSystem fs;
  return SaveFileKeepingWhatItIs(fs, file, bytes);
}

// The file's bytes, none for a file not made yet; nothing when it is there but cannot be read,
// or its directory is missing.
std::optional<std::string> SettingsFileBytes(const std::string& file) {
  if (std::optional<std::string> bytes = ReadWholeFile(file)) return bytes;
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
    return std::string();
  return std::nullopt;
}

// A write the profile functions make themselves, on a copy of the file beside it, whose bytes
// are then saved as every other write is: the functions would write the file in place, where a
// cut write leaves it cut and a link or a hard link of it would not be kept. A folder that takes
// no new file leaves the functions to write the file itself, the one way left.
bool ThroughProfileCopy(const std::string& file, const std::function<bool(const std::string& copy)>& write) {
  std::lock_guard<std::mutex> writing(SettingsWriteLock());
  std::optional<std::string> bytes = SettingsFileBytes(file);
  if (!bytes) return false;
  Win32FileSystem fs;
  const std::string copy = fs.linkTarget(file) + "." + std::to_string(GetCurrentProcessId()) + ".profile";
  if (!fs.writeFile(copy, *bytes)) {
    const DWORD error = GetLastError();
    DeleteFileA(copy.c_str());
    return error == ERROR_ACCESS_DENIED && write(file);
  }
  const bool written = write(copy);
  // Wine keeps its parse of a profile file: it lets go of the copy's, which no other write reads.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy.c_str());
  std::optional<std::string> result = written ? ReadWholeFile(copy) : std::nullopt;
  DeleteFileA(copy.c_str());
  return result && SaveSettingsFile(file, *result);
}

}  // namespace

void ProfileSettingsStore::TakeLegacyLines(const std::string& file) {
  // Where the manifest's UTF-8 is ignored, the profile functions read the system's code page
  // as they always did.
  if (!takeLegacyLines_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (checked_.count(file)) return;
  }
  std::lock_guard<std::mutex> writing(SettingsWriteLock());
  std::optional<std::string> read = ReadWholeFile(file);
  if (!read) return;
  const std::string& bytes = *read;
  // A UTF-16 file carries its own encoding, and one in UTF-8 is read whole already.
  const bool utf16 =
      bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
  if (!utf16 && !utf8::IsValid(bytes)) {
    const unsigned cp = LegacyAnsiCodePage();
    if (!SaveSettingsFile(file, utf8::LegacyLinesToUtf8(bytes, [cp](std::string_view line) { return LegacyToUtf8(line, cp); })))
      return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  checked_.insert(file);
}

SettingsStore::TextWrite ProfileSettingsStore::rewrite(
    const std::string& file, const std::function<std::optional<std::string>(std::string_view)>& edit) {
  TakeLegacyLines(file);
  std::lock_guard<std::mutex> writing(SettingsWriteLock());
  std::optional<std::string> text = SettingsFileBytes(file);
  if (!text) return TextWrite::Refused;
  std::optional<std::string> next = edit(*text);
  if (!next) return TextWrite::NotTaken;
  // Nothing to change (a key deleted that is not there): the file is left alone, not made.
  if (*next == *text) return TextWrite::Written;
  return SaveSettingsFile(file, *next) ? TextWrite::Written : TextWrite::Refused;
}

std::string ProfileSettingsStore::get(const std::string& file, const std::string& section,
                                      const std::string& key, const std::string& def) {
  TakeLegacyLines(file);
  std::vector<char> buffer(kProfileValueMax + 1, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer.data(),
                                     static_cast<DWORD>(buffer.size()), file.c_str());
  return std::string(buffer.data(), n);
}

bool ProfileSettingsStore::put(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& value) {
  TakeLegacyLines(file);
  return ThroughProfileCopy(file, [&](const std::string& copy) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), copy.c_str()) != FALSE;
  });
}

bool ProfileSettingsStore::replaceSection(const std::string& file, const std::string& section,
                                          const std::vector<std::pair<std::string, std::string>>& entries) {
  TakeLegacyLines(file);
  std::string block;
  for (const auto& [key, value] : entries) {
    block += key + "=" + value;
    block += '\0';
  }
  block += '\0';
  return ThroughProfileCopy(file, [&](const std::string& copy) {
    return WritePrivateProfileSectionA(section.c_str(), block.c_str(), copy.c_str()) != FALSE;
  });
}

std::optional<std::string> ProfileSettingsStore::text(const std::string& file) {
  TakeLegacyLines(file);
  return ReadWholeFile(file);
}

std::vector<std::pair<std::string, std::string>> ProfileSettingsStore::entries(const std::string& file,
                                                                              const std::string& section) {
  TakeLegacyLines(file);
  // "key=value" lines, each ended by a zero; a full buffer asks for a bigger one.
  std::vector<char> buffer(16384);
  DWORD n = 0;
  for (;;) {
    n = GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    if (n + 2 < buffer.size() || buffer.size() >= (64u << 20)) break;
    buffer.resize(buffer.size() * 4);
  }
  std::vector<std::pair<std::string, std::string>> found;
  for (const char* p = buffer.data(); p < buffer.data() + n && *p; p += std::strlen(p) + 1) {
    std::string line = p;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = line.substr(eq + 1);
    // As a single read gives it: a value in a pair of matching quotes comes without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    found.emplace_back(line.substr(0, eq), value);
  }
  return found;
}

}  // namespace kest::win32
