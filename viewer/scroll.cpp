#include "viewer/scroll.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "render/primitives.hpp"
#include "platform/platform.hpp"
#include "viewer/input.hpp"
#include "viewer/pages.hpp"

namespace korveld::viewer {
namespace {

using platform::HeldTest;
using platform::PressTest;

constexpr double kWheelLines = 4.0;   // lines a wheel notch moves
constexpr int kGlowLeft = 20;
constexpr int kGlowLength = 750;
constexpr int kGlowMinCentre = 192;   // exclusive bounds of a drawn glow's centre row
constexpr int kGlowMaxCentre = 569;
constexpr int kRainbowStyle = 8;
constexpr int kThumbTop = 195;
constexpr double kThumbTravel = 361.0;
constexpr int kBarTop = 200;          // exclusive hot rows of the bar, and the drag origin
constexpr int kBarBottom = 561;
constexpr double kDragTravel = 352.0;
constexpr int kGlowStep = 5;
constexpr int kGlowMax = 125;
constexpr int kHalfLine = kRowHeight / 2;  // one smooth-scroll step
constexpr int kBarHotLeft = 775;           // exclusive hot columns of the bar on skin 1;
constexpr int kBarHotRight = 791;          // skin 2's bar lies kCarbonBarShift further right
constexpr int kCarbonBarShift = 5;
constexpr int kPointerNormal = 1, kPointerHover = 2;

// The thumb per skin (index 0 skin 1): its column and width, a fixed base
// tint and the hover glow's tint on top.
struct ThumbLook {
  int x, width;
  int baseR, baseG, baseB;
  int glowR, glowG, glowB;
};
constexpr ThumbLook kThumb[2] = {{779, 8, 100, 150, 250, 100, 125, 200}, {783, 9, 50, 150, 250, 100, 150, 250}};
constexpr int kThumbHeight = 19;
constexpr int kThumbBaseAlpha = 80;

int MaxTop(const ViewState& v) { return v.LineCount - kVisibleRows; }

// Rows whose whole cell lies inside the text area (kTextTop..bottom) when the
// rows sit `offset` pixels down.
constexpr int WholeRows(int offset, int bottom) {
  int n = 0;
  for (int r = 0; r < kVisibleRows; ++r) {
    const int top = offset + kRowTop + kRowHeight * r;
    if (top >= kTextTop && top + kRowHeight - 1 <= bottom) ++n;
  }
  return n;
}

// Lines a Page Up or Page Down moves: the rows shown whole at every offset
// the arrow keys leave (0, 6 and 12) on either skin. Rows 0 and 32 and half
// of row 1 lie outside the area, so a step of all 33 rows would skip lines;
// this step brings the line below the last whole row to the first whole row.
constexpr int kPageStep = std::min({WholeRows(0, TextBottom(1)), WholeRows(kHalfLine, TextBottom(1)),
                                    WholeRows(kRowHeight, TextBottom(1)), WholeRows(0, TextBottom(2)),
                                    WholeRows(kHalfLine, TextBottom(2)), WholeRows(kRowHeight, TextBottom(2))});

int RowTop(const ViewState& v, int r) { return v.ScrollOffset + kRowTop + kRowHeight * r; }

}  // namespace

void ScrollByKeys(ViewState& v, bool downHeld, bool upHeld) {
  const int max = MaxTop(v);
  if (downHeld && v.TopLine < max) {
    v.ScrollOffset -= kHalfLine;
    if (v.ScrollOffset <= 0) {
      v.TopLine = std::min(v.TopLine + 1, max);
      v.ScrollOffset += kRowHeight;
    }
  }
  if (upHeld && v.TopLine > 0) {
    v.ScrollOffset += kHalfLine;
    if (v.ScrollOffset >= kRowHeight - 1) {
      v.TopLine = std::max(v.TopLine - 1, 0);
      v.ScrollOffset -= kRowHeight;
    }
  }
}

void ScrollByKeys(ViewState& v, platform::Platform& platform) {
  const bool down = HeldTest(platform.keyState(platform::kVkDown));
  const bool up = HeldTest(platform.keyState(platform::kVkUp));
  ScrollByKeys(v, down, up);
}

void ScrollByWheel(ViewState& v, double wheelNow, double wheelBefore) {
  const int max = MaxTop(v);
  if (wheelNow < wheelBefore && v.TopLine < max) {
    v.TopLine += static_cast<int>(std::floor((wheelBefore - wheelNow) * kWheelLines));
    v.TopLine = std::min(v.TopLine, max);
  }
  if (wheelNow > wheelBefore && v.TopLine > 0) {
    v.TopLine -= static_cast<int>(std::floor((wheelNow - wheelBefore) * kWheelLines));
    v.TopLine = std::max(v.TopLine, 0);
  }
}

void PageKeys(ViewState& v, bool pageUp, bool pageDown, bool end, bool home) {
  const int max = MaxTop(v);
  if (pageUp && v.TopLine >= 1) v.TopLine = std::max(v.TopLine - kPageStep, 0);
  if (pageDown && v.TopLine < max) v.TopLine = std::min(v.TopLine + kPageStep, max);
  if (end) v.TopLine = std::max(max, 0);
  if (home) v.TopLine = 0;
}

void PageKeys(ViewState& v, platform::Platform& platform) {
  // Every key is queried each time, in this order, so each press is seen once.
  const bool pageUp = PressTest(platform.keyState(platform::kVkPageUp));
  const bool pageDown = PressTest(platform.keyState(platform::kVkPageDown));
  const bool end = PressTest(platform.keyState(platform::kVkEnd));
  const bool home = PressTest(platform.keyState(platform::kVkHome));
  PageKeys(v, pageUp, pageDown, end, home);
}

namespace {

// The glow style row r shows, 0 for none: only rows whose centre lies inside
// the text area glow, and only the page's own lines (the view's end line may
// still hold the glow of the page shown before).
int RowGlowStyle(const PageView& view, const ViewState& v, int top, int r) {
  const int centre = RowTop(v, r) + kRowHeight / 2;
  if (centre <= kGlowMinCentre || centre >= kGlowMaxCentre) return 0;
  const int line = top + r;
  if (line < 0 || line >= v.LineCount || line > kMaxLine) return 0;
  return view.glow[static_cast<std::size_t>(line)].style;
}

void DrawFixedGlow(render::ScreenBuffer& frame, const ViewState& v, int r, int style) {
  // The fixed styles do not move with the phase.
  render::DrawGlowLine(frame, RowTop(v, r) + kRowHeight / 2, kGlowLeft, kGlowLength, style, 0.0);
}

// Row r's text. Plain rows well inside the area are painted cell by cell,
// background included; glowing rows keep their glow between the strokes, and
// the partly visible rows 0, 31 and 32 are cut at the area's edges. The
// clipped cells are also cut to rows ymin..ymax.
void DrawRowText(render::ScreenBuffer& frame, const render::FontTables& font, const PageView& view,
                 const ViewState& v, int top, int r, int ymin, int ymax) {
  const int line = top + r;
  if (line >= v.LineCount || line < 0 || line > kMaxLine) return;
  const auto at = static_cast<std::size_t>(line);
  const int y = RowTop(v, r);
  const auto& chars = view.character[at];
  const auto& tints = view.tint[at];
  const auto& faces = view.face[at];
  const bool opaque = view.glow[at].drawsOpaque != 0 && r >= 1 && r <= 30;
  for (int c = 0; c < kPageColumns; ++c) {
    const auto k = static_cast<std::size_t>(c);
    const int x = kColumnLeft + render::kGlyphWidth * c;
    if (opaque) {
      render::DrawGlyphOpaque(frame, font, chars[k], x, y, faces[k], tints[k]);
    } else {
      render::DrawGlyphClipped(frame, font, chars[k], x, y, 0, render::kScreenWidth, ymin, ymax, faces[k], tints[k]);
    }
  }
}

}  // namespace

void DrawLineGlows(render::ScreenBuffer& frame, const PageView& view, const ViewState& v, int top,
                   const render::Rainbow& rainbow) {
  for (int r = 0; r < kVisibleRows; ++r) {
    const int style = RowGlowStyle(view, v, top, r);
    if (style == kRainbowStyle) {
      render::DrawRainbowLine(frame, RowTop(v, r) + kRowHeight / 2, kGlowLeft, kGlowLength, rainbow);
    } else if (style != 0) {
      DrawFixedGlow(frame, v, r, style);
    }
  }
}

void DrawPageText(render::ScreenBuffer& frame, const render::FontTables& font, const PageView& view,
                  const ViewState& v, int top) {
  const int bottom = TextBottom(v.CurrentSkin);
  for (int r = 0; r < kVisibleRows; ++r) DrawRowText(frame, font, view, v, top, r, kTextTop, bottom);
}

void DrawStillRows(render::ScreenBuffer& frame, const render::FontTables& font, const PageView& view,
                   const ViewState& v, int top) {
  for (int r = 0; r < kVisibleRows; ++r) {
    const int style = RowGlowStyle(view, v, top, r);
    if (style != 0 && style != kRainbowStyle) DrawFixedGlow(frame, v, r, style);
  }
  DrawPageText(frame, font, view, v, top);
}

void DrawMovingRows(render::ScreenBuffer& frame, const render::FontTables& font, const PageView& view,
                    const ViewState& v, int top, const render::Rainbow& rainbow) {
  const int bottom = TextBottom(v.CurrentSkin);
  for (int r = 0; r < kVisibleRows; ++r) {
    if (RowGlowStyle(view, v, top, r) != kRainbowStyle) continue;
    const int centre = RowTop(v, r) + kRowHeight / 2;
    render::DrawRainbowLine(frame, centre, kGlowLeft, kGlowLength, rainbow);
    // The line covers three rows of the cells; only their strokes go back on.
    DrawRowText(frame, font, view, v, top, r, std::max(kTextTop, centre - 1), std::min(bottom, centre + 1));
  }
}

void MarkMovingRows(render::RowMarks& marks, const PageView& view, const ViewState& v, int top) {
  for (int r = 0; r < kVisibleRows; ++r) {
    if (RowGlowStyle(view, v, top, r) != kRainbowStyle) continue;
    const int centre = RowTop(v, r) + kRowHeight / 2;
    marks.mark(centre - 1, centre + 1);
  }
}

namespace {

int ThumbY(const ViewState& v) {
  return static_cast<int>(std::nearbyint(kThumbTravel / (v.LineCount - kVisibleRows) * v.TopLine)) + kThumbTop;
}

}  // namespace

void DrawScrollThumb(render::ScreenBuffer& frame, const ViewState& v) {
  if (v.LineCount <= kVisibleRows) return;
  const int thumbY = ThumbY(v);
  const ThumbLook& t = kThumb[v.CurrentSkin == 2 ? 1 : 0];
  render::FillRectBlend(frame, t.x, thumbY, t.width, kThumbHeight, kThumbBaseAlpha, t.baseR, t.baseG, t.baseB);
  render::FillRectBlend(frame, t.x, thumbY, t.width, kThumbHeight, v.ScrollGlow, t.glowR, t.glowG, t.glowB);
}

void MarkScrollThumbRows(render::RowMarks& marks, const ViewState& v) {
  // FillRectBlend covers kThumbHeight + 1 rows.
  if (v.LineCount > kVisibleRows) marks.mark(ThumbY(v), ThumbY(v) + kThumbHeight);
}

namespace {

bool OverScrollBar(const ViewState& v, const MouseState& mouse) {
  const int xo = v.CurrentSkin == 2 ? kCarbonBarShift : 0;
  return mouse.y > kBarTop && mouse.y < kBarBottom && mouse.x > kBarHotLeft + xo && mouse.x < kBarHotRight + xo;
}

}  // namespace

void ScrollBarPointer(const ViewState& v, const MouseState& mouse, int& pointerState) {
  // A drag goes on only while the button is down.
  const bool dragging = v.ScrollDragging == 1 && mouse.left != 0;
  if (OverScrollBar(v, mouse) || dragging) pointerState = mouse.left != 0 ? kPointerNormal : kPointerHover;
}

void HandleScrollBar(ViewState& v, const MouseState& mouse, int& pointerState) {
  const double ratio = (v.LineCount - (kVisibleRows - 1)) / kDragTravel;
  ScrollBarPointer(v, mouse, pointerState);
  if (mouse.left == 0) v.ScrollDragging = 0;
  if (OverScrollBar(v, mouse) || v.ScrollDragging == 1) {
    // The drag ignores the click latch: a press anywhere on the bar starts it.
    if (mouse.left != 0) {
      v.ScrollDragging = 1;
      v.TopLine = static_cast<int>(std::nearbyint((mouse.y - kBarTop) * ratio));
      if (v.TopLine < 0) v.TopLine = 0;
      if (v.TopLine > MaxTop(v)) v.TopLine = MaxTop(v);
    }
    if (v.ScrollGlow < kGlowMax) v.ScrollGlow += kGlowStep;
  } else if (v.ScrollGlow > 0) {
    v.ScrollGlow -= kGlowStep;
  }
}

}  // namespace korveld::viewer
