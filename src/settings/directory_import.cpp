#include "settings/directory_import.h"

#include <vector>

#include "core/texts.h"
#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "platform/ascii_case.h"
#include "platform/paths.h"
#include "platform/types.h"
#include "settings/failure_list.h"

namespace kest {

namespace {

class Importer final : public CatalogVisitor {
 public:
  Importer(const ImportServices& s, std::string destination, bool askEachTool, std::vector<std::string>& failed)
      : s_(s), top_(AsciiLowered(paths::WithoutTrailingBackslash(destination))), askEachTool_(askEachTool), failed_(failed) {
    destinations_.push_back(std::move(destination));
  }

  void FolderEntered(const std::string& name, const std::string& path, int) override {
    // A destination inside the source is not walked into, nor is anything below it: it would
    // import what it creates.
    bool skip = skipping_.back() || AsciiLowered(path) == top_;
    std::string dest = destinations_.back() + name + "\\";
    bool made = false;
    if (!skip) {
      // A folder that was there before is used and never taken away. A name Windows would cut
      // short or take for a device lands on another folder, so that branch is left out, as is
      // one whose folder cannot be made; both are reported.
      const std::string folder = paths::WithoutTrailingBackslash(dest);
      const bool reserved = paths::IsReservedName(name);
      const bool existed = !reserved && IsDirectory(s_.fs.attributes(folder));
      made = !existed && !reserved && s_.fs.createDirectory(folder);
      if (!existed && !made) {
        failed_.push_back(folder);
        skip = true;
      }
    }
    destinations_.push_back(dest);
    skipping_.push_back(skip);
    made_.push_back(made);
  }

  void ToolFound(const std::string& path, const std::string& fileName, int) override {
    if (skipping_.back() || AsciiLowered(paths::ExtensionOf(fileName)) != ".exe") return;
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
      failed_.push_back(paths::WithoutTrailingBackslash(destinations_.back()));
      skipping_.back() = true;
      return;
    }
    if (CreateShortcut(s_.links, s_.fs, path, fileName, "").empty())
      failed_.push_back(destinations_.back() + paths::ChangeExtension(fileName, ".lnk"));
  }

  void FolderLeft() override {
    // A folder this import made that got nothing is taken away again; so is a branch that
    // yielded nothing.
    if (made_.back()) s_.fs.removeDirectory(paths::WithoutTrailingBackslash(destinations_.back()));
    destinations_.pop_back();
    skipping_.pop_back();
    made_.pop_back();
  }

  bool Stopped() const override { return cancelled_; }

 private:
  const ImportServices& s_;
  std::string top_;
  bool askEachTool_;
  bool cancelled_ = false;
  std::vector<std::string>& failed_;       // folders and shortcuts that could not be made
  std::vector<std::string> destinations_;  // with trailing backslash
  std::vector<bool> skipping_{false};
  std::vector<bool> made_{false};          // the folder was made by this import
};

// The folder exists afterwards, made now or before; a reserved name is never made.
bool EnsureFolder(FileSystem& fs, const std::string& folder) {
  if (paths::IsReservedName(paths::FileNameOf(folder))) return false;
  return IsDirectory(fs.attributes(folder)) || fs.createDirectory(folder);
}

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
  // a missing destination (a catalog without its root yet) is made first. Without it, or
  // without the new folder, nothing could be imported: that is said once and nothing is done.
  std::vector<std::string> folders{paths::WithoutTrailingBackslash(destination)};
  if (where == MbAnswer::Yes) folders.push_back(destination + folder);
  for (const std::string& f : folders) {
    if (!EnsureFolder(s.fs, f)) {
      s.box.ask(s.owner, FolderNotCreatedText(f), text::kCaptionError, MbButtons::Ok, MbIcon::Error);
      return;
    }
  }
  if (where == MbAnswer::Yes) destination += folder + "\\";
  bool askEachTool = s.box.ask(s.owner, "Request to add new tool [YES] or add all automaticly [NO]?", "Need request",
                               MbButtons::YesNo, MbIcon::Question) == MbAnswer::Yes;
  std::vector<std::string> failed;
  Importer importer(s, destination, askEachTool, failed);
  ToolCatalog::Walk(s.fs, paths::WithoutTrailingBackslash(source), importer);
  s.fs.setCurrentDirectory(s.exeDir);
  // Told once at the end, also after Cancel: a tree of locked folders is not a box per folder.
  ReportFailures(s.box, s.owner,
                 "The import could not create " + CountText(failed.size(), "catalog entry", "catalog entries") + ":",
                 failed, text::kCaptionError, MbIcon::Error);
}

DroppedKind ClassifyDropped(FileSystem& fs, const std::string& path) {
  if (IsPlainFolder(fs.attributes(path))) return DroppedKind::Directory;
  return paths::ExtensionOf(path) == ".lnk" ? DroppedKind::Shortcut : DroppedKind::File;
}

void DropToolFiles(const ImportServices& s, const std::vector<std::string>& dropped, const std::string& currentFolder,
                   const std::function<void()>& refreshViews) {
  std::vector<std::string> failed;  // the dropped paths that became no tool
  for (const std::string& path : dropped) {
    const std::string name = paths::FileNameOf(path);
    bool cancelled = false;
    switch (ClassifyDropped(s.fs, path)) {
      case DroppedKind::Directory: {
        MbAnswer a = s.box.ask(s.owner, "Scan from this directory here?", text::kCaptionConfirm,
                               MbButtons::YesNoCancel, MbIcon::Question);
        cancelled = a == MbAnswer::Cancel;
        if (a == MbAnswer::Yes) ImportToolsFromDir(s, path, currentFolder);
        break;
      }
      case DroppedKind::Shortcut: {
        // An existing shortcut of that name is never overwritten; a device name ("con.lnk")
        // would be copied onto the device.
        const std::string to = currentFolder + "\\" + name;
        if (paths::IsReservedName(name))
          failed.push_back(path);
        else if (!s.fs.copyFile(path, to, true))
          failed.push_back(s.fs.fileExists(to) ? path + " (its name is taken)" : path);
        break;
      }
      case DroppedKind::File:
        if (CreateShortcut(s.links, s.fs, path, currentFolder + "\\" + name, "").empty()) failed.push_back(path);
        break;
    }
    if (cancelled) break;
    if (refreshViews) refreshViews();
  }
  ReportFailures(s.box, s.owner,
                 "Could not make tools of " + CountText(failed.size(), "dropped file", "dropped files") + ":", failed,
                 text::kCaptionError, MbIcon::Error);
}

}  // namespace kest
