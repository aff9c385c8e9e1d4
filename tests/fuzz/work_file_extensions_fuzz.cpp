// The work-file mover's extension list as the user types it, the destinations made from it,
// and a move over a catalog of one tool. The first line is the target's path, the second the
// program the tool's shortcut names, the rest the list.
#include <set>

#include "fakes/fake_platform.h"
#include "fuzz/fuzz_support.h"
#include "platform/paths.h"
#include "settings/work_file_mover.h"

using namespace kest;

namespace {

// The list syntax written out a second way: a star opens an entry, the next comma closes it.
std::vector<std::string> ReferenceList(std::string_view text) {
  std::vector<std::string> entries;
  bool open = false;
  std::string entry;
  for (char c : text) {
    if (!open) {
      if (c == '*') {
        open = true;
        entry.clear();
      }
    } else if (c == ',') {
      entries.push_back(entry);
      open = false;
    } else {
      entry += c;
    }
  }
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  std::string_view rest = text;
  auto takeLine = [&rest]() {
    const std::size_t newline = rest.find('\n');
    std::string line(rest.substr(0, newline));
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    return line;
  };
  const std::string target = takeLine();
  const std::string program = takeLine();
  const std::string list(rest);

  // The whole input as a list, and the part after the first two lines.
  KEST_FUZZ_CHECK(ParseExtensionList(std::string(text)) == ReferenceList(text));
  const std::vector<std::string> extensions = ParseExtensionList(list);
  KEST_FUZZ_CHECK(extensions == ReferenceList(list));

  const std::string directory = paths::DirectoryOf(target);
  const std::string name = paths::FileNameOf(target);
  const std::string stem = name.substr(0, name.rfind('.') == std::string::npos ? name.size() : name.rfind('.'));
  std::set<std::string> destinations;
  for (const std::string& ext : extensions) {
    // The target's directory and name without its extension, then the entry as typed.
    const std::string destination = WorkFileDestination(target, ext);
    KEST_FUZZ_CHECK(destination == directory + stem + ext);
    if (!IsUsableExtension(ext)) continue;
    KEST_FUZZ_CHECK(paths::DirectoryOf(destination) == directory);
    destinations.insert(destination);
  }

  // One tool whose directory holds a work file for every entry: whatever moves, moves to the
  // destination of a usable entry, in the target's directory.
  fakes::FakeFileSystem fs;
  fakes::FakeShellLinks links(fs);
  fs.dir("C:\\k\\root");
  links.write("C:\\k\\root\\tool.lnk", program, "", paths::DirectoryOf(program));
  if (!directory.empty()) fs.dir(directory);
  const std::string toolDir = paths::DirectoryOf(program);
  if (!toolDir.empty()) fs.dir(toolDir);
  if (!program.empty()) fs.file(program);
  for (const std::string& destination : destinations) fs.file(toolDir + paths::FileNameOf(destination));
  fakes::FakeMessageBox box;
  MoveWorkFiles(fs, links, WorkDrive{'C', false}, "C:\\k\\", target, extensions, box, nullptr);
  KEST_FUZZ_CHECK(box.asked.size() <= 1);
  std::vector<std::string> tails;
  for (const std::string& destination : destinations) tails.push_back(" -> " + destination);
  for (const std::string& line : fs.log) {
    if (line.rfind("move ", 0) != 0) continue;
    bool toDestination = false;
    for (const std::string& tail : tails) {
      toDestination |= line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
    }
    KEST_FUZZ_CHECK(toDestination);
  }
  return 0;
}
