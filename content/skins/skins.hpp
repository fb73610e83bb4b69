// The two embedded skin images, back to back, skin 1 ("Grunge") first. Each
// is a 768-byte palette (red, green, blue per entry) followed by 800 x 600
// palette indices, top row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace korveld::content {

inline constexpr std::size_t kSkinPaletteBytes = 768;
inline constexpr std::size_t kSkinPixels = 800 * 600;
inline constexpr std::size_t kSkinImageBytes = kSkinPaletteBytes + kSkinPixels;
inline constexpr int kSkinCount = 2;

std::span<const std::uint8_t> SkinImages();

}  // namespace korveld::content
