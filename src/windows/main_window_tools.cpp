// The main window's tools: the menus and the icon bar built from the catalog through the catalog
// cache and its read-ahead, launching, and what the find box asks of the main window.
#include "catalog/shortcuts.h"
#include "catalog/tool_catalog.h"
#include "catalog/tool_search.h"
#include "kit/dpi.h"
#include "windows/main_window.h"
#include "core/window_ids.h"

namespace kest {

void MainWindow::ShowToolsMenu(POINT screen) {
  // Bring the current target in line with the press that opened the menu; what the menu acts on
  // is taken now, before the rebuild's questions give a forwarded file the chance to come in.
  auto selected = targetList_.SelectedEntry();
  state_.SetCurrentTargetFromSelection(selected);
  const std::string target = state_.currentTarget();
  const auto entry = targetList_.FocusedRef();
  if (state_.menusOutOfDate) FillMenuFromRoot();
  // The entry commands are there only while an entry is selected.
  menus_->SetFixedItemsVisible(ToolMenu::Targets, selected.has_value());
  HMENU menu = menus_->Menu(ToolMenu::Targets);
  if (GetMenuItemCount(menu) > 0) RunMenuCommand(PickFromPopupMenu(hwnd(), menu, screen), target, entry);
}

void MainWindow::RunMenuCommand(int id, const std::string& target,
                                const std::optional<TargetListView::EntryRef>& entry) {
  switch (id) {
    case 0:
      return;
    case ids::copyPath:
      targetList_.CopyPath(entry);
      return;
    case ids::deleteTarget:
      targetList_.DeleteEntry(entry);
      return;
    case ids::properties:
      targetList_.ShowProperties(entry);
      return;
    default:
      break;
  }
  if (const std::string* file = menus_ ? menus_->ToolFile(id) : nullptr) {
    const std::string copy = *file;  // the launch's questions run a message loop
    LaunchMenuTool(copy, target);
    return;
  }
  OnCommand(id, 0, nullptr);
}

void MainWindow::RebuildFromRoot(const std::function<void(const std::vector<WalkEvent>&, ToolChecker&)>& rebuild) {
  // A read-ahead still at work ends after the file it is on; what it has read is used and the
  // rest is read here, so an early menu costs no more than it would without it.
  readAhead_.Stop();
  auto events = RecordWalk(ctx_.fs, ToolCatalog::RootOf(ctx_.exeDir));
  ToolChecker checker(ctx_.fs, ctx_.links, state_.workDrive, DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, hwnd()},
                      &catalogCache_);
  catalogCache_.BeginRound();
  rebuild(events, checker);
  catalogCache_.EndRound();
  // Launching moves the current directory into the target's.
  ctx_.fs.setCurrentDirectory(ctx_.exeDir);
}

void MainWindow::FillMenuFromRoot() {
  RebuildFromRoot([this](const std::vector<WalkEvent>& events, ToolChecker& checker) {
    menus_->RebuildMenus(events, checker, CachedIcons());
  });
  state_.menusOutOfDate = false;
}

void MainWindow::FillIconBarFromRoot() {
  RebuildFromRoot([this](const std::vector<WalkEvent>& events, ToolChecker& checker) {
    menus_->RebuildIconBar(events, checker, iconBar_, CachedIcons());
  });
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  SetWindowPos(iconBar_, nullptr, 0, 0, rc.right, Scaled(24), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::StartCatalogReadAhead() {
  if (readAhead_.Started()) return;
  CatalogCache& cache = catalogCache_;
  // The icons at the size the menus take them.
  readAhead_.Start([&cache, make = ctx_.threadServices, root = ToolCatalog::RootOf(ctx_.exeDir),
                    drive = state_.workDrive,
                    side = menus_ ? menus_->IconSide() : SmallIconSize(hwnd())](const std::atomic<bool>& stop) {
    // A shell link object belongs to the thread that made it: this thread has its own.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    std::unique_ptr<ThreadServices> own = make();
    ReadCatalogAhead(cache, own->fs(), own->links(), own->icons(), root, drive, side, stop);
  });
}

std::string MainWindow::ToolProgram(const std::string& shortcutFile) {
  return OnWorkDrive(ctx_.fs, state_.workDrive, catalogCache_.ProgramOf(ctx_.fs, ctx_.links, shortcutFile));
}

std::shared_ptr<const IconPixels> MainWindow::ToolIcon(const std::string& program, int side) {
  return catalogCache_.IconOf(ctx_.fs, ctx_.icons, program, side);
}

CatalogMenus::CachedIcon MainWindow::CachedIcons() {
  return [this](const std::string& program, int side) {
    return catalogCache_.IconOf(ctx_.fs, ctx_.icons, program, side);
  };
}

LaunchServices MainWindow::Launching() {
  return LaunchServices{ctx_.fs, ctx_.links, ctx_.processes, state_.workDrive,
                        DriveSearch{ctx_.drives, ctx_.fs, ctx_.box, hwnd()}};
}

namespace {

// Shift held while a tool is chosen asks for administrator rights.
bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

}  // namespace

void MainWindow::LaunchMenuTool(const std::string& shortcutFile, const std::string& target) {
  MenuLaunch launch = LaunchFromMenu(Launching(), shortcutFile, target, state_.commandLineEditing, ShiftHeld());
  if (launch.commandLine) {
    commandLineBox_.Edit(*launch.commandLine, launch.directory, Launching());
    return;
  }
  if (launch.ran && state_.settings().read(opt::MinToolsRun)) MinimizeToTray();
}

// ---- Find box ----------------------------------------------------------------------------

void MainWindow::OnListKey(WORD key) {
  // The list notes Ctrl's press itself (commandLineEditing), as the tools menu's launch reads it.
  const bool ctrl = GetKeyState(VK_CONTROL) < 0 || state_.commandLineEditing;
  if (key != 'F' || !ctrl || GetKeyState(VK_MENU) < 0 || !findOpener_) return;
  // As the tools menu: the selected entry is the current target from the opening on.
  state_.SetCurrentTargetFromSelection(targetList_.SelectedEntry());
  findTarget_ = state_.currentTarget();
  // Ctrl is let go in the box, where the list does not hear it.
  state_.commandLineEditing = false;
  findOpener_(*this);
  // The keys go back to the list, unless the launch gave them to the command-line box or sent
  // the window to the tray.
  if (IsWindowVisible(hwnd()) && !IsIconic(hwnd()) && GetFocus() != commandLineBox_.hwnd())
    SetFocus(targetList_.hwnd());
}

std::vector<ToolSearchEntry> MainWindow::CatalogTools() {
  // The walk the menus are built from, without their shortcut reads and tool checks (the launch
  // makes those for the one tool chosen); the catalog cache is left as it is.
  return ToolSearchEntries(RecordWalk(ctx_.fs, ToolCatalog::RootOf(ctx_.exeDir)));
}

void MainWindow::LaunchCatalogTool(const std::string& shortcutFile, bool commandLineEditing) {
  state_.commandLineEditing = commandLineEditing;
  const std::string target = findTarget_;
  LaunchMenuTool(shortcutFile, target);
  // Only a command line being edited keeps the flag (the command-line box's Enter clears it).
  if (!IsWindowVisible(commandLineBox_.hwnd())) state_.commandLineEditing = false;
}

void MainWindow::LaunchIconBarTool(const IconBarButton& button) { LaunchToolOnCurrentTarget(button.file); }

void MainWindow::LaunchToolOnCurrentTarget(const std::string& shortcutFile) {
  // A copy: the drive search may ask, and a file forwarded meanwhile changes the current target.
  const std::string target = state_.currentTarget();
  LaunchFromButton(Launching(), shortcutFile, target, ShiftHeld());
}

}  // namespace kest
