#pragma once
// A tool kept twice, as a 64-bit and a 32-bit build: "NAME (x86).lnk" beside "NAME.lnk" in one
// catalog folder is NAME's 32-bit twin. The menus, the icon bar, the mini window and the find
// box show the pair as one entry, NAME, with NAME's icon; which of the two runs is the target's
// to decide (RunsAsX86). Nothing else of the catalog changes meaning.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/tool_menus.h"
#include "platform/file_system.h"

namespace kest {

// What marks the 32-bit twin's file name before its ".lnk" (in any case).
inline constexpr std::string_view kX86Mark = " (x86)";
// What a pair's entry in the target menu adds when the twin is the one that will run.
inline constexpr std::string_view kX86Shown = "  (x86)";

// A folder's tool files in listing order, paired: for each, the index of its twin (nothing for
// a file without one), and whether it is itself the twin of another, shown as part of that one.
// Both files end in ".lnk" as written; "NAME" matches in any case, as the file system matches
// names. A twin pairs with a file that is no twin itself, and each file has one twin at most
// (the first listed). "NAME (x86).lnk" without "NAME.lnk" is a tool of its own.
struct FolderPairs {
  std::vector<std::optional<std::size_t>> twin;
  std::vector<bool> isTwin;
};
FolderPairs PairTools(const std::vector<std::string>& fileNames);

// The recorded walk with each pair made one entry: a twin's event goes, and its pair's event
// carries the twin's file. Folders never pair.
void JoinTwins(std::vector<WalkEvent>& events);
// The walk (RecordWalk) with its pairs joined, as every reader of the catalog takes it.
std::vector<WalkEvent> RecordJoinedWalk(FileSystem& fs, const std::string& directory,
                                        const std::atomic<bool>* stop = nullptr);

// The file a pair runs on a target: the twin when the target runs as 32-bit x86 and the twin is
// still there (it may have gone since the entry was made); the tool's own file otherwise.
std::string PairFileToRun(FileSystem& fs, const std::string& file, const std::string& twin, bool x86Target);

// A pair's caption in the target menu: the name, and kX86Shown when the twin will run.
std::string PairCaption(const std::string& name, bool x86Target);

}  // namespace kest
