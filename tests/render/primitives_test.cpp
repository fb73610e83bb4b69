#include "render/primitives.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "content/startup/startup_data.hpp"
#include "render/sine.hpp"
#include "tests/support/frames.hpp"

namespace korveld::render {
namespace {

using support::CountNot;

std::unique_ptr<ScreenBuffer> Frame(std::uint32_t colour = 0) { return support::MakeFrame(colour); }

int CountInRow(const ScreenBuffer& f, int y, std::uint32_t colour) {
  int n = 0;
  for (int x = 0; x < kScreenWidth; ++x) n += (f.at(x, y) == colour);
  return n;
}

TEST(FillRectBlend, WhiteAtAlpha125OverBlackTruncates) {
  auto f = Frame();
  FillRectBlend(*f, 10, 20, 4, 2, 125, 255, 255, 255);
  EXPECT_EQ(f->at(10, 20) & 0xFFFFFFu, 0x7C7C7Cu);
  EXPECT_EQ(f->at(14, 22) & 0xFFFFFFu, 0x7C7C7Cu);
  // Inclusive on both ends: 5 x 3 pixels.
  EXPECT_EQ(CountNot(*f, 0), 15);
  EXPECT_EQ(f->at(15, 20), 0u);
  EXPECT_EQ(f->at(10, 23), 0u);
}

TEST(FillRectBlend, ZeroSizeBlendsOnePixelAndAlphaZeroChangesNothing) {
  auto f = Frame(0x123456);
  FillRectBlend(*f, 400, 300, 0, 0, 60, 200, 100, 50);
  EXPECT_EQ(CountNot(*f, 0x123456), 1);
  // Per channel floor((s * 60 + d * 196) / 256).
  const std::uint32_t r = (200 * 60 + 0x12 * 196) / 256;
  const std::uint32_t g = (100 * 60 + 0x34 * 196) / 256;
  const std::uint32_t b = (50 * 60 + 0x56 * 196) / 256;
  EXPECT_EQ(f->at(400, 300) & 0xFFFFFFu, (r << 16) | (g << 8) | b);

  auto h = Frame(0x808080);
  FillRectBlend(*h, 0, 0, 799, 599, 0, 255, 0, 0);
  EXPECT_EQ(CountNot(*h, 0x808080), 0);
}

TEST(FillRectBlend, NeverWritesOutsideTheFrame) {
  auto f = Frame();
  FillRectBlend(*f, 795, 595, 20, 20, 125, 255, 255, 255);
  FillRectBlend(*f, -5, -5, 6, 6, 125, 255, 255, 255);
  EXPECT_EQ(CountNot(*f, 0), 25 + 4);
}

TEST(DrawGlowLine, FixedStylesFillExactlyLengthPixelsPerRow) {
  auto f = Frame();
  DrawGlowLine(*f, 300, 20, 750, 3, 0.0);
  EXPECT_EQ(CountInRow(*f, 300, 0x00FF00), 750);
  EXPECT_EQ(CountInRow(*f, 299, 0x008800), 750);
  EXPECT_EQ(CountInRow(*f, 301, 0x008800), 750);
  EXPECT_EQ(f->at(20, 300), 0x00FF00u);
  EXPECT_EQ(f->at(769, 300), 0x00FF00u);
  EXPECT_EQ(f->at(770, 300), 0u);
  EXPECT_EQ(f->at(19, 300), 0u);
  EXPECT_EQ(CountNot(*f, 0), 3 * 750);
}

TEST(DrawGlowLine, OtherStylesDrawNothing) {
  auto f = Frame(0x0A0B0C);
  for (int style : {0, 9, -1, 100}) DrawGlowLine(*f, 300, 20, 750, style, 0.0);
  EXPECT_EQ(CountNot(*f, 0x0A0B0C), 0);
}

TEST(DrawGlowLine, RainbowWritesLengthPlusOneAndStartsAt125_227_202) {
  auto f = Frame();
  DrawGlowLine(*f, 300, 20, 750, 8, 0.0);
  int centre = 0, above = 0, below = 0;
  for (int x = 0; x < kScreenWidth; ++x) {
    centre += f->at(x, 300) != 0;
    above += f->at(x, 299) != 0;
    below += f->at(x, 301) != 0;
  }
  EXPECT_EQ(centre, 751);
  EXPECT_EQ(above, 751);
  EXPECT_EQ(below, 751);
  EXPECT_EQ(f->at(20, 300), (125u << 16) | (227u << 8) | 202u);
  EXPECT_EQ(f->at(770, 300) != 0, true);
  EXPECT_EQ(f->at(771, 300), 0u);
  // Outer rows: the same sines at 64 + 65.
  const auto g = static_cast<std::uint32_t>(std::nearbyint(std::sin(0.96) * 64 + 65));
  const auto b = static_cast<std::uint32_t>(std::nearbyint(std::sin(2.47) * 64 + 65));
  EXPECT_EQ(f->at(20, 299), (65u << 16) | (g << 8) | b);
  EXPECT_EQ(f->at(20, 301), f->at(20, 299));
}

TEST(DrawGlowLine, RainbowDriftsWithThePhase) {
  auto a = Frame();
  auto b = Frame();
  DrawGlowLine(*a, 100, 20, 750, 8, 0.0);
  DrawGlowLine(*b, 100, 20, 750, 8, 250.0);
  // A phase of 250 shows at x what phase 0 showed 250 pixels further right.
  for (int x = 20; x <= 520; ++x) ASSERT_EQ(b->at(x, 100), a->at(x + 250, 100)) << x;
  // Channels stay within 1..249 in the centre and 1..129 outside.
  auto f = Frame();
  for (double phase = 0; phase < 2000; phase += 751) DrawGlowLine(*f, 100, 0, 750, 8, phase);
  for (int x = 0; x <= 750; ++x) {
    for (int shift : {0, 8, 16}) {
      const int c = static_cast<int>((f->at(x, 100) >> shift) & 0xFF);
      const int o = static_cast<int>((f->at(x, 101) >> shift) & 0xFF);
      ASSERT_GE(c, 1);
      ASSERT_LE(c, 249);
      ASSERT_GE(o, 1);
      ASSERT_LE(o, 129);
    }
  }
}

TEST(DrawGlowLine, NeverWritesOutsideTheFrame) {
  auto f = Frame();
  DrawGlowLine(*f, 0, 700, 750, 8, 0.0);
  DrawGlowLine(*f, 599, -50, 100, 2, 0.0);
  EXPECT_EQ(CountNot(*f, 0), 2 * 100 + 2 * 50);
}

class Pointer : public ::testing::Test {
 protected:
  void SetUp() override { BuildPointerImages(images, content::StartupDataList().first(kPointerCodeCount)); }
  PointerImages images;
};

TEST_F(Pointer, ImagesMapTheShapeCodes) {
  // Row 1 of the arrow: 1 2 3 3 3 3 3 1 0 0 0; codes 1..4 in both images.
  EXPECT_EQ(images.normal[12], 0x8888AAu);
  EXPECT_EQ(images.normal[13], 0xCCCCEEu);
  EXPECT_EQ(images.normal[23], 0x555577u);
  EXPECT_EQ(images.hover[12], 0xDDBB77u);
  EXPECT_EQ(images.hover[13], 0xFFEEAAu);
  EXPECT_EQ(images.hover[23], 0x995522u);
  int opaque = 0;
  for (std::uint32_t p : images.normal) opaque += p != 0;
  EXPECT_EQ(opaque, 81);

  PointerImages odd;
  const int codes[] = {5, -1, 0, 4};
  BuildPointerImages(odd, codes);
  EXPECT_EQ(odd.normal[0], 0u);
  EXPECT_EQ(odd.normal[1], 0u);
  EXPECT_EQ(odd.normal[3], 0x555577u);
  EXPECT_EQ(odd.normal[4], 0u);
}

TEST_F(Pointer, DrawsTheWholeArrowInsideTheOpenRange) {
  auto f = Frame(0x010203);
  DrawPointer(*f, images, 1, 1, 1);
  EXPECT_EQ(f->at(1, 1), 0x111133u);
  EXPECT_EQ(f->at(0, 0), 0x010203u);
  EXPECT_EQ(f->at(10, 1), 0x010203u);  // transparent code 0
  EXPECT_EQ(f->at(7, 11), 0x111133u);  // the last row's single pixel
  EXPECT_EQ(CountNot(*f, 0x010203), 81);

  auto h = Frame();
  DrawPointer(*h, images, 2, 400, 300);
  EXPECT_EQ(h->at(400, 300), 0x221100u);
  DrawPointer(*h, images, 7, 500, 300);
  EXPECT_EQ(h->at(500, 300), 0x221100u);
}

TEST_F(Pointer, OutsideTheOpenRangeDrawsNothing) {
  auto f = Frame();
  for (auto [x, y] : {std::pair{0, 300}, {792, 300}, {300, 0}, {300, 592}, {-5, -5}, {900, 700}}) {
    DrawPointer(*f, images, 1, x, y);
  }
  EXPECT_EQ(CountNot(*f, 0), 0);
}

TEST_F(Pointer, ClipsAtTheRightAndBottomEdges) {
  auto f = Frame();
  DrawPointer(*f, images, 1, 791, 591);
  // Columns 791..799 and rows 591..599 of the arrow: 9 x 9 of its 11 x 11.
  int want = 0;
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) want += images.normal[static_cast<std::size_t>(r * 11 + c)] != 0;
  }
  EXPECT_EQ(CountNot(*f, 0), want);
  EXPECT_EQ(f->at(791, 591), 0x111133u);
  EXPECT_EQ(f->at(799, 591), 0x111133u);  // column 8 of row 0
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
