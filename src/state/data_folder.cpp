#include "state/data_folder.h"

#include "catalog/tool_catalog.h"
#include "core/settings_file.h"
#include "platform/ascii_case.h"
#include "platform/types.h"

namespace kest {

namespace {

constexpr std::uint32_t kAttrNormal = 0x80;
constexpr std::uint32_t kAttrReparsePoint = 0x400;
// As deep as a catalog folder is ever deleted; a deeper one is not copied and the fill fails.
constexpr int kDeepestCopied = 130;

bool EndsWithIgnoringAsciiCase(std::string_view name, std::string_view end) {
  return name.size() > end.size() && EqualsIgnoringAsciiCase(name.substr(name.size() - end.size()), end);
}

bool IsDot(const std::string& name) { return name == "." || name == ".."; }

bool IsEmptyDirectory(FileSystem& fs, const std::string& dir) {
  auto listing = fs.list(dir);
  if (!listing) return false;
  DirEntry e;
  while (listing->next(e))
    if (!IsDot(e.name)) return false;
  return true;
}

class Filler {
 public:
  explicit Filler(FileSystem& fs) : fs_(fs) {}

  void copyFile(const std::string& from, const std::string& to) {
    if (fs_.copyFile(from, to, false)) return;
    // A read-only copy that a fill cut short left behind refuses to be copied over.
    if (fs_.fileExists(to) && fs_.setAttributes(to, kAttrNormal) && fs_.copyFile(from, to, false)) return;
    failed.push_back(from);
  }

  void copyTree(const std::string& from, const std::string& to, int depth) {
    if (depth > kDeepestCopied || (!fs_.createDirectory(to) && !IsDirectory(fs_.attributes(to)))) {
      failed.push_back(from);
      return;
    }
    auto listing = fs_.list(from);
    if (!listing) {
      failed.push_back(from);
      return;
    }
    DirEntry e;
    while (listing->next(e)) {
      if (IsDot(e.name)) continue;
      const std::string source = from + "\\" + e.name;
      const std::string copy = to + "\\" + e.name;
      if (!IsDirectory(e.attributes)) {
        copyFile(source, copy);
      } else if (!(e.attributes & kAttrReparsePoint)) {
        copyTree(source, copy, depth + 1);
        // The catalog walk tells folders by their whole attribute word: a hidden folder stays
        // hidden, and so left out of the menus.
        if (e.attributes != kAttrDirectory) fs_.setAttributes(copy, e.attributes & ~kAttrDirectory);
      }
    }
  }

  std::vector<std::string> failed;

 private:
  FileSystem& fs_;
};

// Whether an earlier run left anything beside the executable to copy.
bool HoldsEarlierFiles(FileSystem& fs, const std::string& exeDir) {
  if (fs.fileExists(exeDir + kSettingsFileName)) return true;
  const std::string root = ToolCatalog::RootOf(exeDir);
  if (IsDirectory(fs.attributes(root)) && !IsEmptyDirectory(fs, root)) return true;
  auto listing = fs.list(exeDir);
  DirEntry e;
  while (listing && listing->next(e))
    if (!IsDirectory(e.attributes) && IsNoteFileName(e.name)) return true;
  return false;
}

}  // namespace

bool IsNoteFileName(std::string_view name) {
  for (const char* shipped : kShippedBesideKest)
    if (EqualsIgnoringAsciiCase(name, shipped)) return false;
  return EndsWithIgnoringAsciiCase(name, ".txt") || EndsWithIgnoringAsciiCase(name, ".note.rtf") ||
         EqualsIgnoringAsciiCase(name, kScratchNoteName);
}

DataFolderChoice ChooseDataFolder(FileSystem& fs, const std::string& exeDir) {
  const std::string data = exeDir + kDataFolderName;
  if (!IsDirectory(fs.attributes(data))) return {exeDir, false};
  DataFolderChoice choice{data + "\\", false};
  // A folder that cannot be looked into is left as it is: Kest's own reads and writes there
  // tell the user, and nothing lands beside the executable instead.
  auto listing = fs.list(data);
  if (!listing) return choice;
  bool holdsKestFiles = false;
  DirEntry e;
  while (listing->next(e)) {
    if (IsDot(e.name)) continue;
    if (EqualsIgnoringAsciiCase(e.name, kFillUnfinishedName)) return {choice.dir, true};
    const bool emptyRoot = IsDirectory(e.attributes) && EqualsIgnoringAsciiCase(e.name, "root") &&
                           IsEmptyDirectory(fs, ToolCatalog::RootOf(choice.dir));
    if (!emptyRoot) holdsKestFiles = true;
  }
  choice.fill = !holdsKestFiles;
  return choice;
}

std::vector<std::string> FillDataFolder(FileSystem& fs, const std::string& exeDir, const std::string& dataDir) {
  const std::string mark = dataDir + kFillUnfinishedName;
  // Nothing to copy, nothing written: a package unpacked on a medium that cannot be written
  // starts as it did.
  if (!fs.fileExists(mark) && !HoldsEarlierFiles(fs, exeDir)) return {};
  if (!fs.writeFile(mark, "")) return {mark};
  Filler filler(fs);
  const std::string settings = exeDir + kSettingsFileName;
  if (fs.fileExists(settings)) filler.copyFile(settings, dataDir + kSettingsFileName);
  if (auto listing = fs.list(exeDir)) {
    DirEntry e;
    while (listing->next(e))
      if (!IsDirectory(e.attributes) && IsNoteFileName(e.name)) filler.copyFile(exeDir + e.name, dataDir + e.name);
  }
  const std::string root = ToolCatalog::RootOf(exeDir);
  if (IsDirectory(fs.attributes(root))) filler.copyTree(root, ToolCatalog::RootOf(dataDir), 0);
  // The mark stays while anything is missing: the next start copies again from the originals,
  // where this run keeps its files meanwhile; nothing is kept in the data folder before then.
  if (filler.failed.empty() && !fs.deleteFile(mark)) filler.failed.push_back(mark);
  return filler.failed;
}

DataLocation PrepareDataFolder(FileSystem& fs, const std::string& exeDir) {
  DataFolderChoice choice = ChooseDataFolder(fs, exeDir);
  if (!choice.fill) return {choice.dir, {}};
  std::vector<std::string> failed = FillDataFolder(fs, exeDir, choice.dir);
  if (failed.empty()) return {choice.dir, {}};
  return {exeDir, std::move(failed)};
}

std::string DataFillFailedText(const std::string& dataDir) {
  return "Kest could not copy its files into " + dataDir +
         ", so this run keeps them beside the program, where they are, and the next start tries again. "
         "What could not be copied:";
}

}  // namespace kest
