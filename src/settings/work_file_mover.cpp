#include "settings/work_file_mover.h"

#include <algorithm>

#include "core/texts.h"
#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "platform/paths.h"
#include "settings/failure_list.h"

namespace kest {

std::vector<std::string> ParseExtensionList(const std::string& text) {
  std::vector<std::string> entries;
  std::size_t star = text.find('*');
  while (star != std::string::npos) {
    std::size_t comma = text.find(',', star + 1);
    if (comma == std::string::npos) break;
    entries.push_back(text.substr(star + 1, comma - star - 1));
    star = text.find('*', comma + 1);
  }
  return entries;
}

std::string WorkFileDestination(const std::string& target, const std::string& extension) {
  return paths::ChangeExtension(target, extension);
}

bool IsUsableExtension(const std::string& extension) {
  return extension.find_first_of("\\/:") == std::string::npos && extension.find("..") == std::string::npos;
}

namespace {

class Mover final : public CatalogVisitor {
 public:
  Mover(FileSystem& fs, ShellLinks& links, const WorkDrive& drive, const std::string& target,
        const std::vector<std::string>& extensions)
      : fs_(fs), links_(links), drive_(drive), target_(target), extensions_(extensions) {}

  std::vector<std::string> failed;  // the work files that stayed where they were

  void FolderEntered(const std::string&, const std::string&, int) override {}
  void FolderLeft() override {}
  void ToolFound(const std::string& path, const std::string&, int) override {
    // A file that names no program has no tool directory: it contributes nothing, rather than
    // sending the search into whatever the current directory is.
    std::string toolDir = paths::DirectoryOf(ResolveShortcut(links_, fs_, drive_, path));
    if (toolDir.empty()) return;
    for (auto ext = extensions_.rbegin(); ext != extensions_.rend(); ++ext) {
      std::string destination = WorkFileDestination(target_, *ext);
      // Usable entries never leave the directories; checked here all the same, since a file
      // moved out of them is one the user never asked to move.
      if (paths::DirectoryOf(destination) != paths::DirectoryOf(target_)) continue;
      std::string source = toolDir + paths::FileNameOf(destination);
      // Another shortcut into the same directory would only fail again: one file, told once.
      if (std::find(failed.begin(), failed.end(), source) != failed.end()) continue;
      if (fs_.fileExists(source) && !fs_.moveFile(source, destination)) failed.push_back(source);
    }
  }

 private:
  FileSystem& fs_;
  ShellLinks& links_;
  const WorkDrive& drive_;
  const std::string& target_;
  const std::vector<std::string>& extensions_;
};

}  // namespace

void MoveWorkFiles(FileSystem& fs, ShellLinks& links, const WorkDrive& drive, const std::string& dataDir,
                   const std::string& target, const std::vector<std::string>& extensions, MsgBox& box,
                   WindowHandle owner) {
  if (target.empty()) return;
  std::vector<std::string> usable;
  for (const std::string& e : extensions)
    if (IsUsableExtension(e)) usable.push_back(e);
  Mover mover(fs, links, drive, target, usable);
  ToolCatalog::Walk(fs, ToolCatalog::RootOf(dataDir), mover);
  const std::string files = CountText(mover.failed.size(), "work file", "work files");
  ReportFailures(box, owner, "Could not move " + files + " next to " + target + ":", mover.failed,
                 text::kCaptionWarning, MbIcon::Warning);
}

}  // namespace kest
