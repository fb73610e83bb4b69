// The intro's big font: 59 glyphs (space to "Z") in 32 x 32 cells side by side,
// a mask of 1888 x 32 bytes (0 or 255, row by row) followed directly by a
// 256-entry RGB palette (768 bytes) in which only entry 0 is black.
#pragma once

#include <cstdint>
#include <span>

namespace korveld::content {

inline constexpr int kBigFontSheetWidth = 1888;
inline constexpr int kBigFontSheetHeight = 32;
inline constexpr int kBigFontSheetBytes = kBigFontSheetWidth * kBigFontSheetHeight;  // 60,416
inline constexpr int kBigFontPaletteBytes = 768;

// The sheet, then the palette: kBigFontSheetBytes + kBigFontPaletteBytes bytes.
std::span<const std::uint8_t> BigFontData();

}  // namespace korveld::content
