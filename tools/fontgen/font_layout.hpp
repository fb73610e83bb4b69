// Layout of the font sheet shared by the generator and the embedder.
#pragma once

#include <array>
#include <cstdint>

namespace korveld::fontgen {

inline constexpr int kSheetWidth = 2048;
inline constexpr int kSheetHeight = 28;
inline constexpr int kCellWidth = 9;
inline constexpr int kCellHeight = 12;
inline constexpr int kFaceRow[3] = {0, 0, 14};  // faces 1 (bold) and 2 (light)
inline constexpr int kPaletteEntries = 256;

// Left sheet column of the glyph for code c (32..255).
constexpr int GlyphColumn(int code) { return (code - 32) * kCellWidth + 1; }

// Palette entries 0..11: background, then the greys (and one magenta) the
// glyph strokes are drawn with.
inline constexpr std::array<std::uint32_t, 12> kGlyphPalette = {
    0x000000, 0x848284, 0xFC02FC, 0xC4C2C4, 0x444244, 0xBCBEBC,
    0xFCFEFC, 0x646244, 0x1C1E1C, 0x848684, 0xD4D2D4, 0x545254,
};

}  // namespace korveld::fontgen
