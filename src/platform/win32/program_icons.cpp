#include "platform/win32/program_icons.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/handles.h"
#include "platform/win32/system_view.h"
#include "platform/win32/text_encoding.h"

namespace kest::win32 {

namespace {

BITMAPINFO Colour32(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  return bi;
}

}  // namespace

std::optional<IconPixels> Win32ProgramIcons::extractAt(const std::string& file, int index, int side) {
  if (side <= 0 || side > 256 || index < 0) return std::nullopt;
  HICON icon = ExtractIconA(nullptr, ForSystem(file).c_str(), static_cast<UINT>(index));
  // ExtractIconA gives 1, or under Wine nothing, for a file that is no program.
  if (icon == nullptr || icon == reinterpret_cast<HICON>(1)) return std::nullopt;
  OwnedIcon owned(icon);
  return PixelsOf(owned.get(), side);
}

std::optional<IconPixels> PixelsOf(HICON icon, int side) {
  if (!icon || side <= 0 || side > 256) return std::nullopt;
  BITMAPINFO bi = Colour32(side, side);
  OwnedMemoryDC dc(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  OwnedBitmap colour(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  OwnedBitmap mask(CreateBitmap(side, side, 1, 1, nullptr));
  if (!dc || !colour || !mask || !bits) return std::nullopt;
  IconPixels pixels;
  pixels.side = side;
  pixels.colour.resize(static_cast<std::size_t>(side) * side);
  pixels.mask.resize(static_cast<std::size_t>(IconPixels::MaskStride(side)) * side);
  {
    ScopedSelect drawMask(dc.get(), mask.get());
    DrawIconEx(dc.get(), 0, 0, icon, side, side, 0, nullptr, DI_MASK);
  }
  {
    ScopedSelect drawColour(dc.get(), colour.get());
    DrawIconEx(dc.get(), 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
  }
  GdiFlush();
  std::memcpy(pixels.colour.data(), bits, pixels.colour.size() * sizeof(std::uint32_t));
  // A monochrome bitmap's rows are whole words, as the mask's are.
  const LONG maskBytes = static_cast<LONG>(pixels.mask.size());
  if (GetBitmapBits(mask.get(), maskBytes, pixels.mask.data()) != maskBytes) return std::nullopt;
  return pixels;
}

std::optional<IconPixels> TypeIconPixels(const std::string& type, int side) {
  if (type.size() < 2 || type[0] != '.') return std::nullopt;
  // The shell is told the file's attributes: it looks at no file of that name.
  SHFILEINFOW info{};
  const UINT size = side <= GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON;
  if (!SHGetFileInfoW((L"icon" + Utf8ToWide(type)).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                      SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | size) ||
      !info.hIcon)
    return std::nullopt;
  OwnedIcon owned(info.hIcon);
  return PixelsOf(owned.get(), side);
}

OwnedIcon IconFromPixels(const IconPixels& pixels) {
  const int side = pixels.side;
  if (side <= 0 || pixels.colour.size() != static_cast<std::size_t>(side) * side ||
      pixels.mask.size() != static_cast<std::size_t>(IconPixels::MaskStride(side)) * side)
    return OwnedIcon();
  BITMAPINFO bi = Colour32(side, side);
  void* bits = nullptr;
  OwnedBitmap colour(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!colour || !bits) return OwnedIcon();
  std::memcpy(bits, pixels.colour.data(), pixels.colour.size() * sizeof(std::uint32_t));
  OwnedBitmap mask(CreateBitmap(side, side, 1, 1, pixels.mask.data()));
  if (!mask) return OwnedIcon();
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask.get();
  info.hbmColor = colour.get();
  // The icon keeps copies of both bitmaps.
  return OwnedIcon(CreateIconIndirect(&info));
}

int AddIconsToImageList(HIMAGELIST list, const std::vector<const IconPixels*>& icons) {
  if (!list || icons.empty()) return -1;
  int side = 0, height = 0;
  if (!ImageList_GetIconSize(list, &side, &height) || side != height || side <= 0) return -1;
  const int iconStride = IconPixels::MaskStride(side);
  const std::size_t pixels = static_cast<std::size_t>(side) * side;
  for (const IconPixels* icon : icons)
    if (!icon || icon->side != side || icon->colour.size() != pixels ||
        icon->mask.size() != static_cast<std::size_t>(iconStride) * side)
      return -1;
  // Strips of a bounded width, so a catalog of any size never asks for one huge bitmap.
  const std::size_t perStrip = static_cast<std::size_t>(std::max(1, 16384 / side));
  int first = -1;
  for (std::size_t from = 0; from < icons.size(); from += perStrip) {
    const int n = static_cast<int>(std::min(perStrip, icons.size() - from));
    const int width = side * n;
    BITMAPINFO bi = Colour32(width, side);
    void* bits = nullptr;
    OwnedBitmap colour(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) return -1;
    auto* strip = static_cast<std::uint32_t*>(bits);
    const int stripStride = IconPixels::MaskStride(width);
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(stripStride) * side);
    for (int i = 0; i < n; ++i) {
      const IconPixels& icon = *icons[from + static_cast<std::size_t>(i)];
      for (int y = 0; y < side; ++y) {
        std::memcpy(strip + (y * width + side * i), icon.colour.data() + side * y, side * sizeof(std::uint32_t));
        // Bit by bit: an icon's row need not start on a byte of the strip's.
        const std::uint8_t* src = icon.mask.data() + y * iconStride;
        std::uint8_t* dst = maskBits.data() + y * stripStride;
        for (int x = 0; x < side; ++x) {
          if (src[x >> 3] & (0x80 >> (x & 7))) {
            const int at = side * i + x;
            dst[at >> 3] = static_cast<std::uint8_t>(dst[at >> 3] | (0x80 >> (at & 7)));
          }
        }
      }
    }
    OwnedBitmap mask(CreateBitmap(width, side, 1, 1, maskBits.data()));
    if (!mask) return -1;
    // The image list copies both bitmaps, one image for each side pixels of width.
    int added = ImageList_Add(list, colour.get(), mask.get());
    if (added < 0) return -1;
    if (first < 0) first = added;
  }
  return first;
}

}  // namespace kest::win32
