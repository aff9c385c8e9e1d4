#pragma once
// A helper process for real: a program started with a pipe as its standard input and output, in
// a job that ends it with Kest.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/helper_process.h"

namespace kest::win32 {

// Starts program with the command line "<program>" "<argument>": no window and no busy cursor, at
// below-normal priority, in the system directory (never a sample folder), holding no handle of
// Kest's but its end of the pipe. Its job ends it when Kest ends, however Kest ends, lets it start
// no process of its own and ends it at an unhandled fault without the system's error report.
// Nothing when it cannot be started.
std::unique_ptr<HelperProcess> StartHelperProcess(const std::string& program, const std::string& argument);

// The icon helper's side: the pipe Kest started it with, as its standard input and output; null
// when the process was not started so.
HANDLE HelperPipe();

}  // namespace kest::win32
