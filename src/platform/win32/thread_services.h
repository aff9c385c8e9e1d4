#pragma once
// The thread services of a Windows thread: its own COM apartment, made first and ended last, and
// the Windows file system, shell link object and program icons.
#include <memory>

#include "platform/thread_services.h"

namespace kest::win32 {

// To be called on the thread that is to use them.
std::unique_ptr<ThreadServices> MakeThreadServices();

}  // namespace kest::win32
