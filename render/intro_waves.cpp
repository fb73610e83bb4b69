// The per-frame tables that turn glyph drawing into lookups: the scroller's
// and the reflection's row for every screen column (a travelling wave of two
// sines, constant over column pairs) and the three colour gradients by row.
#include <array>
#include <cmath>

#include "render/intro.hpp"
#include "render/sine.hpp"

namespace korveld::render {
namespace {

constexpr double kWaveK = 0.00873055555555556;
constexpr double kColourK = 0.104766666666667;
constexpr int kFadeFromRow = 520;  // entries after this one fade
constexpr double kFadeStep = 0.015;

int RoundToInt(double v) { return static_cast<int>(std::nearbyint(v)); }

std::uint32_t Pack(int r, int g, int b) {
  return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
}

// The title's three channels of row i take the sine at rows i, i + 20 and
// i + 40: each sine is computed once per frame, for rows 0..kTitleSines - 1.
constexpr int kTitleSines = kGradientRows + 40;
int TitleChannel(double sine) { return RoundToInt(sine * 90 + 125); }
int ScrollerChannel(int i) { return RoundToInt(Sine(i * kColourK * 0.25) * 100 + 150); }
int ReflectionChannel(int i, double f) {
  return static_cast<int>(std::floor((Sine(i * kColourK * 0.25) * 50 + 100) * f));
}

}  // namespace

void WaveTables(IntroState& intro, double introClock) {
  WaveTableSet& w = intro.waves;
  const double p = introClock;
  // Columns 2c - 1 and 2c share c = (j + 1) div 2.
  for (int c = 0; 2 * c - 1 < kWaveColumns; ++c) {
    const double x = (c - 2.5 * p) * kWaveK * 1.5;
    const double y = (c - 4.0 * p) * kWaveK;
    double a = FastSine(x);
    double b = FastSine(y);
    if (MayRoundOtherwise(100 * a + 73 * b + 310, 173, kHalfwayEdge) ||
        MayRoundOtherwise(592 - (30 * a + 48 * b), 78, kHalfwayEdge)) {
      a = Sine(x);
      b = Sine(y);
    }
    const int scroller = RoundToInt(100 * a + 73 * b + 310);
    const int reflection = RoundToInt(592 - (30 * a + 48 * b));
    for (int j = 2 * c - 1; j <= 2 * c && j < kWaveColumns; ++j) {
      if (j < 0) continue;
      w.scrollerRow[j] = scroller;
      w.reflectionRow[j] = reflection;
    }
  }

  std::array<double, kTitleSines> title;
  for (int i = 0; i < kTitleSines; ++i) {
    const double x = (i + p) * kColourK * 0.25;
    title[i] = FastSine(x);
    if (MayRoundOtherwise(title[i] * 90 + 125, 90, kHalfwayEdge)) title[i] = Sine(x);
  }
  for (int i = 0; i < kGradientRows; ++i) {
    w.titleFace[i] = Pack(TitleChannel(title[i]), TitleChannel(title[i + 20]), TitleChannel(title[i + 40]));
  }

  if (w.fixedGradientsBuilt) return;
  double f = 1.0;
  for (int i = 0; i < kGradientRows; ++i) {
    w.scrollerFace[i] = Pack(ScrollerChannel(i), ScrollerChannel(i + 50), ScrollerChannel(i + 100));
    w.reflection[i] = Pack(ReflectionChannel(-10 - i, f), ReflectionChannel(-90 - i, f), ReflectionChannel(-170 - i, f));
    if (i > kFadeFromRow) {
      f -= kFadeStep;
      if (f < 0.0) f = 0.0;
    }
  }
  w.fixedGradientsBuilt = true;
}

}  // namespace korveld::render
