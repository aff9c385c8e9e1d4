#include "platform/win32/this_process.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/paths.h"
#include "platform/win32/system_view.h"
#include "platform/win32/text_encoding.h"

namespace kest::win32 {

std::string ExecutablePath() {
  // A buffer that the name fills to the brim may have cut it: a bigger one is tried.
  for (DWORD size = MAX_PATH;; size *= 4) {
    std::string buffer(size, '\0');
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (n < size || size >= 65536) return buffer.substr(0, n < size ? n : 0);
  }
}

std::string ExecutableDirectory() { return paths::DirectoryOf(ExecutablePath()); }

void RestrictDllSearch() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  // Both are looked up: Windows before 7 (with its update) lacks the first, XP before SP1
  // the second.
  using SetDefaultDirs = BOOL(WINAPI*)(DWORD);
  if (auto set = reinterpret_cast<SetDefaultDirs>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  using SetDllDir = BOOL(WINAPI*)(LPCSTR);
  if (auto set = reinterpret_cast<SetDllDir>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA"))))
    set("");
}

HMODULE LoadSystemLibrary(const char* name) {
  char system[MAX_PATH] = {};
  UINT n = GetSystemDirectoryA(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  return LoadLibraryA((std::string(system) + "\\" + name).c_str());
}

namespace {

// The names of a DROPFILES block in one pass: asking DragQueryFile for each name walks the
// list from its start every time, which for thousands of files costs seconds.
template <class Char>
void ReadDropNames(const Char* p, const Char* end, std::vector<std::string>& files) {
  while ((!end || p < end) && *p) {
    const Char* start = p;
    while ((!end || p < end) && *p) ++p;
    if constexpr (sizeof(Char) == 1) files.emplace_back(start, p);
    else files.push_back(WideToAnsi(std::wstring_view(start, static_cast<std::size_t>(p - start))));
    ++p;
  }
}

}  // namespace

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
  std::vector<std::string> files;
  if (const auto* block = static_cast<const DROPFILES*>(GlobalLock(drop))) {
    // A block the shell made knows its size; one from elsewhere ends at its double zero.
    const SIZE_T size = GlobalSize(drop);
    const auto* base = reinterpret_cast<const char*>(block);
    const char* end = size > block->pFiles ? base + size : nullptr;
    if (size == 0 || size > block->pFiles) {
      if (block->fWide)
        ReadDropNames(reinterpret_cast<const wchar_t*>(base + block->pFiles), reinterpret_cast<const wchar_t*>(end), files);
      else
        ReadDropNames(base + block->pFiles, end, files);
    }
    GlobalUnlock(drop);
  }
  DragFinish(drop);
  // As the dropping program showed them: SysWOW64's file where a 32-bit one must have shown it
  // (only SysWOW64 has it); the drop does not say which program it came from.
  for (std::string& f : files) f = From32BitView(f, false);
  return files;
}

}  // namespace kest::win32
