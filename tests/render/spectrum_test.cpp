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

TEST_F(SpectrumTest, BarsAtRestSettleBelowTheBaselineAndDrawNothing) {
  Frame({});
  for (int i = 0; i < 40; ++i) EXPECT_EQ(s.heights[i], 149.0);
  Frame({0, 255, 45, 84, 97});  // none, key off, below and above the bar range
  for (int i = 0; i < 40; ++i) EXPECT_EQ(s.heights[i], 149.0) << i;
  for (std::uint32_t px : frame->pixels) ASSERT_EQ(px, 0u);
}

TEST_F(SpectrumTest, Note46RaisesBarOneByTwoAndItsNeighboursByOne) {
  Frame({46});
  EXPECT_EQ(s.heights[1], 145.0);
  EXPECT_EQ(s.heights[0], 146.0);
  EXPECT_EQ(s.heights[2], 146.0);
  EXPECT_EQ(s.heights[3], 149.0);
  Frame({46});
  EXPECT_EQ(s.heights[1], 143.0);
  EXPECT_EQ(s.heights[0], 145.0);
  // Bar 1 spans columns 170..180, rows 143..147 on skin 1.
  EXPECT_EQ(frame->at(170, 143), 0x663322u);
  EXPECT_EQ(frame->at(180, 147), 0x221111u);
  EXPECT_EQ(frame->at(169, 145), 0u);  // gap column
  EXPECT_EQ(frame->at(181, 145), 0u);
  EXPECT_EQ(frame->at(175, 142), 0u);
  EXPECT_EQ(frame->at(175, 148), 0u);
  // Bar 0 (columns 158..168) rows 145..147.
  EXPECT_EQ(frame->at(158, 145), 0x441111u);
  EXPECT_EQ(frame->at(158, 144), 0u);
}

TEST_F(SpectrumTest, TheInstrumentByteIsIgnored) {
  Frame({0x0700 | 46});
  EXPECT_EQ(s.heights[1], 145.0);
}

TEST_F(SpectrumTest, TwoChannelsOnOneNoteAddTheirPushesUpToTheCap) {
  std::vector<double> tops;
  for (int f = 0; f < 6; ++f) {
    Frame({60, 60});
    tops.push_back(s.heights[15]);
  }
  EXPECT_EQ(tops[0], 141.0);
  EXPECT_EQ(tops[1], 135.0);
  EXPECT_EQ(tops[2], 133.0);  // 129 clamped to 131, then the fall
  EXPECT_EQ(tops[3], 133.0);
  EXPECT_EQ(s.heights[14], 133.0);  // neighbours: -6 + 2 per frame, capped too
}

TEST_F(SpectrumTest, APushTo127IsClampedTo131ThenFallsTo133) {
  s.heights[5] = 131.0;
  FeedSpectrum(s, std::vector<std::uint32_t>{50});
  EXPECT_EQ(s.heights[5], 127.0);
  DrawSpectrumBars(*frame, s, 1);
  EXPECT_EQ(s.heights[5], 133.0);
  // The tallest bar: two black rows, then the gradient down to the baseline.
  const int x = 158 + 12 * 5;
  EXPECT_EQ(frame->at(x, 132), 0u);
  EXPECT_EQ(frame->at(x, 135), 0xEEBB33u);
  EXPECT_EQ(frame->at(x + 10, 147), 0x221111u);
}

TEST_F(SpectrumTest, SkinTwoDrawsTwoRowsLowerInBlue) {
  Frame({46}, 2);
  Frame({46}, 2);
  // Height 143: rows 143..147 drawn at 145..149 with the colours of 143..147.
  EXPECT_EQ(frame->at(170, 145), 0x223366u);
  EXPECT_EQ(frame->at(170, 149), 0x111122u);
  EXPECT_EQ(frame->at(170, 144), 0u);
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
