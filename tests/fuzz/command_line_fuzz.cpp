// The command line Kest is started with, as any program may build it.
#include "core/command_line.h"
#include "fuzz/fuzz_support.h"
#include "platform/paths.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  const std::string argument = ParseCommandLine(text);
  if (argument.empty()) return 0;
  KEST_FUZZ_CHECK(argument.find('"') == std::string::npos);
  KEST_FUZZ_CHECK(argument.size() < text.size());
  if (text.back() == '"') {
    // The piece right before the closing quote, after a quote that is not the first character.
    KEST_FUZZ_CHECK(text.substr(text.size() - 1 - argument.size(), argument.size()) == argument);
    const std::size_t quote = text.rfind('"', text.size() - 2);
    KEST_FUZZ_CHECK(quote != std::string_view::npos && quote > 0);
  } else {
    // A path without quotes keeps its last character; only blanks after it are dropped.
    const std::size_t last = text.find_last_not_of(" \t");
    KEST_FUZZ_CHECK(last != std::string_view::npos);
    KEST_FUZZ_CHECK(text.substr(last + 1 - argument.size(), argument.size()) == argument);
  }
  // Made absolute in a current directory: a path that names its root stays as it is; any other
  // lands below a drive root with no "." or ".." left and its own last name whole.
  const std::string absolute = paths::AbsolutePath("C:\\cases\\day\\", argument);
  auto slash = [](char c) { return c == '\\' || c == '/'; };
  const bool named = argument.size() >= 2 && slash(argument[0]) && slash(argument[1]);
  if (named || (paths::HasDriveLetter(argument) && argument.size() >= 3 && slash(argument[2]))) {
    KEST_FUZZ_CHECK(absolute == argument);
    return 0;
  }
  KEST_FUZZ_CHECK(absolute.size() >= 3 && paths::HasDriveLetter(absolute) && absolute[2] == '\\');
  std::size_t from = 3;
  while (from <= absolute.size()) {
    std::size_t to = std::min(absolute.find('\\', from), absolute.size());
    const std::string_view name = std::string_view(absolute).substr(from, to - from);
    KEST_FUZZ_CHECK(name != "." && name != ".." && name.find('/') == std::string_view::npos);
    KEST_FUZZ_CHECK(!name.empty() || to == absolute.size());
    from = to + 1;
  }
  const std::size_t cut = argument.find_last_of("\\/:");
  const std::string_view last = std::string_view(argument).substr(cut == std::string::npos ? 0 : cut + 1);
  if (!last.empty() && last != "." && last != "..")
    KEST_FUZZ_CHECK(absolute.size() >= last.size() && absolute.compare(absolute.size() - last.size(), last.size(), last) == 0);
  return 0;
}
