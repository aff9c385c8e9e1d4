#include "ui/rich_edit_io.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/handles.h"

namespace kest {

namespace {

struct FileClose {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using OwnedFile = win32::Owned<HANDLE, FileClose>;

OwnedFile OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return OwnedFile(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

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
    if (LoadLibraryA("Msftedit.dll")) return "RICHEDIT50W";
    LoadLibraryA("Riched20.dll");  // every system without the first has this one
    return "RichEdit20A";
  }();
  return cls;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  OwnedFile f = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (!f) return std::nullopt;
  std::string bytes;
  char chunk[16384];
  DWORD got = 0;
  while (ReadFile(f.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  OwnedFile f = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
  DWORD written = 0;
  return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
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
