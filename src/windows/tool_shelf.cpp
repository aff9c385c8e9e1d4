#include "windows/tool_shelf.h"

#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "catalog/tool_pairs.h"
#include "catalog/tool_search.h"
#include "platform/paths.h"
#include "core/texts.h"
#include "core/window_ids.h"

namespace kest {

namespace {

// Shift held while a tool is chosen asks for administrator rights.
bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

}  // namespace

void ToolShelf::MakeMenus(HICON defaultIcon, int iconSide) {
  menus_ = std::make_unique<CatalogMenus>(
      defaultIcon,
      std::vector<FixedItem>{{0, nullptr, -1},
                             {ids::copyPath, "Copy file path", menu_image::kCopy},
                             {ids::copyHashes, "Copy hashes", menu_image::kCopy},
                             {ids::deleteTarget, "Delete", menu_image::kDelete},
                             {ids::properties, "Properties", menu_image::kProperties}},
      std::vector<FixedItem>{{0, nullptr, -1},
                             {ids::trayNotes, text::kNoteWindowCaption, -1},
                             {ids::trayRestore, "Restore", -1},
                             {ids::trayExit, "Exit", -1}},
      iconSide);
}

void ToolShelf::RebuildFromRoot(const std::function<void(const std::vector<WalkEvent>&, ToolChecker&)>& rebuild) {
  // A read-ahead still at work ends after the file it is on; what it has read is used and the
  // rest is read here, so an early menu costs no more than it would without it.
  readAhead_.Stop();
  auto events = RecordJoinedWalk(ctx_.fs, ToolCatalog::RootOf(ctx_.dataDir));
  ToolChecker checker(ctx_.fs, ctx_.links, ctx_.state.workDrive,
                      DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, owner_.window}, &cache_);
  cache_.BeginRound();
  rebuild(events, checker);
  cache_.EndRound();
  // Launching moves the current directory into the target's.
  ctx_.fs.setCurrentDirectory(ctx_.exeDir);
}

void ToolShelf::FillMenusWhenOutOfDate() {
  if (!ctx_.state.menusOutOfDate || !menus_) return;
  RebuildFromRoot([this](const std::vector<WalkEvent>& events, ToolChecker& checker) {
    menus_->RebuildMenus(events, checker, CachedIcons());
  });
  ctx_.state.menusOutOfDate = false;
}

void ToolShelf::ShowPairChoice(ToolMenu which, const std::string& target) {
  // A catalog without a pair reads no target.
  if (!menus_ || !menus_->HasPairs(which)) return;
  menus_->ShowPairChoice(which, X86Target(target));
}

bool ToolShelf::X86Target(const std::string& target) {
  // No target, or none that names one file: the tool itself.
  if (target.empty() || !paths::IsFullPath(target)) return false;
  const std::optional<FactsAnswer> answer = facts_.Await(target, kFactsPatience);
  return RunsAsX86(answer && answer->facts ? &*answer->facts : nullptr, ctx_.processes.is64BitWindows());
}

std::string ToolShelf::FileToRun(const std::string& shortcutFile, const std::string& twin, const std::string& target) {
  if (twin.empty()) return shortcutFile;
  return PairFileToRun(ctx_.fs, shortcutFile, twin, X86Target(target));
}

void ToolShelf::FillIconBar(HWND toolbar) {
  if (!menus_) return;
  RebuildFromRoot([this, toolbar](const std::vector<WalkEvent>& events, ToolChecker& checker) {
    menus_->RebuildIconBar(events, checker, toolbar, CachedIcons());
  });
}

void ToolShelf::StartReadAhead() {
  if (readAhead_.Started() || !menus_) return;
  CatalogCache& cache = cache_;
  // The icons at the size the menus take them.
  readAhead_.Start([&cache, make = ctx_.threadServices, root = ToolCatalog::RootOf(ctx_.dataDir),
                    drive = ctx_.state.workDrive, side = menus_->IconSide()](const std::atomic<bool>& stop) {
    // A shell link object belongs to the thread that made it: this thread has its own.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    std::unique_ptr<ThreadServices> own = make();
    ReadCatalogAhead(cache, own->fs(), own->links(), own->icons(), root, drive, side, stop);
  });
}

std::string ToolShelf::ToolProgram(const std::string& shortcutFile) {
  return OnWorkDrive(ctx_.fs, ctx_.state.workDrive, cache_.ProgramOf(ctx_.fs, ctx_.links, shortcutFile));
}

std::shared_ptr<const IconPixels> ToolShelf::ToolIcon(const std::string& program, int side) {
  return cache_.IconOf(ctx_.fs, ctx_.icons, program, side);
}

CatalogMenus::CachedIcon ToolShelf::CachedIcons() {
  return [this](const std::string& program, int side) { return cache_.IconOf(ctx_.fs, ctx_.icons, program, side); };
}

std::vector<ToolSearchEntry> ToolShelf::CatalogTools() {
  // The walk the menus are built from, without their shortcut reads and tool checks (the launch
  // makes those for the one tool chosen); the catalog cache is left as it is.
  return ToolSearchEntries(RecordJoinedWalk(ctx_.fs, ToolCatalog::RootOf(ctx_.dataDir)));
}

LaunchServices ToolShelf::Launching() {
  return LaunchServices{ctx_.fs, ctx_.links, ctx_.processes, ctx_.state.workDrive,
                        DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, owner_.window}};
}

void ToolShelf::LaunchAsMenu(const std::string& shortcutFile, const std::string& twin, const std::string& target,
                             bool commandLineEditing) {
  // Shift is read before the target's first bytes are: it may be let go meanwhile.
  const bool elevated = ShiftHeld();
  const std::string file = FileToRun(shortcutFile, twin, target);
  MenuLaunch launch = LaunchFromMenu(Launching(), file, target, commandLineEditing, elevated);
  if (launch.commandLine) {
    if (owner_.editCommandLine) owner_.editCommandLine(*launch.commandLine, launch.directory);
    return;
  }
  if (launch.ran && ctx_.state.settings().read(opt::MinToolsRun) && owner_.toolStarted) owner_.toolStarted();
}

void ToolShelf::LaunchAsButton(const std::string& shortcutFile, const std::string& twin) {
  // A copy: the drive search may ask, and a file forwarded meanwhile changes the current target.
  const std::string target = ctx_.state.currentTarget();
  const bool elevated = ShiftHeld();
  LaunchFromButton(Launching(), FileToRun(shortcutFile, twin, target), target, elevated);
}

}  // namespace kest
