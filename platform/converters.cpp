#include "platform/converters.hpp"

#include <cstring>

namespace korveld::platform {

int BytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::kXrgb32:
    case PixelFormat::kXbgr32: return 4;
    case PixelFormat::kBgr24:
    case PixelFormat::kRgb24: return 3;
    default: return 2;
  }
}

std::uint32_t ConvertPixel(PixelFormat format, std::uint32_t rgb) {
  const std::uint32_t r = (rgb >> 16) & 0xFF;
  const std::uint32_t g = (rgb >> 8) & 0xFF;
  const std::uint32_t b = rgb & 0xFF;
  switch (format) {
    case PixelFormat::kXrgb32: return rgb;
    case PixelFormat::kXbgr32: return (b << 16) | (g << 8) | r;
    case PixelFormat::kBgr24: return (r << 16) | (g << 8) | b;  // little-endian bytes b, g, r
    case PixelFormat::kRgb24: return (b << 16) | (g << 8) | r;  // bytes r, g, b
    case PixelFormat::kRgb565: return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    case PixelFormat::kBgr565: return ((b >> 3) << 11) | ((g >> 2) << 5) | (r >> 3);
    case PixelFormat::kXrgb1555: return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case PixelFormat::kXbgr1555: return ((b >> 3) << 10) | ((g >> 3) << 5) | (r >> 3);
  }
  return 0;
}

void ConvertRow(PixelFormat format, const std::uint32_t* src, std::uint8_t* dst, int count) {
  if (format == PixelFormat::kXrgb32) {
    std::memcpy(dst, src, static_cast<std::size_t>(count) * 4);
    return;
  }
  const int bytes = BytesPerPixel(format);
  if (format == PixelFormat::kXbgr32) {
    // Two pixels at a time would gain little here; the swap is one mask-and-shift per pixel.
    for (int i = 0; i < count; ++i) {
      const std::uint32_t p = src[i];
      const std::uint32_t v = (p & 0x00FF00) | ((p >> 16) & 0xFF) | ((p & 0xFF) << 16);
      std::memcpy(dst + 4 * i, &v, 4);
    }
    return;
  }
  for (int i = 0; i < count; ++i) {
    const std::uint32_t v = ConvertPixel(format, src[i]);
    dst[bytes * i] = static_cast<std::uint8_t>(v);
    dst[bytes * i + 1] = static_cast<std::uint8_t>(v >> 8);
    if (bytes == 3) dst[bytes * i + 2] = static_cast<std::uint8_t>(v >> 16);
  }
}

}  // namespace korveld::platform
