// The fast sine and the decision that keeps its integers exact.
#include "render/sine.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "render/primitives.hpp"

namespace korveld::render {
namespace {

#ifdef NDEBUG
constexpr int kPhases = 8000;  // x 801 pixels x 3 channels: 19 million arguments
#else
constexpr int kPhases = 400;  // the unoptimised sanitizer build checks fewer
#endif

int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

// The arguments the rainbow takes: pixel i of a line at glow phase p has
// t = p + i. Phases step by a 60 Hz frame's 250/60 and jump across five days.
// Each fast sine stays within its bound of the exact one, and the colours
// from the fast path are the exact sine's colours, channel by channel.
TEST(FastSine, RainbowColoursAreTheExactSinesOnRealArguments) {
  std::uint64_t s = 0x9E3779B97F4A7C15ull;
  double worst = 0.0;
  Rainbow rainbow;
  for (int n = 0; n < kPhases; ++n) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    const double phase = n % 2 ? n * (250.0 / 60.0) : static_cast<double>(s >> 11) * 0x1p-53 * 1.0e8;
    FillRainbow(rainbow, phase);
    for (int i = 0; i <= kScreenWidth; ++i) {
      const double t = phase + i;
      const double arguments[3] = {t * 0.01, t * 0.012 + 0.96, t * 0.013 + 2.47};
      std::uint32_t centre = 0, outer = 0;
      for (double x : arguments) {
        const double exact = Sine(x);
        worst = std::max(worst, std::fabs(FastSine(x) - exact));
        centre = centre << 8 | static_cast<std::uint32_t>(Round(exact * 124.0 + 125.0));
        outer = outer << 8 | static_cast<std::uint32_t>(Round(exact * 64.0 + 65.0));
      }
      ASSERT_EQ(rainbow.centre[static_cast<std::size_t>(i)], centre) << "phase " << phase << " pixel " << i;
      ASSERT_EQ(rainbow.outer[static_cast<std::size_t>(i)], outer) << "phase " << phase << " pixel " << i;
    }
  }
  // A few units of 2^-53: a wrong or missing series term shows here long
  // before a colour moves.
  EXPECT_LE(worst, kFastSineError / 16) << worst;
}

TEST(FastSine, OutsideItsRangeItIsTheExactSine) {
  EXPECT_EQ(FastSine(3.0e6), Sine(3.0e6));
  EXPECT_EQ(FastSine(-1.0e7 - 0.25), Sine(-1.0e7 - 0.25));
  EXPECT_TRUE(std::isnan(FastSine(INFINITY)));
  EXPECT_TRUE(std::isnan(FastSine(NAN)));
  EXPECT_LE(std::fabs(FastSine(kFastSineRange) - Sine(kFastSineRange)), kFastSineError);
}

// Values at and within a few units of an edge send the caller to the exact
// sine; values a little further off do not.
TEST(FastSine, EdgesAreCalledWithinTheMargin) {
  EXPECT_TRUE(MayRoundOtherwise(200.5, 124, kHalfwayEdge));
  EXPECT_TRUE(MayRoundOtherwise(std::nextafter(200.5, 0.0), 124, kHalfwayEdge));
  EXPECT_TRUE(MayRoundOtherwise(200.5 + 1e-12, 124, kHalfwayEdge));
  EXPECT_TRUE(MayRoundOtherwise(-3.5 - 1e-12, 173, kHalfwayEdge));
  EXPECT_FALSE(MayRoundOtherwise(200.5 + 1e-6, 124, kHalfwayEdge));
  EXPECT_FALSE(MayRoundOtherwise(200.0, 124, kHalfwayEdge));
  EXPECT_TRUE(MayRoundOtherwise(37.0, 50, kWholeEdge));
  EXPECT_TRUE(MayRoundOtherwise(std::nextafter(37.0, 0.0), 50, kWholeEdge));
  EXPECT_FALSE(MayRoundOtherwise(37.5, 50, kWholeEdge));
  EXPECT_FALSE(MayRoundOtherwise(37.0 - 1e-6, 50, kWholeEdge));
  // The margin grows with the weight of the sines in the value.
  EXPECT_FALSE(MayRoundOtherwise(0.5 + 1e-10, 1, kHalfwayEdge));
  EXPECT_TRUE(MayRoundOtherwise(0.5 + 1e-10, 1e6, kHalfwayEdge));
}

}  // namespace
}  // namespace korveld::render
