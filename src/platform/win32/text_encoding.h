#pragma once
// Text between the encodings Kest meets at the seam: UTF-8 (its own), the process's ANSI code
// page (UTF-8 where the manifest's setting is honoured), UTF-16 (the wide API) and the
// system's own legacy code page (what an older Kest wrote).
#include <string>
#include <string_view>

namespace kest::win32 {

// The system's own ANSI code page (1251, 1252, ...), also where the process runs in UTF-8.
unsigned LegacyAnsiCodePage();
// Text from that code page to UTF-8.
std::string LegacyToUtf8(std::string_view text, unsigned codePage);

// UTF-8 to UTF-16, for texts shown through the wide API.
std::wstring Utf8ToWide(std::string_view text);
// ANSI code page to UTF-16, for the calls that take wide paths.
std::wstring AnsiToWide(std::string_view text);
// Back to the process's code page.
std::string WideToAnsi(std::wstring_view text);
// UTF-16 to UTF-8 whatever the process's code page.
std::string WideToUtf8(std::wstring_view text);

}  // namespace kest::win32
