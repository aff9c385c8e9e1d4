#include "platform/file_saves.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/paths.h"
#include "platform/types.h"

namespace kest {

namespace {

constexpr unsigned kAccessDenied = 5;
constexpr const char* kSaving = ".saving";
constexpr const char* kRecover = ".recover";
// The profile functions' copy of Tools.ini (settings_store.cpp).
constexpr const char* kProfileCopy = ".profile";

std::string Tagged(const std::string& file, unsigned processId, const char* suffix) {
  return file + "." + std::to_string(processId) + suffix;
}

// In place, after the old bytes are kept whole beside the file.
bool SaveInPlace(FileSystem& fs, const std::string& file, const std::string& bytes) {
  const std::optional<std::string> old = fs.readFile(file);
  if (!old) return false;
  const unsigned id = fs.processId();
  const std::string saving = SavingFileOf(file, id), recovery = RecoveryFileOf(file, id);
  if (!fs.writeFile(saving, *old) || !fs.moveFile(saving, recovery)) {
    const unsigned error = fs.lastError();
    fs.deleteFile(saving);
    // A folder that takes no new file: the write in place is all there is.
    return error == kAccessDenied && fs.overwriteFile(file, bytes);
  }
  if (fs.overwriteFile(file, bytes)) {
    fs.deleteFile(recovery);
    return true;
  }
  // A full disk, say: the old bytes go back, and their copy stays where even that fails.
  if (fs.overwriteFile(file, *old)) fs.deleteFile(recovery);
  return false;
}

// The process id and what is left when the name is "<file>.<id><suffix>".
std::optional<std::pair<std::string, unsigned>> TaggedName(const std::string& name, const std::string& suffix) {
  if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return std::nullopt;
  const std::string rest = name.substr(0, name.size() - suffix.size());
  const std::size_t dot = rest.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == rest.size() || rest.size() - dot > 11) return std::nullopt;
  unsigned long long id = 0;
  for (std::size_t i = dot + 1; i < rest.size(); ++i) {
    if (rest[i] < '0' || rest[i] > '9') return std::nullopt;
    id = id * 10 + static_cast<unsigned>(rest[i] - '0');
  }
  if (id > 0xFFFFFFFFull) return std::nullopt;
  // Only what Kest saves there: Tools.ini and the notes; a file of the user's stays.
  const std::string file = rest.substr(0, dot);
  const std::string ext = AsciiLowered(paths::ExtensionOf(file));
  if (ext != ".ini" && ext != ".txt" && ext != ".rtf") return std::nullopt;
  return std::make_pair(file, static_cast<unsigned>(id));
}

}  // namespace

std::string SavingFileOf(const std::string& file, unsigned processId) { return Tagged(file, processId, kSaving); }
std::string RecoveryFileOf(const std::string& file, unsigned processId) { return Tagged(file, processId, kRecover); }

bool SaveFileKeepingWhatItIs(FileSystem& fs, const std::string& path, const std::string& bytes) {
  const std::string file = fs.linkTarget(path);
  if (fs.nameCount(file) > 1) return SaveInPlace(fs, file, bytes);
  const std::string saving = SavingFileOf(file, fs.processId());
  if (!fs.writeFile(saving, bytes)) {
    const unsigned error = fs.lastError();
    fs.deleteFile(saving);
    return error == kAccessDenied && fs.fileExists(file) && fs.overwriteFile(file, bytes);
  }
  if (fs.replaceFile(saving, file)) return true;
  fs.deleteFile(saving);
  return false;
}

void RecoverCutSaves(FileSystem& fs, const std::string& directory, const std::function<bool(unsigned id)>& running) {
  const std::unique_ptr<DirListing> listing = fs.list(directory);
  if (!listing) return;
  const std::string dir = paths::WithTrailingBackslash(directory);
  const unsigned self = fs.processId();
  auto gone = [&](unsigned id) { return id == self || !running(id); };
  DirEntry entry;
  std::vector<std::pair<std::string, std::string>> restore;  // the file, its recovery copy
  std::vector<std::string> remove;
  while (listing->next(entry)) {
    if (entry.attributes & kAttrDirectory) continue;
    for (const char* suffix : {kSaving, kProfileCopy}) {
      auto tagged = TaggedName(entry.name, suffix);
      if (tagged && gone(tagged->second)) remove.push_back(dir + entry.name);
    }
    auto tagged = TaggedName(entry.name, kRecover);
    if (tagged && gone(tagged->second)) restore.emplace_back(dir + tagged->first, dir + entry.name);
  }
  for (const std::string& file : remove) fs.deleteFile(file);
  for (const auto& [file, recovery] : restore) {
    std::optional<std::string> old = fs.readFile(recovery);
    if (old && fs.fileExists(file) && fs.overwriteFile(file, *old)) fs.deleteFile(recovery);
  }
}

}  // namespace kest
