#pragma once
// Owners for Win32 handles: each frees its handle when it goes, so a handler that throws
// between a create and its free leaks nothing.
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace kest::win32 {

template <class H, class Free>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(h) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, H{}));
    return *this;
  }
  ~Owned() { reset(); }

  H get() const { return h_; }
  explicit operator bool() const { return h_ != H{}; }
  void reset(H h = H{}) {
    if (h_ != H{}) Free{}(h_);
    h_ = h;
  }
  // Hands the handle over to whoever frees it now.
  H release() { return std::exchange(h_, H{}); }

 private:
  H h_{};
};

struct MenuFree { void operator()(HMENU h) const { DestroyMenu(h); } };
struct IconFree { void operator()(HICON h) const { DestroyIcon(h); } };
struct ImageListFree { void operator()(HIMAGELIST h) const { ImageList_Destroy(h); } };
struct GdiFree { void operator()(HGDIOBJ h) const { DeleteObject(h); } };
struct DcFree { void operator()(HDC h) const { DeleteDC(h); } };

using OwnedMenu = Owned<HMENU, MenuFree>;
using OwnedIcon = Owned<HICON, IconFree>;
using OwnedImageList = Owned<HIMAGELIST, ImageListFree>;
using OwnedFont = Owned<HFONT, GdiFree>;
using OwnedBrush = Owned<HBRUSH, GdiFree>;
using OwnedPen = Owned<HPEN, GdiFree>;
using OwnedBitmap = Owned<HBITMAP, GdiFree>;
using OwnedMemoryDC = Owned<HDC, DcFree>;  // from CreateCompatibleDC

struct HandleClose { void operator()(HANDLE h) const { CloseHandle(h); } };
using OwnedHandle = Owned<HANDLE, HandleClose>;
// CreateFile's failure is INVALID_HANDLE_VALUE, not null: the owner holds nothing then.
inline OwnedHandle OwnedFile(HANDLE h) { return OwnedHandle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

// A search FindFirstFile started; its failure (INVALID_HANDLE_VALUE) is never put in one.
struct FindEnd { void operator()(HANDLE h) const { FindClose(h); } };
using OwnedFind = Owned<HANDLE, FindEnd>;

// A registry key from RegOpenKeyEx or RegCreateKeyEx; the predefined roots are never put in one.
struct KeyClose { void operator()(HKEY k) const { RegCloseKey(k); } };
using OwnedKey = Owned<HKEY, KeyClose>;

// An object selected into a DC until the end of the scope.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's (or the screen's) DC from GetDC, released at the end of the scope.
class WindowDC {
 public:
  explicit WindowDC(HWND w) : w_(w), dc_(GetDC(w)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ReleaseDC(w_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND w_;
  HDC dc_;
};

}  // namespace kest::win32
