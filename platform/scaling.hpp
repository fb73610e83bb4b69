// Where an 800 x 600 frame lands on a screen or window, and how a pointer
// position there maps back onto the frame. Pure arithmetic, shared by the
// desktop and browser backends so both place and hit-test the frame alike.
//
// Whole factor: the largest whole multiple of the frame that fits, centred,
// every source pixel an exact square (a screen smaller than the frame gets
// the frame shrunk to fit, aspect kept).
// Fill: the largest rectangle of the frame's aspect that fits, centred,
// unless the whole factor already covers nearly as much, in which case the
// exact picture wins. A frame at or above its size is drawn nearest-neighbour
// (each screen pixel shows the frame pixel under its centre), so a fill that
// is no whole factor has pixels of two neighbouring widths but no blur; only
// a frame shrunk below its size is filtered.
#pragma once

#include <algorithm>

namespace korveld::platform {

enum class ScaleMode { kFill, kWholeFactor };

struct FramePlacement {
  int x = 0, y = 0, w = 0, h = 0;  // destination rectangle in screen pixels
  bool smooth = false;              // shrunk below the frame's size: filter
};

// The whole factor wins in fill mode while its height reaches this share of
// the fill height (in hundredths).
inline constexpr int kWholeFillsWellPercent = 90;

constexpr FramePlacement PlaceFrame(int screenW, int screenH, int frameW, int frameH, ScaleMode mode) {
  FramePlacement p;
  screenW = std::max(screenW, 1);
  screenH = std::max(screenH, 1);
  const int whole = std::min(screenW / frameW, screenH / frameH);
  // The fill rectangle: full height unless that would be wider than the screen.
  int fillW = 0, fillH = 0;
  if (static_cast<long long>(screenH) * frameW <= static_cast<long long>(screenW) * frameH) {
    fillH = screenH;
    fillW = static_cast<int>(static_cast<long long>(screenH) * frameW / frameH);
  } else {
    fillW = screenW;
    fillH = static_cast<int>(static_cast<long long>(screenW) * frameH / frameW);
  }
  fillW = std::max(fillW, 1);
  fillH = std::max(fillH, 1);
  const bool wholeFillsWell = whole >= 1 && frameH * whole * 100 >= fillH * kWholeFillsWellPercent;
  if (whole >= 1 && (mode == ScaleMode::kWholeFactor || wholeFillsWell)) {
    p.w = frameW * whole;
    p.h = frameH * whole;
  } else {
    p.w = fillW;
    p.h = fillH;
    p.smooth = p.w < frameW || p.h < frameH;
  }
  p.x = (screenW - p.w) / 2;
  p.y = (screenH - p.h) / 2;
  return p;
}

// A screen position (in the same pixels as the placement) to a frame
// position; the letterbox bars clamp onto the frame's edge.
struct FramePoint {
  int x = 0, y = 0;
};

constexpr FramePoint ScreenToFrame(const FramePlacement& p, int frameW, int frameH, double sx, double sy) {
  const double fx = (sx - p.x) * frameW / std::max(p.w, 1);
  const double fy = (sy - p.y) * frameH / std::max(p.h, 1);
  // Truncation toward minus infinity, so a point just left of the frame is -1, clamped to 0.
  const int ix = fx < 0 ? -1 : static_cast<int>(fx);
  const int iy = fy < 0 ? -1 : static_cast<int>(fy);
  return {std::clamp(ix, 0, frameW - 1), std::clamp(iy, 0, frameH - 1)};
}

// The screen position of a frame pixel's centre: where to put the system
// pointer so it lands on that pixel.
constexpr FramePoint FrameToScreen(const FramePlacement& p, int frameW, int frameH, int fx, int fy) {
  return {p.x + static_cast<int>((fx + 0.5) * p.w / frameW), p.y + static_cast<int>((fy + 0.5) * p.h / frameH)};
}

}  // namespace korveld::platform
