// The per-frame wave and gradient tables.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "render/intro.hpp"

namespace korveld::render {
namespace {

std::uint32_t Pack(int r, int g, int b) { return static_cast<std::uint32_t>(r << 16 | g << 8 | b); }

TEST(WaveTables, AtClockZeroColumnZeroSitsOnTheCentreLines) {
  auto intro = std::make_unique<IntroState>();
  WaveTables(*intro, 0.0);
  // c = 0 makes both sines 0: rows 310 and 592.
  EXPECT_EQ(intro->waves.scrollerRow[0], 310);
  EXPECT_EQ(intro->waves.reflectionRow[0], 592);
  // c = 1 for columns 1 and 2: sin(0.0130958) x 100 + sin(0.0087306) x 73 = 1.9468
  EXPECT_EQ(intro->waves.scrollerRow[1], 312);
  EXPECT_EQ(intro->waves.reflectionRow[1], 591);  // 592 - 0.8119
}

TEST(WaveTables, NeighbouringColumnsPairUpAsOneTwoTwo) {
  auto intro = std::make_unique<IntroState>();
  for (double clock : {0.0, 13.7, 250.25}) {
    WaveTables(*intro, clock);
    for (int j = 1; j + 1 < kWaveColumns; j += 2) {
      ASSERT_EQ(intro->waves.scrollerRow[j], intro->waves.scrollerRow[j + 1]) << j;
      ASSERT_EQ(intro->waves.reflectionRow[j], intro->waves.reflectionRow[j + 1]) << j;
    }
  }
}

TEST(WaveTables, RowsStayInsideTheirBandsForAnyClock) {
  auto intro = std::make_unique<IntroState>();
  int lowest = 1000, highest = -1000, reflectionLowest = 1000, reflectionHighest = -1000;
  for (double clock = 0.0; clock < 3000.0; clock += 7.31) {
    WaveTables(*intro, clock);
    for (int j = 0; j < kWaveColumns; ++j) {
      lowest = std::min(lowest, intro->waves.scrollerRow[j]);
      highest = std::max(highest, intro->waves.scrollerRow[j]);
      reflectionLowest = std::min(reflectionLowest, intro->waves.reflectionRow[j]);
      reflectionHighest = std::max(reflectionHighest, intro->waves.reflectionRow[j]);
    }
  }
  EXPECT_GE(lowest, 137);
  EXPECT_LE(highest, 483);
  EXPECT_GE(reflectionLowest, 514);
  EXPECT_LE(reflectionHighest, 670);
  EXPECT_LT(lowest, 160);  // and they really swing
  EXPECT_GT(reflectionHighest, 650);
}

TEST(WaveTables, GradientsAtClockZero) {
  auto intro = std::make_unique<IntroState>();
  WaveTables(*intro, 0.0);
  // sin(0) x 90 + 125, sin(20 k2 / 4) = 0.5002, sin(40 k2 / 4) = 0.8660.
  EXPECT_EQ(intro->waves.titleFace[0], Pack(125, 170, 203));
  EXPECT_EQ(intro->waves.scrollerFace[0], Pack(150, 247, 200));
  EXPECT_EQ(intro->waves.reflection[0], Pack(87, 64, 148));
  // The title face travels with the clock; the scroller face does not.
  auto later = std::make_unique<IntroState>();
  WaveTables(*later, 20.0);
  EXPECT_EQ(later->waves.titleFace[0], intro->waves.titleFace[20]);
  EXPECT_EQ(later->waves.titleFace[300], intro->waves.titleFace[320]);
  EXPECT_NE(later->waves.titleFace[0], intro->waves.titleFace[0]);
  EXPECT_EQ(later->waves.scrollerFace, intro->waves.scrollerFace);
  EXPECT_EQ(later->waves.reflection, intro->waves.reflection);
}

TEST(WaveTables, ReflectionFadesFromRow522ToBlackAt588) {
  auto intro = std::make_unique<IntroState>();
  WaveTables(*intro, 42.0);
  const double k2 = 0.104766666666667;
  auto channel = [&](int i, double f) {
    return static_cast<int>(std::floor((std::sin(i * k2 * 0.25) * 50 + 100) * f));
  };
  auto expected = [&](int i, double f) { return Pack(channel(-10 - i, f), channel(-90 - i, f), channel(-170 - i, f)); };
  for (int i = 0; i <= 521; ++i) ASSERT_EQ(intro->waves.reflection[i], expected(i, 1.0)) << i;
  EXPECT_EQ(intro->waves.reflection[521], Pack(51, 114, 134));
  EXPECT_EQ(intro->waves.reflection[522], Pack(50, 114, 131));  // f = 0.985
  EXPECT_EQ(intro->waves.reflection[522], expected(522, 1.0 - 0.015));
  EXPECT_EQ(intro->waves.reflection[587], Pack(0, 1, 0));  // f = 0.01
  for (int i = 588; i < kGradientRows; ++i) ASSERT_EQ(intro->waves.reflection[i], 0u) << i;
}

}  // namespace
}  // namespace korveld::render
