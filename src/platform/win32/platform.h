#pragma once
// Every Windows implementation of the platform interfaces, as the program and its benchmarks
// use them together.
#include "platform/win32/atom_table.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/drives.h"
#include "platform/win32/file_contents.h"
#include "platform/win32/file_system.h"
#include "platform/win32/forward_notice.h"
#include "platform/win32/instance_objects.h"
#include "platform/win32/message_box.h"
#include "platform/win32/processes.h"
#include "platform/win32/program_icons.h"
#include "platform/win32/registry.h"
#include "platform/win32/settings_store.h"
#include "platform/win32/shell_links.h"
#include "platform/win32/window_system.h"

namespace kest::win32 {

struct Platform {
  ProfileSettingsStore store;
  GlobalAtomTable atoms;
  Win32WindowSystem windows;
  Win32FileSystem fs;
  Win32MessageBox box;
  ComShellLinks links;
  Win32Drives drives;
  Win32Clipboard clipboard;
  Win32Processes processes;
  Win32Registry registry;
  MailslotForwardNotice notice;
  Win32InstanceObjects instances;
  Win32ProgramIcons icons;
  Win32FileContents contents;
};

}  // namespace kest::win32
