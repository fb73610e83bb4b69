// The embedded big font and the character lookup.
#include <gtest/gtest.h>

#include <memory>

#include "content/bigfont/bigfont.hpp"
#include "render/intro.hpp"

namespace korveld::render {
namespace {

TEST(BigFontData, IsAOneLevelMaskWithOnlyEntryZeroBlack) {
  const auto data = content::BigFontData();
  ASSERT_EQ(data.size(), 1888u * 32u + 768u);
  for (std::size_t i = 0; i < 1888u * 32u; ++i) {
    ASSERT_TRUE(data[i] == 0 || data[i] == 255) << "byte " << i;
  }
  for (int entry = 0; entry < 256; ++entry) {
    const std::size_t at = 1888u * 32u + 3u * entry;
    const bool black = data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 0;
    EXPECT_EQ(black, entry == 0) << "palette entry " << entry;
  }
}

TEST(BigFont, EveryCharacterButSpaceHasInkInsideItsCell) {
  auto font = std::make_unique<BigFont>();
  LoadBigFont(*font);
  EXPECT_EQ(font->palette[255], 0xFFFFFFu);
  for (int g = 0; g < kBigFontGlyphs; ++g) {
    int ink = 0;
    for (std::uint32_t column : font->columns[g]) ink += std::popcount(column);
    if (g == 0) {
      EXPECT_EQ(ink, 0) << "space";
    } else {
      EXPECT_GT(ink, 20) << "glyph of code " << g + 32;
    }
  }
  // A capital stands well inside its cell: strong strokes, a margin for the
  // one-pixel shadow and highlight.
  const auto& h = font->columns[GlyphIndex('H')];
  EXPECT_EQ(h[0], 0u);
  EXPECT_EQ(h[31], 0u);
  EXPECT_GE(std::popcount(h[8]), 22);  // the left stem
}

TEST(BigFont, MirroredColumnsAreTheUprightOnesUpsideDown) {
  auto font = std::make_unique<BigFont>();
  LoadBigFont(*font);
  const int g = GlyphIndex('F');
  for (int c = 0; c < kGlyphSize; ++c) {
    for (int r = 0; r < kGlyphSize; ++r) {
      EXPECT_EQ((font->columns[g][c] >> r) & 1u, (font->mirrored[g][c] >> (31 - r)) & 1u);
    }
  }
}

TEST(GlyphIndex, CoversSpaceToCapitalZAfterUpperCasing) {
  EXPECT_EQ(GlyphIndex(' '), 0);
  EXPECT_EQ(GlyphIndex('!'), 1);
  EXPECT_EQ(GlyphIndex('0'), 16);
  EXPECT_EQ(GlyphIndex('A'), 33);
  EXPECT_EQ(GlyphIndex('Z'), 58);
  EXPECT_EQ(GlyphIndex('a'), 33);
  EXPECT_EQ(GlyphIndex('z'), 58);
  EXPECT_EQ(GlyphIndex('['), -1);  // sx 1888: past the sheet
  EXPECT_EQ(GlyphIndex('_'), -1);
  EXPECT_EQ(GlyphIndex('{'), -1);
  EXPECT_EQ(GlyphIndex('\x1f'), -1);
  EXPECT_EQ(GlyphIndex('\0'), -1);
  EXPECT_EQ(GlyphIndex(static_cast<char>(0xC4)), -1);
}

}  // namespace
}  // namespace korveld::render
