#include "settings_ui/directory_import.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "app/texts.h"
#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "platform/paths.h"
#include "platform/types.h"

namespace kest {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

class Importer final : public CatalogVisitor {
 public:
  Importer(const ImportServices& s, std::string destination, bool askEachTool)
      : s_(s), top_(Lower(paths::WithoutTrailingBackslash(destination))), askEachTool_(askEachTool) {
    destinations_.push_back(std::move(destination));
  }

  void FolderEntered(const std::string& name, const std::string& path, int) override {
    // A destination inside the source is not walked into, nor is anything below it: it would
    // import what it creates.
    bool skip = skipping_.back() || Lower(path) == top_;
    std::string dest = destinations_.back() + name + "\\";
    if (!skip) s_.fs.createDirectory(paths::WithoutTrailingBackslash(dest));
    destinations_.push_back(dest);
    skipping_.push_back(skip);
  }

  void ToolFound(const std::string& path, const std::string& fileName, int) override {
    if (skipping_.back() || Lower(paths::ExtensionOf(fileName)) != ".exe") return;
    if (askEachTool_) {
      MbAnswer a = s_.box.ask(s_.owner, "Create link for this tool: " + fileName + "?", text::kCaptionConfirm,
                              MbButtons::YesNoCancel, MbIcon::Question);
      if (a == MbAnswer::Cancel) {
        cancelled_ = true;
        return;
      }
      if (a != MbAnswer::Yes) return;
    }
    // The shortcut is made in the current directory: where that cannot be the folder's own,
    // the rest of the branch is left alone rather than written somewhere else.
    if (!s_.fs.setCurrentDirectory(destinations_.back())) {
      skipping_.back() = true;
      return;
    }
    CreateShortcut(s_.links, s_.fs, path, fileName, "");
  }

  void FolderLeft() override {
    // A folder that got nothing is taken away again; so is a branch that yielded nothing.
    if (!skipping_.back()) s_.fs.removeDirectory(paths::WithoutTrailingBackslash(destinations_.back()));
    destinations_.pop_back();
    skipping_.pop_back();
  }

  bool Stopped() const override { return cancelled_; }

 private:
  const ImportServices& s_;
  std::string top_;
  bool askEachTool_;
  bool cancelled_ = false;
  std::vector<std::string> destinations_;  // with trailing backslash
  std::vector<bool> skipping_{false};
};

}  // namespace

std::string ImportFolderName(const std::string& source) {
  std::string dir = paths::WithTrailingBackslash(source);
  std::size_t last = dir.size() - 1;
  std::size_t before = dir.rfind('\\', last - 1);
  if (before == std::string::npos) return paths::DriveOf(dir).substr(0, 1);
  return dir.substr(before + 1, last - before - 1);
}

void ImportToolsFromDir(const ImportServices& s, std::string source, std::string destination) {
  if (s.menusOutOfDate) s.menusOutOfDate();
  source = paths::WithTrailingBackslash(source);
  destination = paths::WithTrailingBackslash(destination);
  if (source.empty() || source == "\\") {
    s.box.ask(s.owner, "Not selected source directory!", text::kCaptionError, MbButtons::Ok, MbIcon::Error);
    return;
  }
  std::string folder = ImportFolderName(source);
  MbAnswer where = s.box.ask(s.owner, "Create a new folder " + folder + " [YES] and scan or just scan from it [NO]?",
                             text::kCaptionConfirm, MbButtons::YesNoCancel, MbIcon::Question);
  if (where == MbAnswer::Cancel) return;
  // Shortcuts must land in the catalog, not wherever the current directory happens to be:
  // a missing destination (a catalog without its root yet) is made first.
  s.fs.createDirectory(paths::WithoutTrailingBackslash(destination));
  if (where == MbAnswer::Yes) {
    s.fs.createDirectory(destination + folder);
    destination += folder + "\\";
  }
  bool askEachTool = s.box.ask(s.owner, "Request to add new tool [YES] or add all automaticly [NO]?", "Need request",
                               MbButtons::YesNo, MbIcon::Question) == MbAnswer::Yes;
  Importer importer(s, destination, askEachTool);
  ToolCatalog::Walk(s.fs, paths::WithoutTrailingBackslash(source), importer);
  s.fs.setCurrentDirectory(s.exeDir);
}

DroppedKind ClassifyDropped(FileSystem& fs, const std::string& path) {
  if (IsPlainFolder(fs.attributes(path))) return DroppedKind::Directory;
  return paths::ExtensionOf(path) == ".lnk" ? DroppedKind::Shortcut : DroppedKind::File;
}

void DropToolFiles(const ImportServices& s, const std::vector<std::string>& dropped, const std::string& currentFolder,
                   const std::function<void()>& refreshViews) {
  for (const std::string& path : dropped) {
    switch (ClassifyDropped(s.fs, path)) {
      case DroppedKind::Directory: {
        MbAnswer a = s.box.ask(s.owner, "Scan from this directory here?", text::kCaptionConfirm,
                               MbButtons::YesNoCancel, MbIcon::Question);
        if (a == MbAnswer::Cancel) return;
        if (a == MbAnswer::Yes) ImportToolsFromDir(s, path, currentFolder);
        break;
      }
      case DroppedKind::Shortcut:
        // An existing shortcut of that name is never overwritten.
        s.fs.copyFile(path, currentFolder + "\\" + paths::FileNameOf(path), true);
        break;
      case DroppedKind::File:
        CreateShortcut(s.links, s.fs, path, currentFolder + "\\" + paths::FileNameOf(path), "");
        break;
    }
    if (refreshViews) refreshViews();
  }
}

}  // namespace kest
