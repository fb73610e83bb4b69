// Title lines and the scroller: glyph passes, centring, skipped characters,
// the pause marker, the step cap, the wrap and the clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "content/sid/sid_tunes.hpp"
#include "intro_helpers.hpp"

namespace korveld::render {
namespace {

struct Scene {
  std::unique_ptr<IntroState> intro = std::make_unique<IntroState>();
  std::unique_ptr<ScreenBuffer> frame = std::make_unique<ScreenBuffer>();
  Scene() {
    InitIntro(*intro);
    WaveTables(*intro, 0.0);
  }
  bool Ink(int glyph, int column, int row) const {
    if (column < 0 || column >= kGlyphSize || row < 0 || row >= kGlyphSize) return false;
    return (intro->font.columns[glyph][column] >> row) & 1u;
  }
};

int CountNonBlack(const ScreenBuffer& frame) {
  int n = 0;
  for (std::uint32_t p : frame.pixels) n += p != 0;
  return n;
}

// Painter's order of the three passes: a pixel shows the face when it is a
// glyph pixel, else the highlight when the pixel down-right of it is one,
// else the shadow when the pixel up-left of it is one.
TEST(TitleLines, AGlyphIsShadowThenHighlightThenFace) {
  Scene s;
  const int g = GlyphIndex('R');
  const int x0 = 300, y0 = 200;
  DrawTitleGlyph(*s.frame, *s.intro, g, x0, y0);
  int face = 0, highlight = 0, shadow = 0;
  for (int r = -2; r < 34; ++r) {
    for (int c = -2; c < 34; ++c) {
      std::uint32_t want = 0;
      if (s.Ink(g, c, r)) {
        want = s.intro->waves.titleFace[y0 + r];
        ++face;
      } else if (s.Ink(g, c + 1, r + 1)) {
        want = 0xFFFFFF;
        ++highlight;
      } else if (s.Ink(g, c - 1, r - 1)) {
        want = 0x444444;
        ++shadow;
      }
      ASSERT_EQ(s.frame->at(x0 + c, y0 + r), want) << c << "," << r;
    }
  }
  EXPECT_GT(face, 100);
  EXPECT_GT(highlight, 10);
  EXPECT_GT(shadow, 10);
}

TEST(TitleLines, NineCentredLinesFromRow93) {
  Scene s;
  StoreIntroTexts(*s.intro);
  EXPECT_EQ(s.intro->TitleLines[1], "*********");
  EXPECT_EQ(s.intro->TitleLines[2], "*KORVELD*");
  EXPECT_EQ(s.intro->TitleLines[3], s.intro->TitleLines[1]);
  EXPECT_EQ(s.intro->TitleLines[4], "");
  EXPECT_EQ(s.intro->TitleLines[5], "issue number 35");
  EXPECT_EQ(s.intro->TitleLines[6], "Released on");
  EXPECT_EQ(s.intro->TitleLines[8], "");
  EXPECT_EQ(s.intro->TitleLines[9], "= TRY F1 TO F12 =");
  const std::string& date = s.intro->TitleLines[7];
  ASSERT_EQ(date.size(), 10u);
  EXPECT_EQ(date[2], '-');
  EXPECT_EQ(date[5], '-');

  // Line 6 "Released on" (11 characters) is drawn exactly like its capitals
  // glyph by glyph from x = 400 - 176 at row 33 x 6 + 60.
  auto expected = std::make_unique<ScreenBuffer>();
  int x = 400 - 16 * 11;
  for (char c : std::string("RELEASED ON")) {
    DrawTitleGlyph(*expected, *s.intro, GlyphIndex(c), x, 258);
    x += 32;
  }
  s.intro->TitleLines.fill("");
  s.intro->TitleLines[6] = "Released on";
  TitleLines(*s.frame, *s.intro, 0.0);
  EXPECT_TRUE(s.frame->pixels == expected->pixels);
  EXPECT_GT(CountNonBlack(*s.frame), 11 * 150);
}

TEST(TitleLines, CharactersWithoutAGlyphAreSkippedWithoutAdvancing) {
  Scene s;
  s.intro->TitleLines.fill("");
  s.intro->TitleLines[1] = "A[B_";  // starts at 400 - 64 = 336
  TitleLines(*s.frame, *s.intro, 0.0);
  auto expected = std::make_unique<ScreenBuffer>();
  DrawTitleGlyph(*expected, *s.intro, GlyphIndex('A'), 336, 93);
  DrawTitleGlyph(*expected, *s.intro, GlyphIndex('B'), 368, 93);
  EXPECT_TRUE(s.frame->pixels == expected->pixels);
}

TEST(TitleLines, GlyphsAtTheFrameEdgesAreClipped) {
  Scene s;
  s.frame->clear(0x010203);
  // Hanging over the right edge and over the bottom: nothing may wrap into
  // the next row's left columns or land outside the frame.
  DrawTitleGlyph(*s.frame, *s.intro, GlyphIndex('M'), 785, 580);
  DrawTitleGlyph(*s.frame, *s.intro, GlyphIndex('W'), -20, -20);
  int touched = 0;
  for (int y = 0; y < kScreenHeight; ++y) {
    if (y > 20) {
      for (int x = 0; x < 8; ++x) ASSERT_EQ(s.frame->at(x, y), 0x010203u) << x << "," << y;
    }
    for (int x = 786; x < kScreenWidth; ++x) touched += y >= 579 && s.frame->at(x, y) != 0x010203u;
  }
  EXPECT_GT(touched, 50);
}

// The music credits name every composer of the intro tunes once, as the
// tune sources spell them, and no one else.
TEST(ScrollText, HoldsTheFixedPartsAndAPauseMarkerPerCredit) {
  auto intro = std::make_unique<IntroState>();
  StoreIntroTexts(*intro);
  const std::string& text = intro->ScrollText;
  EXPECT_EQ(text.substr(0, 66), std::string(66, ' '));
  EXPECT_EQ(text[66], 'a');
  EXPECT_NE(text.find(" ** WELCOME ** "), std::string::npos);
  EXPECT_NE(text.find(" PLEASE PRESS THE -LEFT MOUSE- BUTTON OR -ESCAPE- TO BEGIN   ----   WE HOPE YOU ENJOY IT   "),
            std::string::npos);
  EXPECT_EQ(text.back(), '*');
  int markers = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    ASSERT_FALSE(c >= 'b' && c <= 'z') << "lowercase at " << i;
    ASSERT_GE(GlyphIndex(c), 0) << "no glyph for '" << c << "' at " << i;
    if (c == 'a') {
      ++markers;
      // The paused window (marker plus the 24 characters after it) is on screen.
      ASSERT_LE(i + 25, text.size());
    }
  }
  std::vector<std::string> composers;
  for (int n = 1; n <= 12; ++n) {
    std::string name(content::SidTuneCreditOf(n).composer);
    ASSERT_FALSE(name.empty()) << "tune " << n;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (std::find(composers.begin(), composers.end(), name) == composers.end()) composers.push_back(name);
  }
  std::vector<std::string> credited;
  for (std::size_t at = 0; (at = text.find(" - MUSIC", at)) != std::string::npos; at += 8) {
    const std::size_t marker = text.rfind('a', at);
    const std::size_t from = text.find_first_not_of(' ', marker + 1);
    credited.push_back(text.substr(from, at - from));
  }
  EXPECT_EQ(credited, composers);
  EXPECT_EQ(composers.size(), 8u);
  EXPECT_EQ(markers, 2 + static_cast<int>(composers.size()) + 2);  // welcome, title, music, code and replay
}

TEST(Scroller, ATenthOfASecondFrameMovesFivePixels) {
  auto intro = std::make_unique<IntroState>();
  intro->ScrollText = std::string(40, 'X');
  StartScroller(*intro, 10.0);
  MoveScroller(*intro, 25.0, 10.0);  // not past the pause-until time yet
  EXPECT_EQ(intro->scroll.sx, 0.0);
  MoveScroller(*intro, 25.0, 10.001);
  EXPECT_EQ(intro->scroll.sx, -5.0);
  MoveScroller(*intro, 2.5, 10.002);
  EXPECT_EQ(intro->scroll.sx, -7.5);
}

TEST(Scroller, AWholeCharacterAdvancesThePositionAndWraps) {
  auto intro = std::make_unique<IntroState>();
  intro->ScrollText = "XYZ";
  StartScroller(*intro, 0.0);
  intro->scroll.sx = -31.0;
  MoveScroller(*intro, 1.0, 1.0);  // -32 is not past -32
  EXPECT_EQ(intro->scroll.pos, 1);
  MoveScroller(*intro, 0.5, 1.0);
  EXPECT_EQ(intro->scroll.pos, 2);
  EXPECT_DOUBLE_EQ(intro->scroll.sx, -0.5);
  intro->scroll.pos = 3;
  intro->scroll.sx = -32.0;
  MoveScroller(*intro, 1.0, 1.0);
  EXPECT_EQ(intro->scroll.pos, 1);
  EXPECT_DOUBLE_EQ(intro->scroll.sx, -1.0);
}

TEST(Scroller, APauseMarkerHoldsTheTextFourSecondsWhileTheWavesGoOn) {
  testing::FakePlatform platform;
  auto intro = std::make_unique<IntroState>();
  auto frame = std::make_unique<ScreenBuffer>();
  InitIntro(*intro);
  intro->ScrollText = "XaHELLO";
  StartScroller(*intro, platform.now);
  // 0.02 s frames move 5 pixels: the marker reaches the left after 7 frames.
  testing::IntroClocks clocks{0.0, 0.0};
  int frames = 0;
  while (intro->scroll.pos == 1 && frames < 100) {
    testing::RunIntroFrame(*frame, *intro, platform, clocks, 0.02, false);
    ++frames;
  }
  ASSERT_EQ(intro->scroll.pos, 2);
  const double pausedAt = platform.now - 0.02;
  EXPECT_DOUBLE_EQ(intro->scroll.pauseUntil, pausedAt + 4.0);
  const double held = intro->scroll.sx;
  const auto rowsBefore = intro->waves.scrollerRow;
  while (platform.now < pausedAt + 3.99) {
    testing::RunIntroFrame(*frame, *intro, platform, clocks, 0.02, false);
    ASSERT_EQ(intro->scroll.sx, held);
  }
  EXPECT_NE(intro->waves.scrollerRow, rowsBefore);
  testing::RunIntroFrame(*frame, *intro, platform, clocks, 0.02, false);
  testing::RunIntroFrame(*frame, *intro, platform, clocks, 0.02, false);
  EXPECT_LT(intro->scroll.sx, held);
}

// A flat wave makes the scroller's passes easy to predict.
void FlattenWaves(IntroState& intro, int row, int reflectionRow) {
  intro.waves.scrollerRow.fill(row);
  intro.waves.reflectionRow.fill(reflectionRow);
}

TEST(Scroller, UprightAndMirroredGlyphsOnAFlatWave) {
  Scene s;
  FlattenWaves(*s.intro, 200, 540);
  const int g = GlyphIndex('P');
  DrawScrollerGlyph(*s.frame, *s.intro, g, 100);
  for (int r = -2; r < 34; ++r) {
    for (int c = -2; c < 34; ++c) {
      std::uint32_t want = 0;
      if (s.Ink(g, c, r)) {
        want = s.intro->waves.scrollerFace[200 + r];
      } else if (s.Ink(g, c + 1, r + 1)) {
        want = 0xFFFFFF;
      } else if (s.Ink(g, c - 1, r - 1)) {
        want = 0x444444;
      }
      ASSERT_EQ(s.frame->at(100 + c, 200 + r), want) << "upright " << c << "," << r;
      // Mirrored: output row r shows glyph row 31 - r; the shifted copies
      // take the gradient 20 rows further down or up.
      const auto& refl = s.intro->waves.reflection;
      want = 0;
      if (s.Ink(g, c, 31 - r)) {
        want = refl[540 + r];
      } else if (s.Ink(g, c + 1, 31 - (r + 1))) {
        want = refl[540 + r + 1 - 20];
      } else if (s.Ink(g, c - 1, 31 - (r - 1))) {
        want = refl[540 + r - 1 + 20];
      }
      ASSERT_EQ(s.frame->at(100 + c, 540 + r), want) << "mirrored " << c << "," << r;
    }
  }
}

TEST(Scroller, ReflectionStopsAboveRow598AndColumnsStayInside) {
  Scene s;
  FlattenWaves(*s.intro, 483, 670);  // the lowest rows the waves can give
  s.frame->clear(0x010203);
  DrawScrollerGlyph(*s.frame, *s.intro, GlyphIndex('M'), 780);
  // Nothing below the upright glyph's shadow (row 483 + 32) and nothing
  // wrapped from column 799 into the next row's first columns.
  for (int y = 516; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) ASSERT_EQ(s.frame->at(x, y), 0x010203u) << x << "," << y;
  }
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < 8; ++x) ASSERT_EQ(s.frame->at(x, y), 0x010203u) << x << "," << y;
  }
  // Hanging off the left edge: nothing wraps back into column 799.
  s.frame->clear(0x010203);
  DrawScrollerGlyph(*s.frame, *s.intro, GlyphIndex('W'), -10);
  for (int y = 0; y < kScreenHeight; ++y) ASSERT_EQ(s.frame->at(799, y), 0x010203u) << y;

  FlattenWaves(*s.intro, 300, 580);
  s.frame->clear(0x010203);
  DrawScrollerGlyph(*s.frame, *s.intro, GlyphIndex('I'), 300);
  int lowest = 0;
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) {
      if (s.frame->at(x, y) != 0x010203u && y >= 540) lowest = y;
    }
  }
  EXPECT_EQ(lowest, 598);  // rows r < 18 only; the last one's shadow at y0 + 1 + r
}

TEST(Scroller, MarkersShowAsSpacesLowercaseAsCapitalsAndGaplessSkips) {
  Scene s;
  auto draw = [&](const std::string& text, int pos = 1) {
    auto frame = std::make_unique<ScreenBuffer>();
    s.intro->ScrollText = text;
    s.intro->scroll = ScrollState{};
    s.intro->scroll.pos = pos;
    s.intro->scroll.sx = -3.5;  // drawn from x = -4
    DrawScroller(*frame, *s.intro);
    return frame;
  };
  EXPECT_TRUE(draw("aBCD")->pixels == draw(" BCD")->pixels);
  EXPECT_TRUE(draw("xbcd")->pixels == draw("XBCD")->pixels);
  EXPECT_TRUE(draw("B[C_D")->pixels == draw("BCD")->pixels);
  EXPECT_FALSE(draw("BCD")->pixels == draw("B CD")->pixels);
  // The 26th character from pos shows its first columns at x = 796 (up to
  // column 798); the 27th, at 828, does not.
  EXPECT_GT(CountNonBlack(*draw(std::string(25, ' ') + "W")), 0);
  EXPECT_EQ(CountNonBlack(*draw(std::string(26, ' ') + "W")), 0);
  // From a later position on.
  EXPECT_TRUE(draw("XYBCD", 3)->pixels == draw("BCD")->pixels);
}

}  // namespace
}  // namespace korveld::render

namespace korveld::render {
namespace {

// Whatever rows the wave tables hold and wherever a glyph lands, nothing is
// written outside the frame: guard zones on both sides stay untouched.
TEST(Scroller, NoWaveRowOrPositionReachesOutsideTheFrame) {
  struct Guarded {
    // Large enough to catch any row from -41 to 683 (see the rows below).
    std::array<std::uint32_t, 72000> before{};
    ScreenBuffer frame;
    std::array<std::uint32_t, 72000> after{};
  };
  auto g = std::make_unique<Guarded>();
  auto intro = std::make_unique<IntroState>();
  InitIntro(*intro);
  WaveTables(*intro, 0.0);
  platform::RandomGenerator random;
  random.seed(7);
  const int glyph = GlyphIndex('M');
  for (int round = 0; round < 400; ++round) {
    for (int j = 0; j < kWaveColumns; ++j) {
      intro->waves.scrollerRow[j] = static_cast<int>(random.next() * 690) - 40;
      intro->waves.reflectionRow[j] = static_cast<int>(random.next() * 690) - 40;
    }
    const int x = static_cast<int>(random.next() * 900) - 50;
    const int y = static_cast<int>(random.next() * 690) - 40;
    DrawScrollerGlyph(g->frame, *intro, glyph, x);
    DrawTitleGlyph(g->frame, *intro, glyph, x, y);
  }
  for (std::uint32_t v : g->before) ASSERT_EQ(v, 0u);
  for (std::uint32_t v : g->after) ASSERT_EQ(v, 0u);
  int drawn = 0;
  for (std::uint32_t p : g->frame.pixels) drawn += p != 0;
  EXPECT_GT(drawn, 10000);
}

}  // namespace
}  // namespace korveld::render
