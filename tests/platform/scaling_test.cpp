// Frame placement on screens of common sizes and the pointer mapping back.
#include "platform/scaling.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace korveld::platform {
namespace {

using T = std::tuple<int, int, int, int, bool>;
T Place(int w, int h, ScaleMode mode) {
  const FramePlacement p = PlaceFrame(w, h, 800, 600, mode);
  return {p.x, p.y, p.w, p.h, p.smooth};
}

TEST(FramePlacement, FillTakesTheScreenHeightUnlessAWholeFactorNearlyDoes) {
  const ScaleMode fill = ScaleMode::kFill, whole = ScaleMode::kWholeFactor;
  EXPECT_EQ(Place(1920, 1080, fill), T(240, 0, 1440, 1080, false));
  EXPECT_EQ(Place(1920, 1080, whole), T(560, 240, 800, 600, false));
  EXPECT_EQ(Place(1280, 1024, fill), T(0, 32, 1280, 960, false));  // width-bound
  EXPECT_EQ(Place(1280, 1024, whole), T(240, 212, 800, 600, false));
  EXPECT_EQ(Place(1600, 1200, fill), T(0, 0, 1600, 1200, false));
  EXPECT_EQ(Place(2560, 1440, fill), T(320, 0, 1920, 1440, false));
  // The whole factor's 1800 rows are 90 % of a 2000-row fill, not of 2001.
  EXPECT_EQ(Place(3000, 2000, fill), T(300, 100, 2400, 1800, false));
  EXPECT_EQ(Place(3000, 2001, fill), T(166, 0, 2668, 2001, false));
  // Smaller than the frame: shrunk to fit in either mode.
  EXPECT_EQ(Place(640, 400, whole), T(53, 0, 533, 400, true));
  EXPECT_EQ(Place(640, 400, fill), Place(640, 400, whole));
}

TEST(FramePlacement, PointerMapsBackOntoTheSamePixelAndTheBarsClampToTheEdge) {
  for (const auto& [w, h] : {std::pair{1920, 1080}, {1280, 1024}, {1600, 1200}, {640, 400}}) {
    for (const ScaleMode mode : {ScaleMode::kFill, ScaleMode::kWholeFactor}) {
      const FramePlacement p = PlaceFrame(w, h, 800, 600, mode);
      // Round trips where every frame pixel has a screen pixel of its own.
      for (const auto& [fx, fy] : {std::pair{0, 0}, {799, 599}, {1, 598}, {400, 300}, {637, 17}}) {
        const FramePoint s = FrameToScreen(p, 800, 600, fx, fy), back = ScreenToFrame(p, 800, 600, s.x, s.y);
        if (p.w >= 800) EXPECT_EQ(std::tie(back.x, back.y), std::tie(fx, fy)) << w << "x" << h << " at " << s.x;
      }
      const FramePoint topLeft = ScreenToFrame(p, 800, 600, -0.5, -3), end = ScreenToFrame(p, 800, 600, w, h + 7);
      EXPECT_EQ(std::tie(topLeft.x, topLeft.y, end.x, end.y), std::make_tuple(0, 0, 799, 599));
    }
  }
  // 1.8 screen pixels to a frame pixel at 1920 x 1080: 241.7 is still pixel 0, 241.8 pixel 1.
  const FramePlacement p = PlaceFrame(1920, 1080, 800, 600, ScaleMode::kFill);
  EXPECT_EQ(ScreenToFrame(p, 800, 600, 241.7, 0).x, 0);
  EXPECT_EQ(ScreenToFrame(p, 800, 600, 241.8, 0).x, 1);
}

}  // namespace
}  // namespace korveld::platform
