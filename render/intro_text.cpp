// The title lines and the sine scroller, both in the big font with a dark
// shadow one pixel down-right and a white highlight one pixel up-left under a
// coloured face. Glyphs are drawn column by column from bit masks; every
// pass clips its rows and columns to the frame and its colour lookups to the
// gradient tables, so no wave value can reach outside either.
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <memory>

#include "render/intro.hpp"

namespace korveld::render {
namespace {

constexpr std::uint32_t kShadow = 0x444444;
constexpr std::uint32_t kHighlight = 0xFFFFFF;
constexpr int kTitleTop = 60;
constexpr int kTitlePitch = 33;
constexpr int kReflectionLimit = 598;  // reflection rows stop above this row

// Bits lo..hi of a glyph column (rows 0..31); empty when lo > hi.
std::uint32_t RowRange(int lo, int hi) {
  if (lo < 0) lo = 0;
  if (hi > kGlyphSize - 1) hi = kGlyphSize - 1;
  if (lo > hi) return 0;
  const std::uint32_t upTo = hi == kGlyphSize - 1 ? ~0u : (1u << (hi + 1)) - 1;
  return upTo & ~((1u << lo) - 1);
}

// One pass of a glyph's columns. Column c lands on screen column x + c and is
// kept when minColumn < x + c < maxColumn; its top row is baseRow (or
// rowTable[x + c]); the pass writes glyph row r at (x + c + dx, top + dy + r)
// in `colour`, or in colourTable[top + r + colourOffset] when a table is given.
struct Pass {
  int dx = 0;
  int dy = 0;
  std::uint32_t colour = 0;
  const std::uint32_t* colourTable = nullptr;
  int colourOffset = 0;
};

struct Placement {
  int x = 0;
  int minColumn = 0;
  int maxColumn = kScreenWidth;
  int baseRow = 0;
  const int* rowTable = nullptr;  // per screen column, overrides baseRow
  int rowLimit = INT_MAX;         // top + r must stay below this
};

void DrawPass(ScreenBuffer& frame, const std::array<std::uint32_t, kGlyphSize>& masks, const Placement& at,
              const Pass& pass) {
  std::uint32_t* pixels = frame.pixels.data();
  for (int c = 0; c < kGlyphSize; ++c) {
    const int column = at.x + c;
    if (column <= at.minColumn || column >= at.maxColumn) continue;
    const int px = column + pass.dx;
    if (px < 0 || px >= kScreenWidth) continue;
    std::uint32_t bits = masks[c];
    if (bits == 0) continue;
    const int top = at.rowTable != nullptr ? at.rowTable[column] : at.baseRow;
    // Rows on screen, below the limit and (with a table) inside the table.
    int lo = -(top + pass.dy);
    int hi = kScreenHeight - 1 - (top + pass.dy);
    if (at.rowLimit != INT_MAX) hi = std::min(hi, at.rowLimit - 1 - top);
    if (pass.colourTable != nullptr) {
      lo = std::max(lo, -(top + pass.colourOffset));
      hi = std::min(hi, kGradientRows - 1 - (top + pass.colourOffset));
    }
    bits &= RowRange(lo, hi);
    // Indices, not pointers: the base may lie before the frame when the
    // first rows were clipped.
    const int out = (top + pass.dy) * kScreenWidth + px;
    if (pass.colourTable != nullptr) {
      const int colours = top + pass.colourOffset;
      while (bits != 0) {
        const int r = std::countr_zero(bits);
        bits &= bits - 1;
        pixels[out + r * kScreenWidth] = pass.colourTable[colours + r];
      }
    } else {
      while (bits != 0) {
        const int r = std::countr_zero(bits);
        bits &= bits - 1;
        pixels[out + r * kScreenWidth] = pass.colour;
      }
    }
  }
}

}  // namespace

namespace {

// A title glyph's three passes, its face from the given colours by row.
void DrawTitleGlyphFaced(ScreenBuffer& frame, const IntroState& intro, int glyph, int x, int y,
                         const std::uint32_t* face) {
  if (glyph < 0 || glyph >= kBigFontGlyphs) return;
  const auto& masks = intro.font.columns[glyph];
  Placement at;
  at.x = x;
  at.baseRow = y;
  DrawPass(frame, masks, at, {+1, +1, kShadow});
  DrawPass(frame, masks, at, {-1, -1, kHighlight});
  DrawPass(frame, masks, at, {0, 0, 0, face, 0});
}

}  // namespace

void DrawTitleGlyph(ScreenBuffer& frame, const IntroState& intro, int glyph, int x, int y) {
  DrawTitleGlyphFaced(frame, intro, glyph, x, y, intro.waves.titleFace.data());
}

namespace {

void DrawTitleTexts(ScreenBuffer& frame, const IntroState& intro, const std::array<std::uint32_t, kGradientRows>& face) {
  for (int n = 1; n <= kTitleLineCount; ++n) {
    const std::string& line = intro.TitleLines[n];
    const int y = kTitlePitch * n + kTitleTop;
    int x = 400 - 16 * static_cast<int>(line.size());
    for (char c : line) {
      const int glyph = GlyphIndex(c);
      if (glyph < 0) continue;  // no glyph: skipped, the rest closes up
      DrawTitleGlyphFaced(frame, intro, glyph, x, y, face.data());
      x += kGlyphSize;
    }
  }
}

// Draws the lines once with markers (nothing drawn, face) in place of the
// colours and keeps every row's runs of equal pixels.
void BuildTitleLayer(IntroState& intro) {
  constexpr std::uint32_t kEmpty = 0xFF000000u;
  TitleLayer& layer = intro.titleLayer;
  auto marks = std::make_unique<ScreenBuffer>();
  marks->clear(kEmpty);
  auto face = std::make_unique<std::array<std::uint32_t, kGradientRows>>();
  face->fill(kTitleFaceRun);
  DrawTitleTexts(*marks, intro, *face);
  layer.runs.clear();
  for (int y = 0; y < kScreenHeight; ++y) {
    const std::uint32_t* row = marks->row(y);
    for (int x = 0; x < kScreenWidth;) {
      int end = x + 1;
      while (end < kScreenWidth && row[end] == row[x]) ++end;
      if (row[x] != kEmpty)
        layer.runs.push_back({static_cast<std::int16_t>(y), static_cast<std::int16_t>(x),
                              static_cast<std::int16_t>(end - x), row[x]});
      x = end;
    }
  }
  layer.lines = intro.TitleLines;
  layer.built = true;
}

}  // namespace

void TitleLines(ScreenBuffer& frame, IntroState& intro, double) {
  if (!intro.titleLayer.built || intro.titleLayer.lines != intro.TitleLines) BuildTitleLayer(intro);
  const auto& face = intro.waves.titleFace;
  for (const TitleRun& run : intro.titleLayer.runs) {
    const std::uint32_t colour = run.colour == kTitleFaceRun ? face[static_cast<std::size_t>(run.row)] : run.colour;
    std::fill_n(frame.row(run.row) + run.x, run.length, colour);
  }
}

// Six passes: the reflection (mirrored, faded, shadow and highlight in
// shifted gradient colours), then the upright glyph. Every column rides the
// wave row of the screen column it lands on.
void DrawScrollerGlyph(ScreenBuffer& frame, const IntroState& intro, int glyph, int x) {
  if (glyph < 0 || glyph >= kBigFontGlyphs) return;
  const WaveTableSet& w = intro.waves;

  Placement mirror;
  mirror.x = x;
  mirror.maxColumn = kScreenWidth - 1;
  mirror.rowTable = w.reflectionRow.data();
  mirror.rowLimit = kReflectionLimit;
  const auto& mirrored = intro.font.mirrored[glyph];
  DrawPass(frame, mirrored, mirror, {+1, +1, 0, w.reflection.data(), +20});
  DrawPass(frame, mirrored, mirror, {-1, -1, 0, w.reflection.data(), -20});
  DrawPass(frame, mirrored, mirror, {0, 0, 0, w.reflection.data(), 0});

  Placement upright;
  upright.x = x;
  upright.maxColumn = kScreenWidth - 1;
  upright.rowTable = w.scrollerRow.data();
  const auto& masks = intro.font.columns[glyph];
  DrawPass(frame, masks, upright, {+1, +1, kShadow});
  DrawPass(frame, masks, upright, {-1, -1, kHighlight});
  DrawPass(frame, masks, upright, {0, 0, 0, w.scrollerFace.data(), 0});
}

void StartScroller(IntroState& intro, double timer) { intro.scroll.pauseUntil = timer; }

// The step is capped at 5 pixels so a slow frame makes the text lag rather
// than jump. Each time a whole character has left, the next one becomes the
// first; a pause marker arriving there holds the text for four seconds.
void MoveScroller(IntroState& intro, double introFrameDelta, double timer) {
  ScrollState& s = intro.scroll;
  const std::string& text = intro.ScrollText;
  const double step = std::min(introFrameDelta, kScrollMaxStep);
  if (timer > s.pauseUntil) s.sx -= step;
  if (s.sx < -kGlyphSize) {
    s.pos += 1;
    if (s.pos >= 1 && s.pos <= static_cast<int>(text.size()) && text[s.pos - 1] == kPauseMarker) {
      s.pauseUntil = timer + kPauseSeconds;
    }
    if (s.pos > static_cast<int>(text.size())) s.pos = 1;
    s.sx += kGlyphSize;
  }
}

void DrawScroller(ScreenBuffer& frame, const IntroState& intro) {
  const ScrollState& s = intro.scroll;
  const std::string& text = intro.ScrollText;
  if (!(s.sx >= -2.0 * kGlyphSize && s.sx <= kScreenWidth)) return;  // also rejects NaN
  int x = static_cast<int>(std::floor(s.sx));
  const int first = std::max(s.pos, 1) - 1;
  const int end = std::min(first + kScrollChars, static_cast<int>(text.size()));
  for (int i = first; i < end; ++i) {
    const int glyph = text[i] == kPauseMarker ? 0 : GlyphIndex(text[i]);
    if (glyph < 0) continue;
    DrawScrollerGlyph(frame, intro, glyph, x);
    x += kGlyphSize;
  }
}

void Scroller(ScreenBuffer& frame, IntroState& intro, double introFrameDelta, double timer) {
  MoveScroller(intro, introFrameDelta, timer);
  DrawScroller(frame, intro);
}

}  // namespace korveld::render
