#pragma once
// Basic types shared by the logic and the Win32 layer. Logic never includes <windows.h>,
// so window handles travel as opaque pointers.
#include <cstdint>

namespace kest {

using WindowHandle = void*;

// File attribute words as GetFileAttributesA returns them.
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;

// A path is a folder only when its attribute word is exactly the directory bit.
inline constexpr bool IsPlainFolder(std::uint32_t attributes) { return attributes == kAttrDirectory; }

// Any directory, whatever its other bits: something entries can be made in.
inline constexpr bool IsDirectory(std::uint32_t attributes) {
  return attributes != kInvalidAttributes && (attributes & kAttrDirectory) != 0;
}

}  // namespace kest
