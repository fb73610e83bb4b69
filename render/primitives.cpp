#include "render/primitives.hpp"

#include <algorithm>
#include <cmath>

#include "render/sine.hpp"

namespace korveld::render {
namespace {

struct GlowColours {
  std::uint32_t centre;
  std::uint32_t outer;
};

// Styles 1..7; index 0 unused.
constexpr std::array<GlowColours, 8> kGlowColours = {{
    {0, 0},
    {0xFFFFFF, 0x888888},
    {0xFF0000, 0x880000},
    {0x00FF00, 0x008800},
    {0x0000FF, 0x000088},
    {0xFFFF00, 0x888800},
    {0x00FFFF, 0x008888},
    {0xFF00FF, 0x880088},
}};
constexpr int kRainbowStyle = 8;

// Codes 1..4: outline, body, highlight, shade.
constexpr std::array<std::uint32_t, 5> kPointerNormal = {0, 0x111133, 0x8888AA, 0xCCCCEE, 0x555577};
constexpr std::array<std::uint32_t, 5> kPointerHover = {0, 0x221100, 0xDDBB77, 0xFFEEAA, 0x995522};

// Exclusive upper bound of pointer top-left positions that are drawn.
constexpr int kPointerMaxX = 792;
constexpr int kPointerMaxY = 592;

void FillRow(ScreenBuffer& frame, int row, int x0, int x1, std::uint32_t colour) {
  if (row < 0 || row >= kScreenHeight) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, kScreenWidth - 1);
  if (x0 > x1) return;
  std::uint32_t* p = frame.row(row);
  std::fill(p + x0, p + x1 + 1, colour);
}

int RainbowChannel(double s, double amplitude, double centre) {
  return static_cast<int>(RoundHalfEven(s * amplitude + centre));
}

}  // namespace

void FillRectBlend(ScreenBuffer& frame, int x, int y, int w, int h, int alpha, int r, int g, int b) {
  const std::uint32_t src = (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
                            static_cast<std::uint32_t>(b);
  const std::uint32_t a = static_cast<std::uint32_t>(alpha);
  const std::uint32_t ia = 256u - a;
  // The source half of each packed product is the same for every pixel.
  const std::uint32_t srcRb = (src & 0xFF00FFu) * a;
  const std::uint32_t srcG = (src & 0x00FF00u) * a;
  const int x0 = std::max(x, 0);
  const int x1 = std::min(x + w, kScreenWidth - 1);
  const int y0 = std::max(y, 0);
  const int y1 = std::min(y + h, kScreenHeight - 1);
  for (int yy = y0; yy <= y1; ++yy) {
    std::uint32_t* p = frame.row(yy);
    for (int xx = x0; xx <= x1; ++xx) {
      const std::uint32_t d = p[xx];
      const std::uint32_t rb = (srcRb + (d & 0xFF00FFu) * ia) & 0xFF00FF00u;
      const std::uint32_t gg = (srcG + (d & 0x00FF00u) * ia) & 0x00FF0000u;
      p[xx] = (rb | gg) >> 8;
    }
  }
}

void DrawGlowLine(ScreenBuffer& frame, int row, int x, int length, int style, double glowPhase) {
  if (style >= 1 && style < kRainbowStyle) {
    const GlowColours& c = kGlowColours[static_cast<std::size_t>(style)];
    const int x1 = x + length - 1;
    FillRow(frame, row - 1, x, x1, c.outer);
    FillRow(frame, row, x, x1, c.centre);
    FillRow(frame, row + 1, x, x1, c.outer);
    return;
  }
  if (style != kRainbowStyle) return;
  const bool above = row - 1 >= 0 && row - 1 < kScreenHeight;
  const bool centre = row >= 0 && row < kScreenHeight;
  const bool below = row + 1 >= 0 && row + 1 < kScreenHeight;
  for (int i = std::max(0, -x); i <= length && x + i < kScreenWidth; ++i) {
    std::uint32_t bright = 0;
    std::uint32_t dim = 0;
    RainbowColours(glowPhase + i, 1, &bright, &dim);
    const int px = x + i;
    if (centre) frame.at(px, row) = bright;
    if (above) frame.at(px, row - 1) = dim;
    if (below) frame.at(px, row + 1) = dim;
  }
}

void FillRainbow(Rainbow& rainbow, double glowPhase) {
  RainbowColours(glowPhase, static_cast<int>(rainbow.centre.size()), rainbow.centre.data(), rainbow.outer.data());
}

void DrawRainbowLine(ScreenBuffer& frame, int row, int x, int length, const Rainbow& rainbow) {
  const bool above = row - 1 >= 0 && row - 1 < kScreenHeight;
  const bool centre = row >= 0 && row < kScreenHeight;
  const bool below = row + 1 >= 0 && row + 1 < kScreenHeight;
  // The run covers pixels 0..kScreenWidth of a line, all of it for a line
  // that starts inside the frame.
  const int last = std::min(length, kScreenWidth);
  for (int i = std::max(0, -x); i <= last && x + i < kScreenWidth; ++i) {
    const int px = x + i;
    const auto k = static_cast<std::size_t>(i);
    if (centre) frame.at(px, row) = rainbow.centre[k];
    if (above) frame.at(px, row - 1) = rainbow.outer[k];
    if (below) frame.at(px, row + 1) = rainbow.outer[k];
  }
}

void RainbowColours(double glowPhase, int count, std::uint32_t* centre, std::uint32_t* outer) {
  // In batches: first the fast sines, which do not wait on each other, then
  // the rounding, which turns to the exact sine in the rare case it must.
  constexpr int kBatch = 64;
  for (int first = 0; first < count; first += kBatch) {
    const int n = std::min(kBatch, count - first);
    double arguments[3][kBatch];
    double sines[3][kBatch];
    for (int i = 0; i < n; ++i) {
      const double t = glowPhase + (first + i);
      arguments[0][i] = t * 0.01;
      arguments[1][i] = t * 0.012 + 0.96;
      arguments[2][i] = t * 0.013 + 2.47;
    }
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < n; ++i) sines[c][i] = FastSine(arguments[c][i]);
    for (int i = 0; i < n; ++i) {
      std::uint32_t bright = 0, dim = 0;
      for (int c = 0; c < 3; ++c) {
        double s = sines[c][i];
        if (MayRoundOtherwise(s * 124.0 + 125.0, 124.0, kHalfwayEdge) ||
            MayRoundOtherwise(s * 64.0 + 65.0, 64.0, kHalfwayEdge))
          s = Sine(arguments[c][i]);
        bright = bright << 8 | static_cast<std::uint32_t>(RainbowChannel(s, 124.0, 125.0));
        dim = dim << 8 | static_cast<std::uint32_t>(RainbowChannel(s, 64.0, 65.0));
      }
      centre[first + i] = bright;
      outer[first + i] = dim;
    }
  }
}

void BuildPointerImages(PointerImages& images, std::span<const int> codes) {
  for (int i = 0; i < kPointerCodeCount; ++i) {
    const int code = i < static_cast<int>(codes.size()) ? codes[static_cast<std::size_t>(i)] : 0;
    const bool known = code >= 1 && code <= 4;
    images.normal[static_cast<std::size_t>(i)] = known ? kPointerNormal[static_cast<std::size_t>(code)] : 0;
    images.hover[static_cast<std::size_t>(i)] = known ? kPointerHover[static_cast<std::size_t>(code)] : 0;
  }
}

void DrawPointer(ScreenBuffer& frame, const PointerImages& images, int state, int x, int y) {
  if (x <= 0 || x >= kPointerMaxX || y <= 0 || y >= kPointerMaxY) return;
  const auto& image = state == 1 ? images.normal : images.hover;
  const int rows = std::min(kPointerSize, kScreenHeight - y);
  const int cols = std::min(kPointerSize, kScreenWidth - x);
  for (int r = 0; r < rows; ++r) {
    std::uint32_t* dst = frame.row(y + r) + x;
    const std::uint32_t* src = image.data() + r * kPointerSize;
    for (int c = 0; c < cols; ++c) {
      if (src[c] != 0) dst[c] = src[c];
    }
  }
}

void MarkPointerRows(RowMarks& marks, int x, int y) {
  if (x <= 0 || x >= kPointerMaxX || y <= 0 || y >= kPointerMaxY) return;
  marks.mark(y, y + kPointerSize - 1);
}

}  // namespace korveld::render
