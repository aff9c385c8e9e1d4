#include "windows/rich_edit_io.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/handles.h"
#include "platform/win32/this_process.h"

namespace kest {

namespace {


struct StreamBuffer {
  const std::string* in = nullptr;
  std::size_t at = 0;
  std::string out;
};

DWORD CALLBACK ReadBytes(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto& b = *reinterpret_cast<StreamBuffer*>(cookie);
  std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), b.in->size() - b.at);
  std::memcpy(buffer, b.in->data() + b.at, n);
  b.at += n;
  *done = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK WriteBytes(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  reinterpret_cast<StreamBuffer*>(cookie)->out.append(reinterpret_cast<const char*>(buffer), size);
  *done = size;
  return 0;
}

}  // namespace

const char* RichEditClass() {
  static const char* cls = [] {
    if (win32::LoadSystemLibrary("Msftedit.dll")) return "RICHEDIT50W";
    win32::LoadSystemLibrary("Riched20.dll");  // every system without the first has this one
    return "RichEdit20A";
  }();
  return cls;
}

std::string StreamOut(HWND edit, WPARAM format) {
  StreamBuffer b;
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&b), 0, &WriteBytes};
  SendMessageA(edit, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
  return b.out;
}

bool StreamIn(HWND edit, const std::string& bytes, WPARAM format) {
  StreamBuffer b;
  b.in = &bytes;
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&b), 0, &ReadBytes};
  SendMessageA(edit, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
  return es.dwError == 0;
}

}  // namespace kest
