#pragma once
// ToolShelf: the tools side of the program, apart from any window: the catalog cache and its
// read-ahead, the tools menus and the icon bar built from the catalog, and launching, with the
// targets' facts that choose which of a pair of tools runs (shared with the target list's
// tooltip, so a file is read once for both). The entry owns it; the main window shows its menus,
// and the mini window and the find box use it through the ToolBox role.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalog/catalog_cache.h"
#include "catalog/launch.h"
#include "state/app_context.h"
#include "state/window_roles.h"
#include "targets/facts_reader.h"
#include "windows/catalog_menus.h"

namespace kest {

class ToolShelf final : public ToolBox {
 public:
  explicit ToolShelf(AppContext& ctx) : ctx_(ctx), facts_(ctx.files, nullptr) {}
  ToolShelf(const ToolShelf&) = delete;
  ToolShelf& operator=(const ToolShelf&) = delete;
  // The read-ahead stops before the cache goes.
  ~ToolShelf() override { readAhead_.Stop(); }

  // The window that owns the questions, the menus and the icon bar, and what a launch may ask of
  // it: a command line to edit (Ctrl held), and a tool that started ("MinToolsRun").
  struct Owner {
    HWND window = nullptr;
    std::function<void(const std::string& line, const std::string& directory)> editCommandLine;
    std::function<void()> toolStarted;
  };
  void SetOwner(Owner owner) { owner_ = std::move(owner); }
  // The menus with the default tool image (copied) at the owner's small icon size.
  void MakeMenus(HICON defaultIcon, int iconSide);
  CatalogMenus* Menus() const { return menus_.get(); }

  // Rebuilds both tools menus from the catalog when they are out of date.
  void FillMenusWhenOutOfDate();
  // Before a tools menu opens on a target: each pair's entry says whether its twin will run.
  void ShowPairChoice(ToolMenu which, const std::string& target);
  // What the targets are, read once per file and version of it.
  FactsReader& TargetFacts() { return facts_; }
  // Rebuilds the icon bar's buttons on the toolbar.
  void FillIconBar(HWND toolbar);
  // Reads the catalog ahead of the first menu, on a thread of its own.
  void StartReadAhead();
  // What launches take: the program's services, the work drive, the owner for the questions.
  LaunchServices Launching();

  // A tool of a tools menu (or of the find box) on the target the menu had when it opened.
  void LaunchAsMenu(const std::string& shortcutFile, const std::string& twin, const std::string& target,
                    bool commandLineEditing) override;
  // A tool button on the current target.
  void LaunchAsButton(const std::string& shortcutFile, const std::string& twin) override;
  std::string ToolProgram(const std::string& shortcutFile) override;
  std::shared_ptr<const IconPixels> ToolIcon(const std::string& program, int side) override;
  std::vector<ToolSearchEntry> CatalogTools() override;

 private:
  // One walk of the catalog, its tool checks and a round of the catalog cache around rebuild.
  void RebuildFromRoot(const std::function<void(const std::vector<WalkEvent>&, ToolChecker&)>& rebuild);
  CatalogMenus::CachedIcon CachedIcons();
  // Whether the target runs as 32-bit x86, from its facts as they are now.
  bool X86Target(const std::string& target);
  // The file of a tool (or of its twin) that runs on the target.
  std::string FileToRun(const std::string& shortcutFile, const std::string& twin, const std::string& target);

  AppContext& ctx_;
  FactsReader facts_;
  Owner owner_;
  std::unique_ptr<CatalogMenus> menus_;
  CatalogCache cache_;
  ReadAheadThread readAhead_;  // after the cache, so that it stops first
};

}  // namespace kest
