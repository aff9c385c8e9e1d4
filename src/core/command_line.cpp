#include "core/command_line.h"

namespace kest {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A path typed or dropped without quotes: a Windows file name never ends in a blank, so
// trailing blanks are the command line's, not the path's.
std::string TrimmedUnquoted(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

std::string ParseCommandLine(std::string_view commandLine) {
  if (commandLine.size() < 2) return std::string();
  // The Explorer commands put a closing quote after the path: that quote is dropped. A path
  // given without quotes (a drop on Kest.exe, a typed command line) keeps its last character.
  const bool closingQuote = commandLine.back() == '"';
  std::size_t end = closingQuote ? commandLine.size() - 1 : commandLine.size();
  std::size_t begin = end;
  bool quoteFound = false;
  while (begin > 0) {
    if (commandLine[begin - 1] == '"') {
      quoteFound = true;
      break;
    }
    --begin;
  }
  if (!quoteFound) {
    // No quote at all: an unquoted executable typed in a console, up to the first blank.
    if (closingQuote) return std::string();
    std::size_t blank = commandLine.find_first_of(" \t");
    if (blank == std::string_view::npos) return std::string();
    std::string_view rest = commandLine.substr(blank);
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    return TrimmedUnquoted(rest);
  }
  // Stopping at the very first character means the walk went through the executable's own
  // path: a bare start as Wine and CreateProcess make it ("<exe>" with no trailing blank).
  if (begin == 1) return std::string();
  std::string argument(commandLine.substr(begin, end - begin));
  // The registered commands put the path right after the executable's closing quote; a
  // blank there is the separator of a typed or forwarded command line.
  if (!argument.empty() && argument.front() == ' ') argument.erase(0, 1);
  return closingQuote ? argument : TrimmedUnquoted(argument);
}

}  // namespace kest
