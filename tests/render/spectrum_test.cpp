#include "render/spectrum.hpp"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "render/primitives.hpp"
#include "tests/support/frames.hpp"
#include "tests/support/golden.hpp"

namespace korveld::render {
namespace {

class SpectrumTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillSpectrumColours(s);
    InitSpectrum(s);
    frame = std::make_unique<ScreenBuffer>();
  }
  // One frame as the viewer does it: feed, then clamp, fall and draw.
  void Frame(std::vector<std::uint32_t> notes, int skin = 1) {
    FeedSpectrum(s, notes);
    DrawSpectrumBars(*frame, s, skin);
  }
  SpectrumState s;
  std::unique_ptr<ScreenBuffer> frame;
};

// The bars' colours and columns on both skins are pinned by the golden
// below; these are the heights' worked numbers.
TEST_F(SpectrumTest, BarsAtRestSettleBelowTheBaselineAndDrawNothing) {
  Frame({});
  Frame({0, 255, 45, 84, 97});  // none, key off, below and above the bar range
  for (int i = 0; i < 40; ++i) EXPECT_EQ(s.heights[i], 149.0) << i;
  for (std::uint32_t px : frame->pixels) ASSERT_EQ(px, 0u);
}

TEST_F(SpectrumTest, Note46RaisesBarOneByTwoAndItsNeighboursByOne) {
  Frame({0x0700 | 46});  // the instrument byte is ignored
  EXPECT_EQ(s.heights[1], 145.0);
  EXPECT_EQ(s.heights[0], 146.0);
  EXPECT_EQ(s.heights[2], 146.0);
  EXPECT_EQ(s.heights[3], 149.0);
  Frame({46});
  EXPECT_EQ(s.heights[1], 143.0);
  EXPECT_EQ(s.heights[0], 145.0);
  // Bar 1 spans columns 170..180, rows 143..147 on skin 1.
  EXPECT_EQ(frame->at(170, 143), 0x663322u);
  EXPECT_EQ(frame->at(175, 142), 0u);
}

TEST_F(SpectrumTest, TwoChannelsOnOneNoteAddTheirPushesUpToTheCap) {
  std::vector<double> tops;
  for (int f = 0; f < 4; ++f) {
    Frame({60, 60});
    tops.push_back(s.heights[15]);
  }
  EXPECT_EQ(tops, (std::vector<double>{141.0, 135.0, 133.0, 133.0}));  // 129 clamped to 131, then the fall
  EXPECT_EQ(s.heights[14], 133.0);  // neighbours: -6 + 2 per frame, capped too
  s.heights[5] = 131.0;
  FeedSpectrum(s, std::vector<std::uint32_t>{50});
  EXPECT_EQ(s.heights[5], 127.0);
  DrawSpectrumBars(*frame, s, 1);
  EXPECT_EQ(s.heights[5], 133.0);
}

TEST_F(SpectrumTest, BarsOutsideTheEdgesRiseOnlyAsNeighbours) {
  Frame({83});  // bar 38: its neighbour 39 is the last bar
  EXPECT_EQ(s.heights[38], 145.0);
  EXPECT_EQ(s.heights[39], 146.0);
  Frame({84});  // bar 39 itself is never driven
  EXPECT_EQ(s.heights[39], 148.0);
}

}  // namespace
}  // namespace korveld::render

namespace korveld::render {
namespace {

// Every glow style and both spectrum skins with all their colours in one
// frame each, against stored hashes: the colour tables no page or session
// golden reaches.
TEST(RenderGolden, GlowStylesAndSpectrumSkins) {
  for (int skin : {1, 2}) {
    auto frame = support::MakeFrame();
    for (int style = 1; style <= 8; ++style) DrawGlowLine(*frame, 10 + 4 * style, 20, 750, style, 0.0);
    SpectrumState s;
    FillSpectrumColours(s);
    InitSpectrum(s);
    std::vector<std::uint32_t> notes;
    for (std::uint32_t note = 46; note <= 83; ++note) notes.push_back(note);
    for (int f = 0; f < 8; ++f) {
      FeedSpectrum(s, notes);
      DrawSpectrumBars(*frame, s, skin);
    }
    support::ExpectGolden(KORVELD_SOURCE_DIR "/tests/render/golden_hashes.txt", "skin" + std::to_string(skin),
                          support::HashFrame(*frame));
  }
}

}  // namespace
}  // namespace korveld::render
