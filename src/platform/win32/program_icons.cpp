#include "platform/win32/program_icons.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/handles.h"

namespace kest::win32 {

namespace {

BITMAPINFO Colour32(int width) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -16;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  return bi;
}

}  // namespace

std::optional<IconPixels> Win32ProgramIcons::extract(const std::string& program) {
  HICON icon = ExtractIconA(nullptr, program.c_str(), 0);
  // ExtractIconA gives 1, or under Wine nothing, for a file that is no program.
  if (icon == nullptr || icon == reinterpret_cast<HICON>(1)) return std::nullopt;
  OwnedIcon owned(icon);
  BITMAPINFO bi = Colour32(16);
  OwnedMemoryDC dc(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  OwnedBitmap colour(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  OwnedBitmap mask(CreateBitmap(16, 16, 1, 1, nullptr));
  if (!dc || !colour || !mask || !bits) return std::nullopt;
  IconPixels pixels;
  {
    ScopedSelect drawMask(dc.get(), mask.get());
    DrawIconEx(dc.get(), 0, 0, owned.get(), 16, 16, 0, nullptr, DI_MASK);
  }
  {
    ScopedSelect drawColour(dc.get(), colour.get());
    DrawIconEx(dc.get(), 0, 0, owned.get(), 16, 16, 0, nullptr, DI_NORMAL);
  }
  GdiFlush();
  std::memcpy(pixels.colour.data(), bits, sizeof(pixels.colour));
  // A monochrome bitmap's rows are whole words: two bytes for sixteen pixels.
  if (GetBitmapBits(mask.get(), sizeof(pixels.mask), pixels.mask.data()) != sizeof(pixels.mask))
    return std::nullopt;
  return pixels;
}

int AddIconsToImageList(HIMAGELIST list, const std::vector<const IconPixels*>& icons) {
  if (!list || icons.empty()) return -1;
  // Strips of a bounded width, so a catalog of any size never asks for one huge bitmap.
  constexpr std::size_t kStrip = 1024;
  int first = -1;
  for (std::size_t from = 0; from < icons.size(); from += kStrip) {
    const int n = static_cast<int>(std::min(kStrip, icons.size() - from));
    BITMAPINFO bi = Colour32(16 * n);
    void* bits = nullptr;
    OwnedBitmap colour(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) return -1;
    auto* strip = static_cast<std::uint32_t*>(bits);
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(2 * n) * 16);
    for (int i = 0; i < n; ++i) {
      const IconPixels& icon = *icons[from + static_cast<std::size_t>(i)];
      for (int y = 0; y < 16; ++y) {
        std::memcpy(strip + (y * 16 * n + 16 * i), icon.colour.data() + 16 * y, 16 * sizeof(std::uint32_t));
        maskBits[y * 2 * n + 2 * i] = icon.mask[2 * y];
        maskBits[y * 2 * n + 2 * i + 1] = icon.mask[2 * y + 1];
      }
    }
    OwnedBitmap mask(CreateBitmap(16 * n, 16, 1, 1, maskBits.data()));
    if (!mask) return -1;
    // The image list copies both bitmaps, one image for each 16 pixels of width.
    int added = ImageList_Add(list, colour.get(), mask.get());
    if (added < 0) return -1;
    if (first < 0) first = added;
  }
  return first;
}

}  // namespace kest::win32
