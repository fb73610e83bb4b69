// The star field: 300 stars in three layers of 100, each layer faster and
// brighter than the one behind it, all drifting to the right and wrapping.
#include <cmath>

#include "render/intro.hpp"

namespace korveld::render {
namespace {

constexpr int kLayerSize = 100;
constexpr double kFieldWidth = 800.0;
constexpr double kFieldHeight = 470.0;
constexpr double kFieldTop = 22.0;

struct Layer {
  double speed;  // pixels per IntroFrameDelta unit (1/250 s)
  std::uint32_t core;
  std::uint32_t rim;
};
constexpr Layer kLayers[3] = {
    {0.6, 0x222222, 0x111111},
    {1.2, 0x444444, 0x222222},
    {1.8, 0x999999, 0x444444},
};

void Plot(ScreenBuffer& frame, int x, int y, std::uint32_t colour) {
  if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) return;
  frame.at(x, y) = colour;
}

}  // namespace

void PlaceStars(IntroState& intro, platform::Platform& platform) {
  for (int i = 1; i <= kStarCount; ++i) {
    intro.stars.x[i] = platform.random() * kFieldWidth;
    intro.stars.y[i] = platform.random() * kFieldHeight + kFieldTop;
  }
}

// A 2 x 2 core with a one-pixel rim on each side (no corners).
void DrawStar(ScreenBuffer& frame, int xi, int yi, std::uint32_t core, std::uint32_t rim) {
  Plot(frame, xi, yi, core);
  Plot(frame, xi + 1, yi, core);
  Plot(frame, xi, yi + 1, core);
  Plot(frame, xi + 1, yi + 1, core);
  Plot(frame, xi + 2, yi, rim);
  Plot(frame, xi + 2, yi + 1, rim);
  Plot(frame, xi - 1, yi, rim);
  Plot(frame, xi - 1, yi + 1, rim);
  Plot(frame, xi, yi - 1, rim);
  Plot(frame, xi + 1, yi - 1, rim);
  Plot(frame, xi, yi + 2, rim);
  Plot(frame, xi + 1, yi + 2, rim);
}

// Each star is drawn where it was before this frame's move, and only well
// inside the frame (4 < xi < 796); it wraps once it has passed x = 800.
void StarField(ScreenBuffer& frame, IntroState& intro, double introFrameDelta) {
  auto& stars = intro.stars;
  for (int i = 1; i <= kStarCount; ++i) {
    const Layer& layer = kLayers[(i - 1) / kLayerSize];
    const double xi = std::floor(stars.x[i]);
    const double yi = std::floor(stars.y[i]);
    stars.x[i] += layer.speed * introFrameDelta;
    if (xi > 4 && xi < 796 && yi > -3 && yi < kScreenHeight + 1) {
      DrawStar(frame, static_cast<int>(xi), static_cast<int>(yi), layer.core, layer.rim);
    }
    if (stars.x[i] > kFieldWidth) stars.x[i] -= kFieldWidth;
  }
}

}  // namespace korveld::render
