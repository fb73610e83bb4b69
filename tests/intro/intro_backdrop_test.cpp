// The cleared intro frame, the raster bars and the noise flashes.
#include <gtest/gtest.h>

#include <memory>

#include "app/program.hpp"
#include "intro_helpers.hpp"

namespace korveld::render {
namespace {

using testing::FakePlatform;

std::uint32_t RowColour(const ScreenBuffer& frame, int y) {
  const std::uint32_t first = frame.at(0, y);
  for (int x = 1; x < kScreenWidth; ++x) {
    if (frame.at(x, y) != first) return 0xFFFFFFFFu;  // not a uniform row
  }
  return first;
}

TEST(IntroBackground, WritesBlackAndTheBlueTopGradientEverywhere) {
  auto frame = std::make_unique<ScreenBuffer>();
  frame->clear(0x123456);
  IntroState intro;
  IntroBackground(*frame, intro);
  EXPECT_EQ(RowColour(*frame, 0), 0u);
  EXPECT_EQ(RowColour(*frame, 1), 150u);
  EXPECT_EQ(RowColour(*frame, 2), 147u);
  EXPECT_EQ(RowColour(*frame, 50), 3u);
  for (int y = 51; y < kScreenHeight; ++y) ASSERT_EQ(RowColour(*frame, y), 0u) << "row " << y;
}

TEST(RasterBars, FirstPairAtClockZeroSitsAtRows389And584) {
  EXPECT_EQ(UpperBarRow(1, 0.0), 389);
  EXPECT_EQ(LowerBarRow(1, 0.0), 584);
  EXPECT_EQ(UpperBarRow(7, 0.0), 458);
  EXPECT_EQ(LowerBarRow(7, 0.0), 529);
  // s = sin((4k + clock) x 3.14 / 90): a quarter turn later (clock 41) the
  // first bar is near the top of its swing.
  EXPECT_EQ(UpperBarRow(1, 41.0), 475);
}

TEST(RasterBars, ABarIsARampUpAndDownAndStopsAtTheLastRow) {
  auto frame = std::make_unique<ScreenBuffer>();
  frame->clear(0x00FF00);
  DrawRasterBar(*frame, 584, 1);
  EXPECT_EQ(RowColour(*frame, 583), 0x00FF00u);
  for (int r = 0; r < 16; ++r) EXPECT_EQ(RowColour(*frame, 584 + r), static_cast<std::uint32_t>(r + 1)) << r;

  frame->clear(0x00FF00);
  DrawRasterBar(*frame, 100, 14);
  EXPECT_EQ(RowColour(*frame, 100), 14u);
  EXPECT_EQ(RowColour(*frame, 115), 224u);
  EXPECT_EQ(RowColour(*frame, 116), 210u);
  EXPECT_EQ(RowColour(*frame, 130), 14u);
  EXPECT_EQ(RowColour(*frame, 131), 0u);
  EXPECT_EQ(RowColour(*frame, 132), 0x00FF00u);
  EXPECT_EQ(RowColour(*frame, 99), 0x00FF00u);

  frame->clear(0x00FF00);
  DrawRasterBar(*frame, -10, 2);  // rows above the frame are skipped too
  EXPECT_EQ(RowColour(*frame, 0), 22u);
  EXPECT_EQ(RowColour(*frame, 21), 0u);
}

TEST(RasterBars, LaterBarsCoverEarlierOnesAtClockZero) {
  auto frame = std::make_unique<ScreenBuffer>();
  IntroState intro;
  RasterBars(*frame, intro, 0.0);
  EXPECT_EQ(RowColour(*frame, 388), 0u);
  EXPECT_EQ(RowColour(*frame, 389), 2u);   // k = 1, upper, step 2
  EXPECT_EQ(RowColour(*frame, 402), 28u);  // just above the k = 2 bar at 403
  EXPECT_EQ(RowColour(*frame, 403), 4u);
  EXPECT_EQ(RowColour(*frame, 488), 14u);  // k = 7 ends at 489 with 0
  EXPECT_EQ(RowColour(*frame, 490), 0u);
  // The lower twin of k = 1 (584..599) lies under k = 2 (573..604) and k = 4
  // (553..584): row 584 is the last row of k = 4, row 599 row 26 of k = 2.
  EXPECT_EQ(RowColour(*frame, 584), 0u);
  EXPECT_EQ(RowColour(*frame, 599), 10u);
  EXPECT_EQ(RowColour(*frame, 529), 7u);  // k = 7 lower, step 7
}

TEST(NoiseFlash, FillsBandsWithRoundedRandomColoursForHalfASecond) {
  FakePlatform platform;
  platform.presentSeconds = 0.119;  // each frame takes 0.12 s with the 1 ms sleep
  auto frame = std::make_unique<ScreenBuffer>();
  app::NoiseFlash(platform, *frame, kNoiseCoarse);
  // Frames start at 0, 0.12, 0.24, 0.36 and 0.48 s; at 0.6 s the flash ends.
  EXPECT_EQ(platform.presents, 5);
  EXPECT_EQ(platform.sleeps, 5);
  EXPECT_NEAR(platform.now, 100.6, 1e-9);

  FakePlatform once;
  once.presentSeconds = 0.5;
  once.scripted = {0.5, 0.999, 0.0019, 0.998, 0.0, 0.00196};
  app::NoiseFlash(once, *frame, kNoiseCoarse);
  EXPECT_EQ(once.presents, 1);
  // 127.5 rounds to even 128, 254.745 to 255, 0.4845 to 0.
  for (int y = 0; y < 10; ++y) EXPECT_EQ(RowColour(*frame, y), 0x80FF00u) << y;
  // 254.49 -> 254, 0 -> 0, 0.4998 -> 0.
  EXPECT_EQ(RowColour(*frame, 10), 0xFE0000u);
  EXPECT_NE(RowColour(*frame, 590), 0xFFFFFFFFu);  // 60 uniform bands cover every row
}

TEST(NoiseFlash, FineBandsAreTwoRowsHigh) {
  FakePlatform platform;
  platform.presentSeconds = 0.5;
  auto frame = std::make_unique<ScreenBuffer>();
  app::NoiseFlash(platform, *frame, kNoiseFine);
  EXPECT_EQ(platform.presents, 1);
  int changes = 0;
  for (int y = 0; y < kScreenHeight; ++y) {
    ASSERT_NE(RowColour(*frame, y), 0xFFFFFFFFu);
    if (y % 2 == 1) {
      ASSERT_EQ(frame->at(0, y), frame->at(0, y - 1)) << y;
    } else if (y > 0 && frame->at(0, y) != frame->at(0, y - 1)) {
      ++changes;
    }
  }
  EXPECT_GT(changes, 290);  // 300 bands of independent colours
}

}  // namespace
}  // namespace korveld::render
