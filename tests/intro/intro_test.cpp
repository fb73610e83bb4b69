// The intro scene: the worked examples of the bars, the noise, the stars,
// the waves and the scroller, the edges where drawing must stop, and whole
// frames against stored hashes. The golden frames catch any change in how
// the scene is drawn; the single cases pin the numbers and the edges those
// frames do not reach.
//
// Regenerate the hashes with KORVELD_REGENERATE_GOLDEN=1 (the run fails on
// purpose), after looking at the pictures (korveld-render's "shot" command).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/program.hpp"
#include "platform/headless.hpp"
#include "platform/null_platform.hpp"
#include "render/intro.hpp"
#include "tests/support/frames.hpp"
#include "tests/support/golden.hpp"

namespace korveld::render {
namespace {

using support::CountNot;
using support::MakeFrame;

// Time moves only by sleepMs and by `presentSeconds` per update; random()
// returns the scripted values, then 0.
class FakePlatform : public platform::NullPlatform {
 public:
  double now = 100.0;
  double presentSeconds = 0.0;
  std::vector<double> scripted;
  std::size_t nextScripted = 0;
  int presents = 0, sleeps = 0;

  int update(const std::uint32_t*, std::span<const std::uint8_t>) override {
    ++presents;
    now += presentSeconds;
    return 1;
  }
  double timer() override { return now; }
  void sleepMs(int ms) override {
    now += ms / 1000.0;
    ++sleeps;
  }
  double random() override { return nextScripted < scripted.size() ? scripted[nextScripted++] : 0.0; }
};

// The colour of a uniform row, or 0xFFFFFFFF when the row is not uniform.
std::uint32_t RowColour(const ScreenBuffer& frame, int y) {
  const std::uint32_t first = frame.at(0, y);
  for (int x = 1; x < kScreenWidth; ++x) {
    if (frame.at(x, y) != first) return 0xFFFFFFFFu;
  }
  return first;
}

std::uint32_t Pack(int r, int g, int b) { return static_cast<std::uint32_t>(r << 16 | g << 8 | b); }

// The bars' rows over time are in the golden frames. A bar ramps up and down;
// it stops at the last row and skips rows above the frame.
TEST(RasterBars, TheRampsEdges) {
  auto frame = MakeFrame(0x00FF00);
  DrawRasterBar(*frame, 584, 1);
  EXPECT_EQ(RowColour(*frame, 583), 0x00FF00u);
  for (int r = 0; r < 16; ++r) EXPECT_EQ(RowColour(*frame, 584 + r), static_cast<std::uint32_t>(r + 1)) << r;
  frame->clear(0x00FF00);
  DrawRasterBar(*frame, -10, 2);
  EXPECT_EQ(RowColour(*frame, 0), 22u);
  EXPECT_EQ(RowColour(*frame, 21), 0u);
  EXPECT_EQ(RowColour(*frame, 22), 0x00FF00u);
}

TEST(NoiseFlash, HalfASecondOfBandsInRoundedRandomColours) {
  FakePlatform platform;
  platform.presentSeconds = 0.119;  // each frame takes 0.12 s with the 1 ms sleep
  auto frame = MakeFrame();
  app::NoiseFlash(platform, *frame, kNoiseCoarse);
  EXPECT_EQ(platform.presents, 5);  // frames at 0, 0.12, 0.24, 0.36 and 0.48 s
  EXPECT_EQ(platform.sleeps, 5);
  EXPECT_NEAR(platform.now, 100.6, 1e-9);

  FakePlatform once;
  once.presentSeconds = 0.5;
  once.scripted = {0.5, 0.999, 0.0019, 0.998, 0.0, 0.00196};
  app::NoiseFlash(once, *frame, kNoiseCoarse);
  EXPECT_EQ(once.presents, 1);
  // 127.5 rounds to even 128, 254.745 to 255, 0.4845 to 0; then 254.49, 0, 0.4998.
  for (int y = 0; y < 10; ++y) EXPECT_EQ(RowColour(*frame, y), 0x80FF00u) << y;
  EXPECT_EQ(RowColour(*frame, 10), 0xFE0000u);
  EXPECT_NE(RowColour(*frame, 599), 0xFFFFFFFFu);  // 60 uniform bands cover every row
}

// Parks every star but `keep` off-screen (x = 0.5 is never drawn).
void ParkAllBut(IntroState& intro, int keep, double x, double y) {
  intro.stars.x.fill(0.5);
  intro.stars.y.fill(100.0);
  intro.stars.x[keep] = x;
  intro.stars.y[keep] = y;
}

// Placement, layers and speeds show in the golden frames; the edges do not.
TEST(StarField, TheDrawingWindowAndTheWrap) {
  auto intro = std::make_unique<IntroState>();
  auto frame = MakeFrame();
  // Only stars with 5 <= x < 796 are drawn (a core and a rim: 12 pixels).
  for (double x : {4.9, 5.0, 795.99, 796.0}) {
    frame->clear();
    ParkAllBut(*intro, 10, x, 50.0);
    StarField(*frame, *intro, 0.0);
    EXPECT_EQ(CountNot(*frame, 0), x >= 5.0 && x < 796.0 ? 12 : 0) << x;
  }
  // Past 800 a star wraps to the left edge; exactly 800 stays until the next move.
  ParkAllBut(*intro, 1, 799.5, 300.0);
  StarField(*frame, *intro, 25.0);
  EXPECT_DOUBLE_EQ(intro->stars.x[1], 14.5);
  ParkAllBut(*intro, 1, 800.0, 300.0);
  StarField(*frame, *intro, 0.0);
  EXPECT_EQ(intro->stars.x[1], 800.0);
}

TEST(WaveTables, RowsAndGradientsAtClockZero) {
  auto intro = std::make_unique<IntroState>();
  WaveTables(*intro, 0.0);
  EXPECT_EQ(intro->waves.scrollerRow[0], 310);  // both sines 0: the centre lines
  EXPECT_EQ(intro->waves.reflectionRow[0], 592);
  EXPECT_EQ(intro->waves.scrollerRow[1], 312);  // 310 + 1.9468
  EXPECT_EQ(intro->waves.reflectionRow[1], 591);  // 592 - 0.8119
  EXPECT_EQ(intro->waves.titleFace[0], Pack(125, 170, 203));
  EXPECT_EQ(intro->waves.scrollerFace[0], Pack(150, 247, 200));
  EXPECT_EQ(intro->waves.reflection[0], Pack(87, 64, 148));
  // The reflection fades from row 522 (f = 0.985) to black at 588.
  WaveTables(*intro, 42.0);
  EXPECT_EQ(intro->waves.reflection[521], Pack(51, 114, 134));
  EXPECT_EQ(intro->waves.reflection[522], Pack(50, 114, 131));
  EXPECT_EQ(intro->waves.reflection[587], Pack(0, 1, 0));
  for (int i = 588; i < kGradientRows; ++i) ASSERT_EQ(intro->waves.reflection[i], 0u) << i;
}

struct Scene {
  std::unique_ptr<IntroState> intro = std::make_unique<IntroState>();
  std::unique_ptr<ScreenBuffer> frame = MakeFrame();
  Scene() {
    InitIntro(*intro);
    WaveTables(*intro, 0.0);
  }
};

// The lines are drawn from runs made once; new texts make new runs.
TEST(TitleLines, CharactersWithoutAGlyphAreSkippedWithoutAdvancing) {
  Scene s;
  s.intro->TitleLines[1] = "WXYZ";
  TitleLines(*s.frame, *s.intro, 0.0);
  s.frame->clear();
  s.intro->TitleLines.fill("");
  s.intro->TitleLines[1] = "A[B_";  // centred: starts at 400 - 64 = 336
  TitleLines(*s.frame, *s.intro, 0.0);
  auto expected = MakeFrame();
  DrawTitleGlyph(*expected, *s.intro, GlyphIndex('A'), 336, 93);
  DrawTitleGlyph(*expected, *s.intro, GlyphIndex('B'), 368, 93);
  EXPECT_TRUE(s.frame->pixels == expected->pixels);
}

// Every character of the scroll text has a glyph, and every pause holds a
// window that is on screen. (The page compiler writes the credits and
// refuses lowercase.)
TEST(ScrollText, EveryCharacterHasAGlyphAndEveryPauseAWindow) {
  auto intro = std::make_unique<IntroState>();
  StoreIntroTexts(*intro);
  const std::string& text = intro->ScrollText;
  int markers = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    ASSERT_GE(GlyphIndex(text[i]), 0) << "no glyph for '" << text[i] << "' at " << i;
    if (text[i] == kPauseMarker) {
      ++markers;
      ASSERT_LE(i + 25, text.size());  // the held window is on screen
    }
  }
  EXPECT_GT(markers, 4);
}

TEST(Scroller, MovesFivePixelsATenthWrapsWholeCharactersAndPauses) {
  auto intro = std::make_unique<IntroState>();
  intro->ScrollText = "XYZ";
  StartScroller(*intro, 10.0);
  MoveScroller(*intro, 25.0, 10.0);  // not past the pause-until time yet
  EXPECT_EQ(intro->scroll.sx, 0.0);
  MoveScroller(*intro, 25.0, 10.001);
  EXPECT_EQ(intro->scroll.sx, -5.0);
  intro->scroll.sx = -31.0;
  MoveScroller(*intro, 1.0, 11.0);  // -32 is not past -32
  EXPECT_EQ(intro->scroll.pos, 1);
  MoveScroller(*intro, 0.5, 11.0);
  EXPECT_EQ(intro->scroll.pos, 2);
  EXPECT_DOUBLE_EQ(intro->scroll.sx, -0.5);
  intro->scroll.pos = 3;
  intro->scroll.sx = -32.0;
  MoveScroller(*intro, 1.0, 11.0);
  EXPECT_EQ(intro->scroll.pos, 1);
  EXPECT_DOUBLE_EQ(intro->scroll.sx, -1.0);
  // A pause marker arriving at the left edge holds the text four seconds.
  intro->ScrollText = "XaY";
  intro->scroll.sx = -31.0;
  MoveScroller(*intro, 5.0, 20.0);
  ASSERT_EQ(intro->scroll.pos, 2);
  EXPECT_DOUBLE_EQ(intro->scroll.pauseUntil, 24.0);
  const double held = intro->scroll.sx;
  MoveScroller(*intro, 5.0, 24.0);
  EXPECT_EQ(intro->scroll.sx, held);
  MoveScroller(*intro, 5.0, 24.001);
  EXPECT_LT(intro->scroll.sx, held);
}

TEST(Scroller, MarkersShowAsSpacesLowercaseAsCapitalsAndGaplessSkips) {
  Scene s;
  auto draw = [&](const std::string& text, int pos = 1) {
    auto frame = MakeFrame();
    s.intro->ScrollText = text;
    s.intro->scroll = ScrollState{};
    s.intro->scroll.pos = pos;
    s.intro->scroll.sx = -3.5;  // drawn from x = -4
    DrawScroller(*frame, *s.intro);
    return frame;
  };
  EXPECT_TRUE(draw("aBCD")->pixels == draw(" BCD")->pixels);
  EXPECT_TRUE(draw("xbcz")->pixels == draw("XBCZ")->pixels);
  EXPECT_TRUE(draw("B[C_D")->pixels == draw("BCD")->pixels);
  EXPECT_FALSE(draw("BCD")->pixels == draw("B CD")->pixels);
  EXPECT_TRUE(draw("XYBCD", 3)->pixels == draw("BCD")->pixels);
  // The 26th character from pos shows its first columns at x = 796; the 27th does not.
  EXPECT_GT(CountNot(*draw(std::string(25, ' ') + "W"), 0), 0);
  EXPECT_EQ(CountNot(*draw(std::string(26, ' ') + "W"), 0), 0);
}

// Glyphs over the frame's edges are cut there: nothing wraps into the other
// end of a row, and the reflection stops above row 599.
TEST(Scroller, GlyphsStopAtTheFrameEdges) {
  Scene s;
  auto untouched = [&](int x0, int x1, int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (s.frame->at(x, y) != 0x010203u) return false;
      }
    }
    return true;
  };
  s.frame->clear(0x010203);
  s.intro->waves.scrollerRow.fill(483);  // the lowest rows the waves can give
  s.intro->waves.reflectionRow.fill(670);
  DrawScrollerGlyph(*s.frame, *s.intro, GlyphIndex('M'), 780);
  DrawTitleGlyph(*s.frame, *s.intro, GlyphIndex('M'), 785, 580);
  EXPECT_TRUE(untouched(0, 8, 0, kScreenHeight));
  EXPECT_TRUE(untouched(0, 780, 516, kScreenHeight));
  EXPECT_GT(CountNot(*s.frame, 0x010203), 300);
  s.frame->clear(0x010203);
  DrawScrollerGlyph(*s.frame, *s.intro, GlyphIndex('W'), -10);
  DrawTitleGlyph(*s.frame, *s.intro, GlyphIndex('W'), -20, -20);
  EXPECT_TRUE(untouched(792, 800, 0, kScreenHeight));
  s.frame->clear(0x010203);
  s.intro->waves.scrollerRow.fill(300);
  s.intro->waves.reflectionRow.fill(580);
  DrawScrollerGlyph(*s.frame, *s.intro, GlyphIndex('I'), 300);
  EXPECT_FALSE(untouched(0, kScreenWidth, 598, 599));  // rows r < 18 only; the last one's shadow at y0 + 1 + r
  EXPECT_TRUE(untouched(0, kScreenWidth, 599, 600));
}

// Whatever rows the wave tables hold and wherever a glyph lands, nothing is
// written outside the frame: guard zones on both sides stay untouched.
TEST(Scroller, NoWaveRowOrPositionReachesOutsideTheFrame) {
  struct Guarded {
    std::array<std::uint32_t, 72000> before{};  // room for rows -41..683
    ScreenBuffer frame;
    std::array<std::uint32_t, 72000> after{};
  };
  auto g = std::make_unique<Guarded>();
  Scene s;
  platform::RandomGenerator random;
  random.seed(7);
  for (int round = 0; round < 400; ++round) {
    for (int j = 0; j < kWaveColumns; ++j) {
      s.intro->waves.scrollerRow[j] = static_cast<int>(random.next() * 690) - 40;
      s.intro->waves.reflectionRow[j] = static_cast<int>(random.next() * 690) - 40;
    }
    const int x = static_cast<int>(random.next() * 900) - 50;
    const int y = static_cast<int>(random.next() * 690) - 40;
    DrawScrollerGlyph(g->frame, *s.intro, GlyphIndex('M'), x);
    DrawTitleGlyph(g->frame, *s.intro, GlyphIndex('M'), x, y);
  }
  for (std::uint32_t v : g->before) ASSERT_EQ(v, 0u);
  for (std::uint32_t v : g->after) ASSERT_EQ(v, 0u);
  EXPECT_GT(CountNot(g->frame, 0), 10000);
}

// The whole program on the headless backend: the first intro frame (drawn
// over the last noise flash), the first 3 s later, and one at 12 s, while the
// scroller holds at the welcome pause marker.
TEST(IntroGolden, ProgramFramesMatchGolden) {
  std::vector<platform::ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(platform::ParseScript("wait 12.5\nkey escape\nwait 3.2\nkey escape\n", &commands, &error)) << error;
  platform::HeadlessPlatform p({}, std::move(commands));
  ASSERT_EQ(app::RunProgram(p), 0);
  const auto& frames = p.frames();
  auto picture = [&](double from) {
    return std::find_if(frames.begin(), frames.end(), [&](const platform::FrameRecord& f) {
      return f.kind == platform::FrameKind::kPicture && f.time >= from;
    });
  };
  const auto first = picture(0.0), later = picture(first->time + 3.0), paused = picture(12.0);
  ASSERT_NE(paused, frames.end());
  ASSERT_NE(first, frames.begin());
  EXPECT_EQ(std::prev(first)->kind, platform::FrameKind::kBands);
  const std::string golden = KORVELD_SOURCE_DIR "/tests/intro/render_golden.txt";
  support::ExpectGolden(golden, "intro_first_frame", first->hash);
  support::ExpectGolden(golden, "intro_after_3s", later->hash);
  support::ExpectGolden(golden, "intro_paused", paused->hash);
}

}  // namespace
}  // namespace korveld::render
