#include "render/primitives.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "content/startup/startup_data.hpp"
#include "render/sine.hpp"
#include "tests/support/frames.hpp"

namespace korveld::render {
namespace {

using support::CountNot;

std::unique_ptr<ScreenBuffer> Frame(std::uint32_t colour = 0) { return support::MakeFrame(colour); }

// The glow styles' colours and lengths at phase 0 are pinned by the render
// golden (spectrum_test.cpp); these are the edges it does not draw.
TEST(FillRectBlend, InclusiveTruncatingAndClipped) {
  auto f = Frame();
  FillRectBlend(*f, 10, 20, 4, 2, 125, 255, 255, 255);  // white at 125 over black: 0x7C
  EXPECT_EQ(f->at(10, 20) & 0xFFFFFFu, 0x7C7C7Cu);
  EXPECT_EQ(f->at(14, 22) & 0xFFFFFFu, 0x7C7C7Cu);
  EXPECT_EQ(CountNot(*f, 0), 5 * 3);
  FillRectBlend(*f, 795, 595, 20, 20, 125, 255, 255, 255);
  FillRectBlend(*f, -5, -5, 6, 6, 125, 255, 255, 255);
  EXPECT_EQ(CountNot(*f, 0), 15 + 25 + 4);
  // Size 0 blends one pixel, per channel floor((s * 60 + d * 196) / 256);
  // alpha 0 changes nothing.
  auto g = Frame(0x123456);
  FillRectBlend(*g, 400, 300, 0, 0, 60, 200, 100, 50);
  FillRectBlend(*g, 0, 0, 799, 599, 0, 255, 0, 0);
  EXPECT_EQ(CountNot(*g, 0x123456), 1);
  EXPECT_EQ(g->at(400, 300) & 0xFFFFFFu, 0x3C3F4Du);
}

TEST(DrawGlowLine, ClippingAndUnknownStyles) {
  auto f = Frame(0x0A0B0C);
  for (int style : {0, 9, -1, 100}) DrawGlowLine(*f, 300, 20, 750, style, 0.0);
  EXPECT_EQ(CountNot(*f, 0x0A0B0C), 0);
  DrawGlowLine(*f, 0, 700, 750, 8, 0.0);
  DrawGlowLine(*f, 599, -50, 100, 2, 0.0);
  EXPECT_EQ(CountNot(*f, 0x0A0B0C), 2 * 100 + 2 * 50);
}

// The arrow in both states is drawn whole in the viewer's golden frames;
// these are the odd codes and the edges.
TEST(Pointer, OddCodesOpenRangeAndEdges) {
  PointerImages images;
  BuildPointerImages(images, content::StartupDataList().first(kPointerCodeCount));
  PointerImages odd;
  const int codes[] = {5, -1, 0, 4};
  BuildPointerImages(odd, codes);
  EXPECT_EQ(odd.normal[0], 0u);
  EXPECT_EQ(odd.normal[1], 0u);
  EXPECT_EQ(odd.normal[3], 0x555577u);
  EXPECT_EQ(odd.normal[4], 0u);
  auto f = Frame();
  for (auto [x, y] : {std::pair{0, 300}, {792, 300}, {300, 0}, {300, 592}, {-5, -5}, {900, 700}})
    DrawPointer(*f, images, 1, x, y);
  EXPECT_EQ(CountNot(*f, 0), 0);
  DrawPointer(*f, images, 1, 1, 1);
  EXPECT_EQ(f->at(1, 1), 0x111133u);
  EXPECT_EQ(CountNot(*f, 0), 81);
  // At (791, 591) columns 791..799 and rows 591..599: 9 x 9 of its 11 x 11.
  auto g = Frame();
  DrawPointer(*g, images, 1, 791, 591);
  int want = 0;
  for (int r = 0; r < 9; ++r)
    for (int c = 0; c < 9; ++c) want += images.normal[static_cast<std::size_t>(r * 11 + c)] != 0;
  EXPECT_EQ(CountNot(*g, 0), want);
  EXPECT_EQ(g->at(799, 591), 0x111133u);  // column 8 of row 0
}

// Sine is the correctly rounded sine. The native library's sin() is that for
// all but about one argument in 700 (and then one unit off), so the two agree
// almost everywhere; an error of a few hundredths of a unit in Sine's sums
// doubles the disagreements, a wrong term multiplies them.
TEST(Sine, CorrectlyRoundedWhereTheLibraryIsAndNeverFurtherThanOneUnit) {
  std::uint64_t s = 88172645463325252ull;
  int differ = 0;
  const int n = 200000;
  for (int i = 0; i < n; ++i) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    const double spread = i % 2 ? 4.0 : 2e5;  // one period, and an hour of the intro's clock
    const double x = spread * (2.0 * static_cast<double>(s >> 11) * 0x1p-53 - 1.0);
    const double a = Sine(x);
    const double b = std::sin(x);
    if (a != b) {
      ++differ;
      ASSERT_EQ(std::nextafter(b, a), a) << "x = " << x;
    }
  }
  EXPECT_LT(differ, n / 400);  // 333 here
  // Where the library is a unit off: sin(x) = 0.14932528530017892559...
  EXPECT_EQ(Sine(-0x1.a54f2b1805e92p+1), 0x1.31d17486a41f7p-3);
  EXPECT_TRUE(std::isnan(Sine(INFINITY)));
}

}  // namespace
}  // namespace korveld::render
