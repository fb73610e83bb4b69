// Frame placement on screens of common sizes and the pointer mapping back.
#include "platform/scaling.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace korveld::platform {
namespace {

auto Tie(const FramePlacement& p) { return std::make_tuple(p.x, p.y, p.w, p.h, p.factor, p.smooth); }

TEST(FramePlacement, FillTakesTheScreenHeightUnlessAWholeFactorNearlyDoes) {
  using T = std::tuple<int, int, int, int, int, bool>;
  const auto fill = [](int w, int h) { return Tie(PlaceFrame(w, h, 800, 600, ScaleMode::kFill)); };
  const auto whole = [](int w, int h) { return Tie(PlaceFrame(w, h, 800, 600, ScaleMode::kWholeFactor)); };
  EXPECT_EQ(fill(1920, 1080), T(240, 0, 1440, 1080, 2, true));
  EXPECT_EQ(whole(1920, 1080), T(560, 240, 800, 600, 1, false));
  EXPECT_EQ(fill(1280, 1024), T(0, 32, 1280, 960, 2, true));  // width-bound
  EXPECT_EQ(whole(1280, 1024), T(240, 212, 800, 600, 1, false));
  EXPECT_EQ(fill(1600, 1200), T(0, 0, 1600, 1200, 2, false));
  EXPECT_EQ(fill(2560, 1440), T(320, 0, 1920, 1440, 3, true));
  EXPECT_EQ(fill(800, 600), T(0, 0, 800, 600, 1, false));
  // The whole factor's 1200 rows are 90 % of a 1333-row fill, not of 1334.
  EXPECT_EQ(fill(1800, 1333), T(100, 66, 1600, 1200, 2, false));
  EXPECT_EQ(fill(1800, 1334), T(11, 0, 1778, 1334, 3, true));
  // Smaller than the frame: shrunk to fit in either mode.
  EXPECT_EQ(whole(640, 400), T(53, 0, 533, 400, 1, true));
  EXPECT_EQ(fill(640, 400), whole(640, 400));
}

TEST(FramePlacement, PointerMapsBackOntoTheSamePixelAndTheBarsClampToTheEdge) {
  for (const auto& [w, h] : {std::pair{1920, 1080}, {1280, 1024}, {1600, 1200}, {640, 400}}) {
    for (const ScaleMode mode : {ScaleMode::kFill, ScaleMode::kWholeFactor}) {
      const FramePlacement p = PlaceFrame(w, h, 800, 600, mode);
      // Round trips where every frame pixel has a screen pixel of its own.
      for (const auto& [fx, fy] : {std::pair{0, 0}, {799, 599}, {1, 598}, {400, 300}, {637, 17}}) {
        if (p.w < 800) break;
        const FramePoint s = FrameToScreen(p, 800, 600, fx, fy);
        const FramePoint back = ScreenToFrame(p, 800, 600, s.x, s.y);
        EXPECT_EQ(std::tie(back.x, back.y), std::tie(fx, fy)) << w << "x" << h << " at " << s.x << "," << s.y;
      }
      const FramePoint topLeft = ScreenToFrame(p, 800, 600, -0.5, -3);
      const FramePoint bottomRight = ScreenToFrame(p, 800, 600, w, h + 7);
      EXPECT_EQ(std::tie(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y), std::make_tuple(0, 0, 799, 599));
    }
  }
  // 1.8 screen pixels to a frame pixel at 1920 x 1080: 241.7 is still pixel 0, 241.8 pixel 1.
  const FramePlacement p = PlaceFrame(1920, 1080, 800, 600, ScaleMode::kFill);
  EXPECT_EQ(ScreenToFrame(p, 800, 600, 241.7, 0).x, 0);
  EXPECT_EQ(ScreenToFrame(p, 800, 600, 241.8, 0).x, 1);
}

}  // namespace
}  // namespace korveld::platform
