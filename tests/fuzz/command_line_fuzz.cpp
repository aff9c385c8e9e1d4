// The command line Kest is started with, as any program may build it.
#include "core/command_line.h"
#include "fuzz/fuzz_support.h"

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
  return 0;
}
