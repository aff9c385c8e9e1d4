#include "platform/win32/clipboard.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/text_encoding.h"

namespace kest::win32 {

bool Win32Clipboard::setText(WindowHandle owner, const std::string& text) {
  // As Unicode text: other programs read CF_TEXT in their own code page, not Kest's.
  std::wstring wide = AnsiToWide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
  if (!memory) return false;
  void* p = GlobalLock(memory);
  std::memcpy(p, wide.c_str(), bytes);
  GlobalUnlock(memory);
  // Clipboard viewers and managers open it for a moment after each change: a few tries.
  bool opened = false;
  for (int attempt = 0; attempt < 5 && !opened; ++attempt) {
    if (attempt > 0) Sleep(20);
    opened = OpenClipboard(static_cast<HWND>(owner)) != FALSE;
  }
  if (!opened) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  bool ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!ok) GlobalFree(memory);  // otherwise it belongs to the clipboard now
  return ok;
}

std::uint32_t Win32Clipboard::sequence() { return GetClipboardSequenceNumber(); }

}  // namespace kest::win32
