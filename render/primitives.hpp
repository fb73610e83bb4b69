// Pixel primitives: translucent rectangles, glow lines and the pointer.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "render/screen.hpp"

namespace korveld::render {

// Blends the inclusive rectangle x..x+w, y..y+h ((w + 1) x (h + 1) pixels)
// towards (r, g, b) with weight alpha/256, truncating per channel. Pixels
// outside the frame are skipped.
void FillRectBlend(ScreenBuffer& frame, int x, int y, int w, int h, int alpha, int r, int g, int b);

// A three-row line centred on row: styles 1..7 fill columns x..x+length-1 with
// a fixed bright centre and dark outer colour; style 8 is the rainbow, which
// covers x..x+length and drifts with glowPhase. Any other style draws nothing.
void DrawGlowLine(ScreenBuffer& frame, int row, int x, int length, int style, double glowPhase);

// The colours of a rainbow line at the given phase, pixel i for i = 0..count-1:
// the centre row's and the outer rows'. DrawGlowLine style 8 draws exactly
// these; a caller drawing several rainbow lines in one frame computes them once.
void RainbowColours(double glowPhase, int count, std::uint32_t* centre, std::uint32_t* outer);

// One frame's rainbow, as wide as the frame: every rainbow line of a frame
// starts its colours at its own left end, so one run serves them all.
struct Rainbow {
  std::array<std::uint32_t, kScreenWidth + 1> centre{};
  std::array<std::uint32_t, kScreenWidth + 1> outer{};
};
void FillRainbow(Rainbow& rainbow, double glowPhase);

// DrawGlowLine style 8 with the frame's rainbow already worked out.
void DrawRainbowLine(ScreenBuffer& frame, int row, int x, int length, const Rainbow& rainbow);

inline constexpr int kPointerSize = 11;
inline constexpr int kPointerCodeCount = kPointerSize * kPointerSize;

// The two pointer pictures, row by row; 0 is transparent.
struct PointerImages {
  std::array<std::uint32_t, kPointerCodeCount> normal{};
  std::array<std::uint32_t, kPointerCodeCount> hover{};
};

// Maps the 121 shape codes (0 transparent, 1 outline, 2 body, 3 highlight,
// 4 shade) through the two colour sets. Missing codes stay transparent.
void BuildPointerImages(PointerImages& images, std::span<const int> codes);

// Draws the pointer with its top-left pixel at (x, y) when 0 < x < 792 and
// 0 < y < 592: the normal image for state 1, the hover image otherwise.
// Pixels past the frame's right or bottom edge are not drawn.
void DrawPointer(ScreenBuffer& frame, const PointerImages& images, int state, int x, int y);
// The rows DrawPointer draws at (x, y).
void MarkPointerRows(RowMarks& marks, int x, int y);

}  // namespace korveld::render
