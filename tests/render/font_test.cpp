#include "render/font.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "content/font/font_sheet.hpp"
#include "tests/support/frames.hpp"

namespace korveld::render {
namespace {

using support::CountNot;

std::unique_ptr<ScreenBuffer> Frame(std::uint32_t colour = 0) { return support::MakeFrame(colour); }

TEST(TintColour, WorkedExamples) {
  // Palette index 6 of the font, (252, 254, 252).
  EXPECT_EQ(TintColour(252, 254, 252, 1), 0xFCFEFCu);
  EXPECT_EQ(TintColour(252, 254, 252, 2), 0xA8A9A8u);  // floor(x / 1.5)
  EXPECT_EQ(TintColour(252, 254, 252, 3), 0x7E7F7Eu);  // halved
  EXPECT_EQ(TintColour(252, 254, 252, 22), 0xFCB24Cu); // orange: 252, round(254 * 0.7), round(252 * 0.3)
  // One of each group at shade 1.0, on (196, 194, 196).
  EXPECT_EQ(TintColour(196, 194, 196, 4), 0xC40000u);
  EXPECT_EQ(TintColour(196, 194, 196, 7), 0x00C200u);
  EXPECT_EQ(TintColour(196, 194, 196, 10), 0x0000C4u);
  EXPECT_EQ(TintColour(196, 194, 196, 13), 0xC4C200u);
  EXPECT_EQ(TintColour(196, 194, 196, 16), 0x00C2C4u);
  EXPECT_EQ(TintColour(196, 194, 196, 19), 0xC400C4u);
  EXPECT_EQ(TintColour(196, 194, 196, 25), 0x3B88C4u);  // round(58.8), round(135.8), 196
  // Shade 1.5 floors before the factor: floor(196 / 1.5) = 130, * 0.7 = 91.
  EXPECT_EQ(TintColour(196, 194, 196, 29), 0x5B815Bu);
  // Ties go to even: 15 * 0.3 = 4.5 gives 4, 15 * 0.7 = 10.5 gives 10.
  EXPECT_EQ(TintColour(15, 15, 15, 25), 0x040A0Fu);
  EXPECT_EQ(TintColour(15, 15, 15, 28), 0x0A0F0Au);
}

// A synthetic sheet: glyph "A" (columns 298..306) of face 1 holds palette
// indices 1..9 across every row but a hole at row 5, column 4; face 2's "A"
// (rows 14..25) holds 10 and 11; code 254 (columns 1999..2007) holds 3.
// Palette entry i is (i, 2i, 3i), but entry 0, the glyphs' background, is
// (4, 4, 4): an opaque cell paints it.
class SyntheticFont : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::uint8_t> sheet(kFontSheetWidth * kFontSheetHeight, 0);
    for (int r = 0; r < 12; ++r) {
      for (int k = 0; k < 9; ++k) {
        sheet[static_cast<std::size_t>(r * kFontSheetWidth + 298 + k)] = static_cast<std::uint8_t>(k + 1);
        sheet[static_cast<std::size_t>((14 + r) * kFontSheetWidth + 298 + k)] = static_cast<std::uint8_t>(10 + k % 2);
        sheet[static_cast<std::size_t>(r * kFontSheetWidth + 1999 + k)] = 3;
      }
    }
    sheet[static_cast<std::size_t>(5 * kFontSheetWidth + 302)] = 0;
    std::vector<std::uint8_t> palette(768);
    for (int i = 0; i < 768; ++i) palette[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i / 3 * (i % 3 + 1));
    palette[0] = palette[1] = palette[2] = 4;
    BuildFontTables(*font, sheet, palette);
  }
  static std::uint32_t Colour(int i) { return static_cast<std::uint32_t>(i << 16 | (2 * i & 0xFF) << 8 | (3 * i & 0xFF)); }
  std::unique_ptr<FontTables> font = std::make_unique<FontTables>();
};

TEST_F(SyntheticFont, GlyphAReadsColumns298To306) {
  auto f = Frame(0xABCDEF);
  DrawGlyphClipped(*f, *font, "A", 50, 60, 0, 800, 0, 599, 1, 1);
  for (int r = 0; r < 12; ++r) {
    for (int k = 0; k < 9; ++k) {
      const std::uint32_t want = (r == 5 && k == 4) ? 0xABCDEF : Colour(k + 1);
      ASSERT_EQ(f->at(50 + k, 60 + r), want) << r << "," << k;
    }
  }
  EXPECT_EQ(CountNot(*f, 0xABCDEF), 9 * 12 - 1);
  // Face 2 reads rows 14..25; code 254 columns 1999..2007; "B" is empty here.
  auto g = Frame();
  DrawGlyphClipped(*g, *font, "A", 50, 60, 0, 800, 0, 599, 2, 1);
  EXPECT_EQ(g->at(50, 60), Colour(10));
  EXPECT_EQ(g->at(51, 71), Colour(11));
  auto h = Frame();
  DrawGlyphClipped(*h, *font, "\xFE", 0, 0, 0, 800, 0, 599, 1, 1);
  DrawGlyphClipped(*h, *font, "B", 100, 100, 0, 800, 0, 599, 1, 1);
  EXPECT_EQ(CountNot(*h, 0), 108);
  EXPECT_EQ(h->at(8, 11), Colour(3));
}

TEST_F(SyntheticFont, ClipRectangleIsInclusiveAndBadArgumentsDrawNothing) {
  auto f = Frame();
  DrawGlyphClipped(*f, *font, "A", 50, 60, 52, 55, 62, 64, 1, 1);
  EXPECT_EQ(CountNot(*f, 0), 4 * 3);
  EXPECT_EQ(f->at(52, 62), Colour(3));
  EXPECT_EQ(f->at(55, 64), Colour(6));
  // The frame's own edges clip too.
  auto g = Frame();
  DrawGlyphClipped(*g, *font, "A", 795, 595, 0, 800, 0, 700, 1, 1);
  DrawGlyphClipped(*g, *font, "A", -4, -7, -100, 800, -100, 700, 1, 1);
  EXPECT_EQ(CountNot(*g, 0), 5 * 5 + 5 * 5);
  EXPECT_EQ(g->at(0, 0), Colour(5));
  auto h = Frame(0x111111);
  for (auto [text, face, tint] : {std::tuple{"", 1, 1}, {"A", 3, 1}, {"A", 0, 1}, {"A", 1, 0}, {"A", 1, 32},
                                  {"\x1F", 1, 1}, {" ", 1, 1}, {"\x04", 1, 1}}) {
    DrawGlyphClipped(*h, *font, text, 50, 60, 0, 800, 0, 599, face, tint);
    DrawGlyphOpaque(*h, *font, text, 50, 300, face, tint);
  }
  EXPECT_EQ(CountNot(*h, 0x111111), 0);
}

TEST_F(SyntheticFont, TintsAndTint31) {
  auto f = Frame(0x111111);
  DrawGlyphClipped(*f, *font, "A", 50, 60, 0, 800, 0, 599, 1, 3);
  EXPECT_EQ(f->at(50 + 8, 60), TintColour(9, 18, 27, 3));
  DrawGlyphClipped(*f, *font, "A", 50, 60, 0, 800, 0, 599, 1, 31);
  EXPECT_EQ(f->at(50 + 8, 60), 0u);
  EXPECT_EQ(f->at(50 + 4, 65), 0x111111u);  // the hole stays transparent
  // Tint 31 reads slot 0 of the next colour: black for every colour.
  for (int i = 0; i < 256; ++i) ASSERT_EQ(font->TintTable[static_cast<std::size_t>(i * 31 + 31)], 0u) << i;
}

TEST_F(SyntheticFont, OpaquePaintsTheWholeCellInsideTheTextRows) {
  // Cell rows 188..199: only 193..199 lie in the text area; 565..576 keep 565..569.
  auto f = Frame(0x111111);
  DrawGlyphOpaque(*f, *font, "A", 50, 188, 1, 1);
  DrawGlyphOpaque(*f, *font, "A", 50, 565, 1, 1);
  EXPECT_EQ(CountNot(*f, 0x111111), 9 * 7 + 9 * 5);
  EXPECT_EQ(f->at(50, 192), 0x111111u);
  EXPECT_EQ(f->at(50, 193), Colour(1));
  EXPECT_EQ(f->at(54, 193), 0x040404u);  // the hole takes palette entry 0, not the background
  EXPECT_EQ(f->at(50, 570), 0x111111u);
  // "B" is empty in this sheet: a box of entry 0 in the tint (7: green).
  auto h = Frame(0x111111);
  DrawGlyphOpaque(*h, *font, "B", 300, 300, 2, 7);
  EXPECT_EQ(CountNot(*h, 0x111111), 108);
  EXPECT_EQ(h->at(308, 311), 0x000400u);
  // No column clip except the frame's edges.
  auto e = Frame(0x111111);
  DrawGlyphOpaque(*e, *font, "A", 795, 300, 1, 1);
  DrawGlyphOpaque(*e, *font, "A", -5, 300, 1, 1);
  EXPECT_EQ(CountNot(*e, 0x111111), 5 * 12 + 4 * 12);
}

}  // namespace
}  // namespace korveld::render
