// What a target is for its first icon and the double click's question, from a hostile name and
// hostile bytes (the input's first line is the file name, the rest its bytes), and the helper's
// answers read from the same bytes. The oracles are the magic bytes and extensions, checked here
// a second, plainer way.
#include <algorithm>

#include "fuzz/fuzz_support.h"
#include "targets/icon_protocol.h"
#include "targets/target_kind.h"

using namespace kest;

namespace {

bool StartsWith(std::string_view b, std::string_view magic) { return b.substr(0, magic.size()) == magic; }

// The extension as Windows takes it: after the last dot, trailing dots and blanks dropped.
std::string WindowsExtension(std::string name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : fuzz::Lower(name.substr(dot + 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  const std::size_t newline = std::min(input.find('\n'), std::min<std::size_t>(input.size(), 64));
  const std::string name(input.substr(0, newline));
  const std::string_view bytes = newline < input.size() ? input.substr(newline + 1) : std::string_view();
  const FileFacts facts = ReadFileFacts(bytes, bytes.size(), name);
  const std::string type = KindIconType(facts, name);
  const bool carries = MayCarryIcon(facts, bytes);
  const std::optional<std::string> program = ProgramKind(facts, name);

  // The type goes to the shell as a file type: a dot and at most 16 plain characters.
  KEST_FUZZ_CHECK(type.empty() || (type[0] == '.' && type.size() >= 2 && type.size() <= 17));
  KEST_FUZZ_CHECK(std::all_of(type.begin() + (type.empty() ? 0 : 1), type.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
  }));
  const bool mz = StartsWith(bytes, "MZ");
  const bool iconFile = bytes.size() >= 6 && (StartsWith(bytes, std::string_view("\0\0\1\0", 4)) ||
                                              StartsWith(bytes, std::string_view("\0\0\2\0", 4))) &&
                        (bytes[4] != 0 || bytes[5] != 0);
  // Only a program or an icon file is handed to the system's icon reader.
  KEST_FUZZ_CHECK(carries == (mz || iconFile));
  if (mz) {
    KEST_FUZZ_CHECK(program.has_value());
    KEST_FUZZ_CHECK(type == ".exe" || type == ".dll" || type == ".sys");
  }
  // A name Windows runs asks first, whatever the bytes; a text file asks only for a program's
  // or a shortcut's header.
  const std::string ext = WindowsExtension(name);
  if (ext == "exe" || ext == "scr" || ext == "bat" || ext == "lnk" || ext == "hta" || ext == "msi")
    KEST_FUZZ_CHECK(program.has_value());
  if (ext == "txt" && !mz && !StartsWith(bytes, std::string_view("\x4C\0\0\0\x01\x14\x02\0", 8)))
    KEST_FUZZ_CHECK(!program.has_value());
  if (program) KEST_FUZZ_CHECK(!program->empty() && program->find('\0') == std::string::npos);

  // The same bytes as the helper's answer to a 16-pixel question.
  const int side = 16;
  if (bytes.size() >= kAnswerHeaderBytes) {
    const std::optional<AnswerHeader> header = DecodeAnswerHeader(bytes.substr(0, kAnswerHeaderBytes), side);
    if (header) KEST_FUZZ_CHECK(StartsWith(bytes, "KA") && header->side == side);
    const std::string_view body = bytes.substr(kAnswerHeaderBytes);
    const IconPixels icon = IconFromBody(body, side);
    if (body.size() == IconBodyBytes(side)) {
      KEST_FUZZ_CHECK(icon.colour.size() == static_cast<std::size_t>(side * side));
      KEST_FUZZ_CHECK(EncodeAnswer(side, icon).substr(kAnswerHeaderBytes) == body);
    } else {
      KEST_FUZZ_CHECK(icon.side == 0 && icon.colour.empty());
    }
  }
  return 0;
}
