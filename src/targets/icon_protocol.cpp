#include "targets/icon_protocol.h"

#include <cstring>

#include "core/command_line.h"

namespace kest {

namespace {

constexpr char kRequestMagic[2] = {'K', 'Q'};
constexpr char kAnswerMagic[2] = {'K', 'A'};
constexpr char kHelloMagic[2] = {'K', 'H'};
constexpr std::uint8_t kNoIcon = 0, kIcon = 1;

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
std::uint32_t Get16(std::string_view b, std::size_t at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 1])) << 8;
}
std::uint32_t Get32(std::string_view b, std::size_t at) { return Get16(b, at) | Get16(b, at + 2) << 16; }

bool ValidSide(std::uint32_t side) { return side >= 1 && side <= static_cast<std::uint32_t>(kLargestIconSide); }

}  // namespace

bool IsIconHelperStart(std::string_view commandLine) { return ParseCommandLine(commandLine) == kIconHelperSwitch; }

std::string EncodeRequest(const IconRequest& request) {
  std::string out(kRequestMagic, 2);
  out += static_cast<char>(request.of);
  out += '\0';
  Put16(out, static_cast<std::uint32_t>(request.side));
  Put32(out, static_cast<std::uint32_t>(request.name.size()));
  return out + request.name;
}

std::optional<RequestHeader> DecodeRequestHeader(std::string_view header) {
  if (header.size() != kRequestHeaderBytes || header.substr(0, 2) != std::string_view(kRequestMagic, 2))
    return std::nullopt;
  const auto of = static_cast<std::uint8_t>(header[2]);
  if (of != static_cast<std::uint8_t>(IconOf::File) && of != static_cast<std::uint8_t>(IconOf::Type)) return std::nullopt;
  const std::uint32_t side = Get16(header, 4), length = Get32(header, 6);
  if (!ValidSide(side) || length == 0 || length > kLongestRequestName) return std::nullopt;
  return RequestHeader{static_cast<IconOf>(of), static_cast<int>(side), length};
}

std::string HelperHello() { return std::string(kHelloMagic, 2) + std::string(4, '\0'); }

bool IsHelperHello(std::string_view header) { return header == HelperHello(); }

std::size_t IconBodyBytes(int side) {
  const auto s = static_cast<std::size_t>(side);
  return s * s * 4 + static_cast<std::size_t>(IconPixels::MaskStride(side)) * s;
}

std::string EncodeAnswer(int side, const std::optional<IconPixels>& icon) {
  // An icon of another size than asked, or not whole, goes as none.
  const bool whole = icon && icon->side == side && ValidSide(static_cast<std::uint32_t>(side)) &&
                     icon->colour.size() == static_cast<std::size_t>(side) * static_cast<std::size_t>(side) &&
                     icon->mask.size() == static_cast<std::size_t>(IconPixels::MaskStride(side)) * static_cast<std::size_t>(side);
  std::string out(kAnswerMagic, 2);
  out += static_cast<char>(whole ? kIcon : kNoIcon);
  out += '\0';
  Put16(out, static_cast<std::uint32_t>(side));
  if (!whole) return out;
  out.reserve(kAnswerHeaderBytes + IconBodyBytes(side));
  for (std::uint32_t pixel : icon->colour) Put32(out, pixel);
  out.append(reinterpret_cast<const char*>(icon->mask.data()), icon->mask.size());
  return out;
}

std::optional<AnswerHeader> DecodeAnswerHeader(std::string_view header, int askedSide) {
  if (header.size() != kAnswerHeaderBytes || header.substr(0, 2) != std::string_view(kAnswerMagic, 2) ||
      header[3] != '\0')
    return std::nullopt;
  const auto status = static_cast<std::uint8_t>(header[2]);
  if (status != kNoIcon && status != kIcon) return std::nullopt;
  if (Get16(header, 4) != static_cast<std::uint32_t>(askedSide) || !ValidSide(Get16(header, 4))) return std::nullopt;
  return AnswerHeader{status == kIcon, askedSide};
}

IconPixels IconFromBody(std::string_view body, int side) {
  IconPixels icon;
  if (body.size() != IconBodyBytes(side)) return icon;
  icon.side = side;
  const std::size_t pixels = static_cast<std::size_t>(side) * static_cast<std::size_t>(side);
  icon.colour.resize(pixels);
  for (std::size_t i = 0; i < pixels; ++i) icon.colour[i] = Get32(body, 4 * i);
  icon.mask.assign(body.begin() + static_cast<std::ptrdiff_t>(4 * pixels), body.end());
  return icon;
}

}  // namespace kest
