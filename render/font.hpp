// The bitmap font sheet, its tint table and coloured text.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "render/screen.hpp"

namespace korveld::render {

inline constexpr int kFontSheetWidth = 2048;
inline constexpr int kFontSheetHeight = 28;
inline constexpr int kGlyphWidth = 9;
inline constexpr int kGlyphHeight = 12;
inline constexpr int kTintCount = 31;  // tints 1..31; 31 is black for the glyph colours
inline constexpr int kPaletteSize = 256;

// Screen rows the opaque glyph path may paint (the page text area).
inline constexpr int kOpaqueTop = 193;
inline constexpr int kOpaqueBottom = 569;

struct FontTables {
  // One palette index per sheet pixel, row-major.
  std::array<std::uint8_t, kFontSheetWidth * kFontSheetHeight> sheet{};
  // Slot p * 31 + t holds tint t of palette colour p (t 1..30); slot 0 of
  // each colour stays 0, which is what tint 31 of the colour before reads.
  // One spare slot lets tint 31 of the last colour read 0 as well.
  std::array<std::uint32_t, kPaletteSize * kTintCount + 1> TintTable{};
  // The same colours ordered by tint, byTint[t][p] = TintTable[p * 31 + t],
  // so that drawing a glyph reads one row of 256.
  std::array<std::array<std::uint32_t, kPaletteSize>, kTintCount + 1> byTint{};
};

// Builds the tables from the embedded font sheet and palette.
void BuildFontTables(FontTables& font);
// Builds them from a given sheet (2048 x 28 indices) and palette (256 x RGB);
// short inputs leave the missing entries zero.
void BuildFontTables(FontTables& font, std::span<const std::uint8_t> sheet, std::span<const std::uint8_t> palette);

// Tint t (1..30) of an (R, G, B) colour.
std::uint32_t TintColour(int r, int g, int b, int tint);

// Draws the first character of text at (x, y), palette index 0 transparent,
// only the pixels inside xmin..xmax, ymin..ymax (and the frame). Nothing for
// empty text, a face other than 1 or 2, a tint outside 1..31 or a code below
// 32.
void DrawGlyphClipped(ScreenBuffer& frame, const FontTables& font, std::string_view text, int x, int y, int xmin,
                      int xmax, int ymin, int ymax, int face, int tint);
// The same for a character code; 0 stands for an empty cell.
void DrawGlyphClipped(ScreenBuffer& frame, const FontTables& font, std::uint8_t code, int x, int y, int xmin,
                      int xmax, int ymin, int ymax, int face, int tint);

// Paints the whole 9 x 12 cell of the first character, its background
// included, on the rows of the page text area only. A space (or anything
// below 33) leaves the cell untouched.
void DrawGlyphOpaque(ScreenBuffer& frame, const FontTables& font, std::string_view text, int x, int y, int face,
                     int tint);
void DrawGlyphOpaque(ScreenBuffer& frame, const FontTables& font, std::uint8_t code, int x, int y, int face,
                     int tint);

// Each character of text in turn, 9 pixels apart, through DrawGlyphClipped.
void DrawTextClipped(ScreenBuffer& frame, const FontTables& font, std::string_view text, int x, int y, int xmin,
                     int xmax, int ymin, int ymax, int face, int tint);

}  // namespace korveld::render
