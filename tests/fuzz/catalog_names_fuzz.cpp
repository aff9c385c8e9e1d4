// The catalog's name rules over names and paths from anywhere: a listing, a typed name, a
// dropped file. The first four bytes are an attribute word; the lines after them are a name,
// the catalog root, a path, and a second path.
#include <cstring>

#include "catalog/tool_catalog.h"
#include "fakes/fake_platform.h"
#include "fuzz/fuzz_support.h"
#include "platform/paths.h"
#include "settings/catalog_editing.h"

using namespace kest;

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint32_t attributes = 0;
  if (size >= 4) {
    std::memcpy(&attributes, data, 4);
    data += 4;
    size -= 4;
  }
  std::vector<std::string> lines = fuzz::Lines(fuzz::AsText(data, size));
  lines.resize(std::max<std::size_t>(lines.size(), 4));
  const std::string& name = lines[0];
  const std::string& root = lines[1];
  const std::string& path = lines[2];
  const std::string& other = lines[3];

  // A listing's entry.
  const EntryClass cls = ClassifyEntry(name, attributes);
  if (!name.empty() && name[0] == '.') KEST_FUZZ_CHECK(cls == EntryClass::Skipped);
  else if (attributes == 16) KEST_FUZZ_CHECK(cls == EntryClass::Folder);
  const std::string display = ToolDisplayName(name);
  KEST_FUZZ_CHECK(display.size() == (name.size() > 4 ? name.size() - 4 : 0));
  KEST_FUZZ_CHECK(name.compare(0, display.size(), display) == 0);
  const std::string shown = ItemDisplayName(name, attributes);
  KEST_FUZZ_CHECK(name.compare(0, shown.size(), shown) == 0);

  // A typed name: one that is accepted has nothing Windows would read as a separator, a
  // wildcard, a step up or a control character.
  if (NameFaultOf(name) == NameFault::None) {
    KEST_FUZZ_CHECK(name.find_first_of("\\/:*?\"<>|") == std::string::npos);
    KEST_FUZZ_CHECK(name.find_first_not_of(". ") != std::string::npos);
    for (char c : name) KEST_FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
  }

  // The inside-root check: never the root itself, blind to case, and what lies inside has
  // its children inside too.
  const bool inside = IsInsideRoot(root, path);
  KEST_FUZZ_CHECK(!IsInsideRoot(root, root));
  KEST_FUZZ_CHECK(IsInsideRoot(Upper(root), fakes::Lower(path)) == inside);
  if (inside) {
    KEST_FUZZ_CHECK(IsInsideRoot(root, path + "\\child"));
    KEST_FUZZ_CHECK(!IsInsideRoot(path, root));
  }

  // Paths derived from the rules.
  const std::string rebased = RebasedPath(path, other, root);
  if (fakes::Lower(path) == fakes::Lower(other)) KEST_FUZZ_CHECK(rebased == root);
  if (std::optional<std::string> up = UpFolder(other, path, paths::WithTrailingBackslash(root)))
    KEST_FUZZ_CHECK(up->size() < path.size());
  NewToolLinkPath(path, other);

  // Over a small catalog: the nearest folder is the root or lies inside it, and neither a
  // rename nor a drop moves anything out of the catalog.
  fakes::FakeFileSystem fs;
  fs.dir(root);
  if (!name.empty()) fs.dir(paths::WithTrailingBackslash(root) + name, attributes);
  const std::string nearest = NearestExistingFolder(fs, root, path);
  KEST_FUZZ_CHECK(nearest == paths::WithoutTrailingBackslash(root) || IsInsideRoot(root, nearest));
  fs.file(path);
  fs.dir(other);
  std::string renamed;
  if (RenameCatalogItem(fs, root, path, attributes, name, &renamed) == RenameOutcome::Renamed) {
    KEST_FUZZ_CHECK(fs.attributes(renamed) != kInvalidAttributes);
    KEST_FUZZ_CHECK(IsInsideRoot(root, renamed));
    fs.moveFile(renamed, path);
  }
  if (MoveIntoFolder(fs, root, path, other) == MoveOutcome::Moved) {
    const std::string moved = paths::WithoutTrailingBackslash(other) + "\\" + paths::FileNameOf(path);
    KEST_FUZZ_CHECK(fs.attributes(moved) != kInvalidAttributes);
    KEST_FUZZ_CHECK(IsInsideRoot(root, moved));
  }
  return 0;
}
