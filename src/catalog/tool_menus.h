#pragma once
// The catalog as the tools menus and the icon bar show it: the menu tree with the program's
// insertion order, the tool check every builder makes, and the icon bar's buttons.
#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalog/catalog_cache.h"
#include "catalog/tool_catalog.h"
#include "catalog/work_drive.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/shell_links.h"
#include "core/window_ids.h"

namespace kest {

// Images of the menus' image list.
namespace menu_image {
inline constexpr int kDelete = 0;
inline constexpr int kProperties = 1;
inline constexpr int kCopy = 2;
inline constexpr int kEmptyFolder = 3;
inline constexpr int kFolder = 4;
inline constexpr int kDefaultTool = 5;
inline constexpr int kFirstToolIcon = 6;
}  // namespace menu_image

// Command identifiers of the tool entries. Each of the two menus and the icon bar has a range
// of its own above the fixed commands; an entry past the end of its range gets no command
// (it is shown but cannot be chosen), so identifiers never collide however big the catalog.
enum class ToolCommandRange { TargetMenu = 0, TrayMenu = 1, IconBar = 2 };
using ids::kFirstToolCommand;
using ids::kToolCommandSpan;
std::optional<int> ToolCommandId(ToolCommandRange range, std::size_t index);
struct ToolCommand {
  ToolCommandRange range;
  std::size_t index;
};
std::optional<ToolCommand> ToolOfCommand(int id);

inline constexpr const char* kNotAllowedGroup = "not allowed";

std::string ToolNotFoundText(const std::string& fileName);
// The warning about a tool whose program is nowhere, on the search's owner window.
void WarnToolNotFound(const DriveSearch& search, const std::string& fileName);

// One walk, kept so that both menus are built from the same listing.
struct WalkEvent {
  enum class Type { Entered, Tool, Left } type;
  std::string name;  // folder name or tool file name
  std::string path;  // full path
  int depth = 0;
  std::string twin;  // a tool's 32-bit twin, once JoinTwins has joined it (tool_pairs.h)
};
// The walk's events; a stop flag set meanwhile ends it after the entry it is on.
std::vector<WalkEvent> RecordWalk(FileSystem& fs, const std::string& directory,
                                  const std::atomic<bool>* stop = nullptr);

// What the tool checks of one rebuild need. Each shortcut is read once per rebuild: the path
// it names does not change while the menus are built. With a cache, a shortcut whose file is
// unchanged since an earlier read is not read again. Existence is asked afresh in every
// rebuild, once for each path until a question or warning has been shown: while one is on the
// screen the user may plug in a drive, so every answer is asked again after it.
class ToolChecker {
 public:
  ToolChecker(FileSystem& fs, ShellLinks& links, WorkDrive& drive, const DriveSearch& search,
              CatalogCache* cache = nullptr);
  // What ResolveShortcut gives for the file, with the work drive as it is now.
  std::string Resolve(const std::string& file);
  // Looks for a missing tool on the other drives and warns when it is nowhere.
  void Check(const std::string& file);

 private:
  const std::string& Raw(const std::string& file);
  bool Exists(const std::string& path);
  FileSystem& fs_;
  ShellLinks& links_;
  WorkDrive& drive_;
  DriveSearch search_;
  CatalogCache* cache_;
  std::map<std::string, std::string> raw_;
  std::map<std::string, bool> exists_;
};

struct MenuNode {
  enum class Kind { Root, Folder, Tool } kind = Kind::Root;
  std::string caption;   // folder name, or the tool's display name
  int image = -1;        // into the menus' image list
  std::string file;      // a tool's shortcut file
  std::string twin;      // its 32-bit twin's, for a pair
  std::vector<MenuNode> children;
};

// Builds one tools menu from a recorded walk: subfolders first in listing order, then the
// tools in reverse listing order. iconImage gives the image of a tool's program. A pair's twin
// is checked as a tool of its own, and the entry shows the tool's icon.
MenuNode BuildToolMenu(const std::vector<WalkEvent>& events, ToolChecker& checker,
                       const std::function<int(const std::string& program)>& iconImage);

struct IconBarButton {
  std::string file;  // the shortcut's full path, the button's caption
  std::string twin;  // its 32-bit twin's, for a pair
  std::string hint;  // "name [group]"
  int image = 0;     // into the icon bar's image list
};

std::vector<IconBarButton> BuildIconBar(const std::vector<WalkEvent>& events, ToolChecker& checker,
                                        const std::function<int(const std::string& program)>& iconImage);

// A catalog without a single tool: the tools menus and the mini window then offer "Add tools...".
inline constexpr const char* kAddToolsCaption = "Add tools...";
bool HasTool(const std::vector<WalkEvent>& events);
// Walks the catalog only as far as its first tool.
bool CatalogHasTool(FileSystem& fs, const std::string& directory);

}  // namespace kest
