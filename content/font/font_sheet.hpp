// The viewer's bitmap font: a 2048 x 28 sheet of palette indices (face 1 bold
// in rows 0..11, face 2 light in rows 14..25, 9 x 12 cells, code page 437
// codes 32..255 from column 1 on) and its 256-entry RGB palette. Both come
// from content/font/font_sheet.png, embedded at build time.
#pragma once

#include <cstdint>
#include <span>

namespace korveld::content {

inline constexpr int kFontSheetWidth = 2048;
inline constexpr int kFontSheetHeight = 28;
inline constexpr int kFontPaletteEntries = 256;

std::span<const std::uint8_t> FontSheet();    // kFontSheetWidth x kFontSheetHeight bytes, row-major
std::span<const std::uint8_t> FontPalette();  // kFontPaletteEntries x (R, G, B)

}  // namespace korveld::content
