// Row converters from the frame's 0x00RRGGBB pixels into the eight display
// formats a surface can have. Lower bits are truncated, never rounded.
#pragma once

#include <cstdint>

namespace korveld::platform {

enum class PixelFormat {
  kXrgb32,    // 32 bits, red 0xFF0000: copied unchanged
  kXbgr32,    // 32 bits, red 0x0000FF: red and blue exchanged
  kBgr24,     // 24 bits, bytes in memory order blue, green, red
  kRgb24,     // 24 bits, bytes in memory order red, green, blue
  kRgb565,    // 16 bits, red high
  kBgr565,    // 16 bits, blue high
  kXrgb1555,  // 16 bits, 5-5-5 red high, top bit 0
  kXbgr1555,  // 16 bits, 5-5-5 blue high, top bit 0
};

int BytesPerPixel(PixelFormat format);

// One destination pixel (as the low bytes of the result, little-endian).
std::uint32_t ConvertPixel(PixelFormat format, std::uint32_t rgb);

// Converts `count` pixels from `src` into `dst` (BytesPerPixel(format) each).
void ConvertRow(PixelFormat format, const std::uint32_t* src, std::uint8_t* dst, int count);

}  // namespace korveld::platform
