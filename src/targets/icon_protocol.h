#pragma once
// How Kest speaks to its icon helper, a copy of its own executable started with a switch that
// takes icons from the files it is asked about and hands back their pixels: the switch, the
// requests and the answers on the helper's pipe. An answer comes from a process that has read
// a hostile file: nothing in it is trusted but its exact size.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/program_icons.h"

namespace kest {

// The helper's command-line argument: '|' can stand in no file name, so no target is ever taken
// for it, and it for no target.
inline constexpr std::string_view kIconHelperSwitch = "|icons|";
// Whether the process was started as the icon helper: its one argument is the switch, quoted,
// as the helper's starter writes it.
bool IsIconHelperStart(std::string_view commandLine);

enum class IconOf : std::uint8_t {
  File = 1,  // the first icon of the file named
  Type = 2,  // the shell's icon of a file type (".txt"), no file read
};

struct IconRequest {
  IconOf of = IconOf::File;
  int side = 16;     // 1 to 256 pixels
  std::string name;  // the path, or the type
};

inline constexpr std::size_t kRequestHeaderBytes = 10;
inline constexpr std::size_t kAnswerHeaderBytes = 6;
// The longest name a request carries: a path of 32,767 characters in UTF-8.
inline constexpr std::size_t kLongestRequestName = 3 * 32767;
inline constexpr int kLargestIconSide = 256;

std::string EncodeRequest(const IconRequest& request);
// The request's kind, side and name length from its header; nothing for bytes that are none.
struct RequestHeader {
  IconOf of;
  int side;
  std::size_t nameBytes;
};
std::optional<RequestHeader> DecodeRequestHeader(std::string_view header);

// What the helper writes first, once it is ready: an answer header of its own.
std::string HelperHello();
bool IsHelperHello(std::string_view header);

// An answer: its header, then with an icon the colour (side x side, 4 bytes each) and the mask.
std::string EncodeAnswer(int side, const std::optional<IconPixels>& icon);
struct AnswerHeader {
  bool icon = false;
  int side = 0;
};
// Nothing for a header that is no answer, or one for another side than was asked.
std::optional<AnswerHeader> DecodeAnswerHeader(std::string_view header, int askedSide);
// The bytes after the header of an answer with an icon of that side.
std::size_t IconBodyBytes(int side);
IconPixels IconFromBody(std::string_view body, int side);

}  // namespace kest
