// The big font: the embedded 1888 x 32 mask and its palette become working
// tables once, right after the display opens. Drawing reads per-column bit
// masks so a glyph costs one step per glyph pixel.
#include <algorithm>

#include "content/bigfont/bigfont.hpp"
#include "render/intro.hpp"

namespace korveld::render {
namespace {

constexpr int kSheetWidth = content::kBigFontSheetWidth;
constexpr int kSheetRows = content::kBigFontSheetHeight;
constexpr int kFirstCode = 32;

std::uint32_t ReverseRows(std::uint32_t mask) {
  std::uint32_t out = 0;
  for (int r = 0; r < kGlyphSize; ++r) {
    if ((mask >> r) & 1u) out |= 1u << (kGlyphSize - 1 - r);
  }
  return out;
}

}  // namespace

void LoadBigFont(BigFont& font) {
  const auto data = content::BigFontData();
  const std::size_t sheetBytes = content::kBigFontSheetBytes;
  font.sheet.fill(0);
  font.palette.fill(0);
  if (data.size() >= sheetBytes) {
    for (std::size_t i = 0; i < sheetBytes; ++i) font.sheet[i] = data[i];
  }
  if (data.size() >= sheetBytes + content::kBigFontPaletteBytes) {
    for (int i = 0; i < 256; ++i) {
      const std::size_t at = sheetBytes + 3 * static_cast<std::size_t>(i);
      font.palette[i] = static_cast<std::uint32_t>(data[at]) << 16 | static_cast<std::uint32_t>(data[at + 1]) << 8 |
                        data[at + 2];
    }
  }
  // A sheet pixel belongs to a glyph when its palette colour is not black.
  for (int g = 0; g < kBigFontGlyphs; ++g) {
    for (int column = 0; column < kGlyphSize; ++column) {
      std::uint32_t mask = 0;
      for (int row = 0; row < kSheetRows; ++row) {
        const std::uint32_t index = font.sheet[row * kSheetWidth + g * kGlyphSize + column];
        if (font.palette[index & 0xFF] != 0) mask |= 1u << row;
      }
      font.columns[g][column] = mask;
      font.mirrored[g][column] = ReverseRows(mask);
    }
  }
}

int GlyphIndex(char c) {
  int code = static_cast<unsigned char>(c);
  if (code >= 'a' && code <= 'z') code -= 'a' - 'A';
  const int sx = code * kGlyphSize - kFirstCode * kGlyphSize;
  if (sx < 0 || sx >= kSheetWidth) return -1;
  return sx / kGlyphSize;
}

void InitIntro(IntroState& intro) { LoadBigFont(intro.font); }

}  // namespace korveld::render
