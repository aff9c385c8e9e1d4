#pragma once
#include <string>
#include <string_view>

namespace kest {

// The one path argument of a command line of the form "<exe>" <path>" as the Explorer
// commands make it, or "<exe>" for a start without argument; empty when there is none.
std::string ParseCommandLine(std::string_view commandLine);

}  // namespace kest
