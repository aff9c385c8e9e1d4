#include "app/command_line.h"

namespace kest {

std::string ParseCommandLine(std::string_view commandLine) {
  // The last character is the closing quote the Explorer commands put after the path (or
  // the blank after the quoted executable); it is never part of the argument.
  if (commandLine.size() < 2) return std::string();
  std::size_t begin = commandLine.size() - 1;
  bool quoteFound = false;
  while (begin > 0) {
    if (commandLine[begin - 1] == '"') {
      quoteFound = true;
      break;
    }
    --begin;
  }
  // A command line without a quoted executable path carries no argument we can tell apart.
  if (!quoteFound) return std::string();
  // Stopping at the very first character means the walk went through the executable's own
  // path: a bare start as Wine and CreateProcess make it ("<exe>" with no trailing blank).
  if (begin == 1) return std::string();
  std::string argument(commandLine.substr(begin, commandLine.size() - 1 - begin));
  // The registered commands put the path right after the executable's closing quote; a
  // blank there is the separator of a typed or forwarded command line.
  if (!argument.empty() && argument.front() == ' ') argument.erase(0, 1);
  return argument;
}

}  // namespace kest
