// The command line Kest is started with, as any program may build it.
#include "app/command_line.h"
#include "fuzz/fuzz_support.h"

using namespace kest;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  const std::string argument = ParseCommandLine(text);
  if (argument.empty()) return 0;
  // The argument is the piece of text right before the final character, with no quote in it.
  KEST_FUZZ_CHECK(argument.size() + 2 <= text.size());
  KEST_FUZZ_CHECK(text.substr(text.size() - 1 - argument.size(), argument.size()) == argument);
  KEST_FUZZ_CHECK(argument.find('"') == std::string::npos);
  // Some quote before it ends the executable's path, and it is not the first character alone.
  const std::size_t quote = text.rfind('"', text.size() - 2);
  KEST_FUZZ_CHECK(quote != std::string_view::npos && quote > 0);
  return 0;
}
