// What lies behind the intro's text: the noise flashes before and after the
// intro, the cleared frame with its blue top gradient, and the raster bars.
#include <algorithm>
#include <array>
#include <cmath>

#include "render/intro.hpp"
#include "render/sine.hpp"

namespace korveld::render {
namespace {

constexpr int kGradientLastRow = 50;
constexpr int kGradientTopBlue = 150;
constexpr int kBarRows = 32;
constexpr int kBarPairs = 7;

std::uint32_t RoundedChannel(double unit) { return static_cast<std::uint32_t>(std::nearbyint(unit * 255.0)); }

double BarArgument(int k, double introClock) { return (4 * k + introClock) * 3.14 / 90; }

// round(sine x scale + offset) of the bar's sine.
int BarRow(int k, double introClock, double scale, double offset) {
  const double x = BarArgument(k, introClock);
  const double v = FastSine(x) * scale + offset;
  if (!MayRoundOtherwise(v, std::fabs(scale), kHalfwayEdge)) return static_cast<int>(std::nearbyint(v));
  return static_cast<int>(std::nearbyint(Sine(x) * scale + offset));
}

}  // namespace

void DrawNoise(ScreenBuffer& frame, platform::Platform& platform, int bandRows) {
  if (bandRows <= 0) return;
  for (int top = 0; top < kScreenHeight; top += bandRows) {
    const std::uint32_t r = RoundedChannel(platform.random());
    const std::uint32_t g = RoundedChannel(platform.random());
    const std::uint32_t b = RoundedChannel(platform.random());
    const std::uint32_t colour = r << 16 | g << 8 | b;
    const int end = std::min(top + bandRows, kScreenHeight);
    std::fill(frame.row(top), frame.row(end), colour);
  }
}

void IntroBackground(ScreenBuffer& frame, IntroState&) {
  std::fill_n(frame.row(0), kScreenWidth, 0u);
  for (int y = 1; y <= kGradientLastRow; ++y) {
    std::fill_n(frame.row(y), kScreenWidth, static_cast<std::uint32_t>(kGradientTopBlue - 3 * (y - 1)));
  }
  std::fill(frame.row(kGradientLastRow + 1), frame.pixels.data() + frame.pixels.size(), 0u);
}

int UpperBarRow(int k, double introClock) { return BarRow(k, introClock, 100, 375); }

int LowerBarRow(int k, double introClock) { return BarRow(k, introClock, -80, 595); }

namespace {

// The colour of each of a bar's rows on the screen, into rows (-1: none).
void MarkRasterBar(std::array<int, kScreenHeight>& rows, int y, int step) {
  for (int r = 0; r < kBarRows; ++r) {
    const int row = y + r;
    if (row < 0 || row >= kScreenHeight) continue;
    const int level = r < kBarRows / 2 ? (r + 1) * step : (kBarRows - 1 - r) * step;
    rows[static_cast<std::size_t>(row)] = level & 0xFF;
  }
}

void FillMarkedRows(ScreenBuffer& frame, const std::array<int, kScreenHeight>& rows) {
  for (int row = 0; row < kScreenHeight; ++row) {
    const int colour = rows[static_cast<std::size_t>(row)];
    if (colour >= 0) std::fill_n(frame.row(row), kScreenWidth, static_cast<std::uint32_t>(colour));
  }
}

}  // namespace

void DrawRasterBar(ScreenBuffer& frame, int y, int step) {
  std::array<int, kScreenHeight> rows;
  rows.fill(-1);
  MarkRasterBar(rows, y, step);
  FillMarkedRows(frame, rows);
}

// Fourteen bars: seven upper ones swinging around row 375 and their fainter
// twins, half the step and mirrored, around row 595. Later bars cover
// earlier, so each row is filled once, in the colour of the last bar on it.
void RasterBars(ScreenBuffer& frame, IntroState&, double introClock) {
  std::array<int, kScreenHeight> rows;
  rows.fill(-1);
  for (int k = 1; k <= kBarPairs; ++k) {
    MarkRasterBar(rows, UpperBarRow(k, introClock), 2 * k);
    MarkRasterBar(rows, LowerBarRow(k, introClock), k);
  }
  FillMarkedRows(frame, rows);
}

}  // namespace korveld::render
