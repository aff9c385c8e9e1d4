#include "platform/win32/text_encoding.h"

#include <windows.h>

namespace kest::win32 {

unsigned LegacyAnsiCodePage() {
  wchar_t digits[8] = {};
  unsigned cp = 0;
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 8) > 0)
    for (const wchar_t* d = digits; *d >= L'0' && *d <= L'9'; ++d) cp = cp * 10 + static_cast<unsigned>(*d - L'0');
  return cp == 0 || cp == CP_UTF8 ? 1252 : cp;
}

namespace {

// The one conversion to UTF-16 and the one back: every other text the program hands the
// wide API goes through these.
std::wstring ToWide(std::string_view text, unsigned codePage) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string FromWide(std::wstring_view text, unsigned codePage) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string LegacyToUtf8(std::string_view text, unsigned codePage) { return WideToUtf8(ToWide(text, codePage)); }

std::wstring Utf8ToWide(std::string_view text) { return ToWide(text, CP_UTF8); }

std::wstring AnsiToWide(std::string_view text) { return ToWide(text, CP_ACP); }

std::string WideToAnsi(std::wstring_view text) { return FromWide(text, CP_ACP); }

std::string WideToUtf8(std::wstring_view text) { return FromWide(text, CP_UTF8); }

}  // namespace kest::win32
