#include "catalog/tool_menus.h"

#include <array>

#include "core/texts.h"
#include "catalog/shortcuts.h"
#include "platform/paths.h"

namespace kest {

std::string ToolNotFoundText(const std::string& fileName) {
  return "Tool [" + fileName + "] was not found!!! Run Tools Manager and delete or edit links to it!";
}

void WarnToolNotFound(const DriveSearch& search, const std::string& fileName) {
  search.box.ask(search.owner, ToolNotFoundText(fileName), text::kCaptionWarning, MbButtons::Ok, MbIcon::Error);
}

namespace {

struct Recorder final : CatalogVisitor {
  explicit Recorder(const std::atomic<bool>* stop) : stop(stop) {}
  const std::atomic<bool>* stop;
  std::vector<WalkEvent> events;
  bool Stopped() const override { return stop && *stop; }
  void FolderEntered(const std::string& name, const std::string& path, int depth) override {
    events.push_back({WalkEvent::Type::Entered, name, path, depth, {}});
  }
  void ToolFound(const std::string& path, const std::string& fileName, int depth) override {
    events.push_back({WalkEvent::Type::Tool, fileName, path, depth, {}});
  }
  void FolderLeft() override { events.push_back({WalkEvent::Type::Left, {}, {}, 0, {}}); }
};

}  // namespace

std::vector<WalkEvent> RecordWalk(FileSystem& fs, const std::string& directory, const std::atomic<bool>* stop) {
  Recorder r(stop);
  ToolCatalog::Walk(fs, directory, r);
  return std::move(r.events);
}

ToolChecker::ToolChecker(FileSystem& fs, ShellLinks& links, WorkDrive& drive, const DriveSearch& search,
                         CatalogCache* cache)
    : fs_(fs), links_(links), drive_(drive), search_(search), cache_(cache) {}

const std::string& ToolChecker::Raw(const std::string& file) {
  auto it = raw_.find(file);
  if (it == raw_.end()) {
    it = raw_.emplace(file, cache_ ? cache_->ProgramOf(fs_, links_, file) : ReadShortcutPath(links_, fs_, file)).first;
  }
  return it->second;
}

bool ToolChecker::Exists(const std::string& path) {
  auto it = exists_.find(path);
  if (it == exists_.end()) it = exists_.emplace(path, fs_.fileExists(path)).first;
  return it->second;
}

std::string ToolChecker::Resolve(const std::string& file) {
  return OnWorkDrive(drive_, Raw(file), [this](const std::string& path) { return Exists(path); });
}

void ToolChecker::Check(const std::string& file) {
  std::string b = Resolve(file);
  if (b.empty()) {
    // Nothing could be read from the file: no drive can hold what it names.
    WarnToolNotFound(search_, paths::FileNameOf(file));
    exists_.clear();
    return;
  }
  std::string a = paths::OnDrive(b, drive_.letter);
  if (Exists(a) || Exists(b)) return;
  // Another drive cannot hold a UNC or relative path: there is nothing to search for.
  if (!paths::HasDriveLetter(a)) {
    WarnToolNotFound(search_, paths::FileNameOf(a));
    exists_.clear();
    return;
  }
  if (!CheckToolDrive(a, drive_, search_)) WarnToolNotFound(search_, paths::FileNameOf(a));
  exists_.clear();
}

namespace {

// Feeds a recorded walk to a builder, a tool with its event whole (its twin with it).
template <class Builder>
void Feed(const std::vector<WalkEvent>& events, Builder& builder) {
  for (const WalkEvent& e : events) {
    switch (e.type) {
      case WalkEvent::Type::Entered: builder.FolderEntered(e.name); break;
      case WalkEvent::Type::Tool: builder.ToolFound(e); break;
      case WalkEvent::Type::Left: builder.FolderLeft(); break;
    }
  }
}

class MenuBuilder {
 public:
  MenuBuilder(ToolChecker& checker, const std::function<int(const std::string&)>& iconImage)
      : checker_(checker), iconImage_(iconImage) {
    root_.kind = MenuNode::Kind::Root;
    parents_.push_back(&root_);
    counters_.fill(0);
  }
  MenuNode Take() { return std::move(root_); }

  void FolderEntered(const std::string& name) {
    MenuNode* parent = parents_.back();
    MenuNode folder;
    folder.kind = MenuNode::Kind::Folder;
    folder.caption = name;
    folder.image = menu_image::kEmptyFolder;
    std::size_t at = Position(*parent);
    parent->children.insert(parent->children.begin() + static_cast<std::ptrdiff_t>(at), std::move(folder));
    if (parent != &root_) parent->image = menu_image::kFolder;
    ++counters_[Level()];
    parents_.push_back(&parent->children[at]);
  }

  void ToolFound(const WalkEvent& e) {
    checker_.Check(e.path);
    if (!e.twin.empty()) checker_.Check(e.twin);
    MenuNode* parent = parents_.back();
    MenuNode tool;
    tool.kind = MenuNode::Kind::Tool;
    tool.caption = ToolDisplayName(e.name);
    tool.image = iconImage_(checker_.Resolve(e.path));
    tool.file = e.path;
    tool.twin = e.twin;
    parent->children.insert(parent->children.begin() + static_cast<std::ptrdiff_t>(Position(*parent)),
                            std::move(tool));
    if (parent != &root_) parent->image = menu_image::kFolder;
  }

  void FolderLeft() {
    if (parents_.size() <= 1) return;
    counters_[Level()] = 0;
    parents_.pop_back();
  }

 private:
  // One insertion counter per level, 0 to 50.
  std::size_t Level() const { return parents_.size() - 1; }
  std::size_t Position(const MenuNode& parent) const {
    std::size_t at = counters_[Level()];
    return at <= parent.children.size() ? at : parent.children.size();
  }

  ToolChecker& checker_;
  const std::function<int(const std::string&)>& iconImage_;
  MenuNode root_;
  std::vector<MenuNode*> parents_;
  std::array<std::size_t, ToolCatalog::kMaxDepth + 1> counters_{};
};

class IconBarBuilder {
 public:
  IconBarBuilder(ToolChecker& checker, const std::function<int(const std::string&)>& iconImage)
      : checker_(checker), iconImage_(iconImage) {}
  std::vector<IconBarButton> buttons;

  void FolderEntered(const std::string& name) { groups_.push_back(name); }
  void ToolFound(const WalkEvent& e) {
    checker_.Check(e.path);
    if (!e.twin.empty()) checker_.Check(e.twin);
    std::string group = groups_.empty() ? kNotAllowedGroup : groups_.back();
    buttons.push_back({e.path, e.twin, ToolDisplayName(e.name) + " [" + group + "]", iconImage_(checker_.Resolve(e.path))});
  }
  void FolderLeft() {
    if (!groups_.empty()) groups_.pop_back();
  }

 private:
  ToolChecker& checker_;
  const std::function<int(const std::string&)>& iconImage_;
  std::vector<std::string> groups_;
};

}  // namespace

MenuNode BuildToolMenu(const std::vector<WalkEvent>& events, ToolChecker& checker,
                       const std::function<int(const std::string& program)>& iconImage) {
  MenuBuilder builder(checker, iconImage);
  Feed(events, builder);
  return builder.Take();
}

std::vector<IconBarButton> BuildIconBar(const std::vector<WalkEvent>& events, ToolChecker& checker,
                                        const std::function<int(const std::string& program)>& iconImage) {
  IconBarBuilder builder(checker, iconImage);
  Feed(events, builder);
  return std::move(builder.buttons);
}

bool HasTool(const std::vector<WalkEvent>& events) {
  for (const WalkEvent& e : events)
    if (e.type == WalkEvent::Type::Tool) return true;
  return false;
}

namespace {

struct FirstToolFinder final : CatalogVisitor {
  bool found = false;
  bool Stopped() const override { return found; }
  void FolderEntered(const std::string&, const std::string&, int) override {}
  void ToolFound(const std::string&, const std::string&, int) override { found = true; }
  void FolderLeft() override {}
};

}  // namespace

bool CatalogHasTool(FileSystem& fs, const std::string& directory) {
  FirstToolFinder finder;
  ToolCatalog::Walk(fs, directory, finder);
  return finder.found;
}

std::optional<int> ToolCommandId(ToolCommandRange range, std::size_t index) {
  if (index >= static_cast<std::size_t>(kToolCommandSpan)) return std::nullopt;
  return kFirstToolCommand + static_cast<int>(range) * kToolCommandSpan + static_cast<int>(index);
}

std::optional<ToolCommand> ToolOfCommand(int id) {
  if (id < kFirstToolCommand || id >= kFirstToolCommand + 3 * kToolCommandSpan) return std::nullopt;
  int offset = id - kFirstToolCommand;
  return ToolCommand{static_cast<ToolCommandRange>(offset / kToolCommandSpan),
                     static_cast<std::size_t>(offset % kToolCommandSpan)};
}

}  // namespace kest
