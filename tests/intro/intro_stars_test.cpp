// The star field: placement, layers, the drawing window and the wrap.
#include <gtest/gtest.h>

#include <memory>

#include "intro_helpers.hpp"

namespace korveld::render {
namespace {

using testing::FakePlatform;

int CountNonBlack(const ScreenBuffer& frame) {
  int n = 0;
  for (std::uint32_t p : frame.pixels) n += p != 0;
  return n;
}

// Parks every star but `keep` off-screen (x = 0.5 is never drawn).
void ParkAllBut(IntroState& intro, int keep, double x, double y) {
  for (int i = 1; i <= kStarCount; ++i) {
    intro.stars.x[i] = 0.5;
    intro.stars.y[i] = 100.0;
  }
  intro.stars.x[keep] = x;
  intro.stars.y[keep] = y;
}

TEST(StarField, PlacementDrawsXThenYForEachStar) {
  FakePlatform platform;
  platform.scripted = {0.25, 0.5, 0.999, 0.0};
  auto intro = std::make_unique<IntroState>();
  PlaceStars(*intro, platform);
  EXPECT_EQ(intro->stars.x[1], 200.0);
  EXPECT_EQ(intro->stars.y[1], 257.0);
  EXPECT_EQ(intro->stars.x[2], 0.999 * 800);
  EXPECT_EQ(intro->stars.y[2], 22.0);
  for (int i = 1; i <= kStarCount; ++i) {
    ASSERT_GE(intro->stars.x[i], 0.0);
    ASSERT_LT(intro->stars.x[i], 800.0);
    ASSERT_GE(intro->stars.y[i], 22.0);
    ASSERT_LT(intro->stars.y[i], 492.0);
  }
}

TEST(StarField, AStarIsACoreWithARimInItsLayersColours) {
  auto intro = std::make_unique<IntroState>();
  auto frame = std::make_unique<ScreenBuffer>();
  ParkAllBut(*intro, 250, 100.7, 200.2);  // fastest layer
  StarField(*frame, *intro, 0.0);
  EXPECT_EQ(CountNonBlack(*frame), 12);
  for (auto [x, y] : {std::pair{100, 200}, {101, 200}, {100, 201}, {101, 201}}) {
    EXPECT_EQ(frame->at(x, y), 0x999999u) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{102, 200}, {102, 201}, {99, 200}, {99, 201}, {100, 199}, {101, 199}, {100, 202},
                      {101, 202}}) {
    EXPECT_EQ(frame->at(x, y), 0x444444u) << x << "," << y;
  }
  EXPECT_EQ(frame->at(99, 199), 0u);  // no corners

  frame->clear();
  ParkAllBut(*intro, 1, 100.7, 200.2);  // slowest layer
  StarField(*frame, *intro, 0.0);
  EXPECT_EQ(frame->at(100, 200), 0x222222u);
  EXPECT_EQ(frame->at(99, 200), 0x111111u);

  frame->clear();
  ParkAllBut(*intro, 150, 100.7, 200.2);  // middle layer
  StarField(*frame, *intro, 0.0);
  EXPECT_EQ(frame->at(100, 200), 0x444444u);
  EXPECT_EQ(frame->at(99, 200), 0x222222u);
}

TEST(StarField, OnlyStarsWithXiBetween5And795AreDrawn) {
  auto intro = std::make_unique<IntroState>();
  auto frame = std::make_unique<ScreenBuffer>();
  for (double x : {4.9, 796.0, 799.5}) {
    frame->clear();
    ParkAllBut(*intro, 10, x, 50.0);
    StarField(*frame, *intro, 0.0);
    EXPECT_EQ(CountNonBlack(*frame), 0) << x;
  }
  for (double x : {5.0, 795.99}) {
    frame->clear();
    ParkAllBut(*intro, 10, x, 50.0);
    StarField(*frame, *intro, 0.0);
    EXPECT_EQ(CountNonBlack(*frame), 12) << x;
  }
}

TEST(StarField, ATenthOfASecondMovesTheLayers15_30And45Pixels) {
  auto intro = std::make_unique<IntroState>();
  auto frame = std::make_unique<ScreenBuffer>();
  for (int i = 1; i <= kStarCount; ++i) intro->stars.x[i] = 100.0;
  StarField(*frame, *intro, 0.1 * 250);
  EXPECT_DOUBLE_EQ(intro->stars.x[1], 115.0);
  EXPECT_DOUBLE_EQ(intro->stars.x[100], 115.0);
  EXPECT_DOUBLE_EQ(intro->stars.x[101], 130.0);
  EXPECT_DOUBLE_EQ(intro->stars.x[300], 145.0);
  // Drawn where they were before the move.
  EXPECT_NE(frame->at(100, static_cast<int>(intro->stars.y[1])), 0u);
}

TEST(StarField, AStarPast800WrapsToTheLeftEdge) {
  auto intro = std::make_unique<IntroState>();
  auto frame = std::make_unique<ScreenBuffer>();
  ParkAllBut(*intro, 1, 799.5, 300.0);
  StarField(*frame, *intro, 25.0);  // drawn nowhere, then moves 15 and wraps
  EXPECT_EQ(CountNonBlack(*frame), 0);
  EXPECT_DOUBLE_EQ(intro->stars.x[1], 14.5);
  StarField(*frame, *intro, 0.0);
  EXPECT_EQ(frame->at(14, 300), 0x222222u);

  // Exactly 800 is not past: it stays, undrawn, until the next move.
  ParkAllBut(*intro, 1, 800.0, 300.0);
  StarField(*frame, *intro, 0.0);
  EXPECT_EQ(intro->stars.x[1], 800.0);
}

}  // namespace
}  // namespace korveld::render
