#include "render/font.hpp"

#include <algorithm>
#include <cmath>

#include "content/font/font_sheet.hpp"

namespace korveld::render {
namespace {

constexpr int kFaceRowOffset[3] = {0, 0, 14};

bool ValidFaceAndTint(int face, int tint) { return (face == 1 || face == 2) && tint >= 1 && tint <= kTintCount; }

// floor(value / d) for the shade steps 1.0, 1.5 and 2.0.
int Shaded(int value, double d) { return static_cast<int>(std::floor(value / d)); }

// The 0.7 and 0.3 factors round to nearest, ties to even.
int Scaled(int value, double factor) { return static_cast<int>(std::nearbyint(value * factor)); }

}  // namespace

std::uint32_t TintColour(int r, int g, int b, int tint) {
  const int group = (tint - 1) / 3;
  const double d = 1.0 + 0.5 * ((tint - 1) % 3);
  const int R = Shaded(r, d);
  const int G = Shaded(g, d);
  const int B = Shaded(b, d);
  int outR = 0, outG = 0, outB = 0;
  switch (group) {
    case 0: outR = R; outG = G; outB = B; break;                                   // palette, darker
    case 1: outR = R; break;                                                       // red
    case 2: outG = G; break;                                                       // green
    case 3: outB = B; break;                                                       // blue
    case 4: outR = R; outG = G; break;                                             // yellow
    case 5: outG = G; outB = B; break;                                             // cyan
    case 6: outR = R; outB = B; break;                                             // magenta
    case 7: outR = R; outG = Scaled(G, 0.7); outB = Scaled(B, 0.3); break;         // orange
    case 8: outR = Scaled(R, 0.3); outG = Scaled(G, 0.7); outB = B; break;         // sky blue
    case 9: outR = Scaled(R, 0.7); outG = G; outB = Scaled(B, 0.7); break;         // pale green
    default: break;
  }
  return static_cast<std::uint32_t>(outR << 16 | outG << 8 | outB);
}

void BuildFontTables(FontTables& font, std::span<const std::uint8_t> sheet, std::span<const std::uint8_t> palette) {
  font.sheet.fill(0);
  std::copy_n(sheet.begin(), std::min(sheet.size(), font.sheet.size()), font.sheet.begin());
  font.TintTable.fill(0);
  for (int i = 0; i < kPaletteSize; ++i) {
    const auto channel = [&](int k) {
      const auto at = static_cast<std::size_t>(i * 3 + k);
      return at < palette.size() ? static_cast<int>(palette[at]) : 0;
    };
    for (int t = 1; t < kTintCount; ++t) {
      font.TintTable[static_cast<std::size_t>(i * kTintCount + t)] = TintColour(channel(0), channel(1), channel(2), t);
    }
  }
  for (int t = 0; t <= kTintCount; ++t) {
    for (int i = 0; i < kPaletteSize; ++i) {
      font.byTint[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] =
          t == 0 ? 0 : font.TintTable[static_cast<std::size_t>(i * kTintCount + t)];
    }
  }
}

void BuildFontTables(FontTables& font) { BuildFontTables(font, content::FontSheet(), content::FontPalette()); }

void DrawGlyphClipped(ScreenBuffer& frame, const FontTables& font, std::uint8_t code, int x, int y, int xmin,
                      int xmax, int ymin, int ymax, int face, int tint) {
  if (!ValidFaceAndTint(face, tint)) return;
  const int col = (code - 32) * kGlyphWidth + 1;
  if (col <= 0 || col >= kFontSheetWidth) return;
  // The caller's clip, narrowed to the frame.
  const int x0 = std::max({x, xmin, 0});
  const int x1 = std::min({x + kGlyphWidth - 1, xmax, kScreenWidth - 1});
  const int y0 = std::max({y, ymin, 0});
  const int y1 = std::min({y + kGlyphHeight - 1, ymax, kScreenHeight - 1});
  if (x0 > x1 || y0 > y1) return;
  const std::uint32_t* tints = font.byTint[static_cast<std::size_t>(tint)].data();
  for (int sy = y0; sy <= y1; ++sy) {
    const std::uint8_t* src = font.sheet.data() + (kFaceRowOffset[face] + sy - y) * kFontSheetWidth + col;
    std::uint32_t* dst = frame.row(sy);
    for (int sx = x0; sx <= x1; ++sx) {
      const std::uint8_t p = src[sx - x];
      if (p != 0) dst[sx] = tints[p];
    }
  }
}

void DrawGlyphClipped(ScreenBuffer& frame, const FontTables& font, std::string_view text, int x, int y, int xmin,
                      int xmax, int ymin, int ymax, int face, int tint) {
  if (text.empty()) return;
  DrawGlyphClipped(frame, font, static_cast<std::uint8_t>(text[0]), x, y, xmin, xmax, ymin, ymax, face, tint);
}

void DrawGlyphOpaque(ScreenBuffer& frame, const FontTables& font, std::uint8_t code, int x, int y, int face,
                     int tint) {
  if (!ValidFaceAndTint(face, tint)) return;
  if (code - 32 <= 0) return;  // the space keeps its background
  const int col = (code - 32) * kGlyphWidth + 1;
  if (col >= kFontSheetWidth) return;
  const int y0 = std::max(y, kOpaqueTop);
  const int y1 = std::min(y + kGlyphHeight - 1, kOpaqueBottom);
  // The cell is painted whole; only the frame's own edges cut it.
  const int x0 = std::max(x, 0);
  const int x1 = std::min(x + kGlyphWidth - 1, kScreenWidth - 1);
  if (x0 > x1) return;
  const std::uint32_t* tints = font.byTint[static_cast<std::size_t>(tint)].data();
  if (x0 == x && x1 == x + kGlyphWidth - 1) {
    // The whole cell is inside the frame: a fixed nine-pixel row copy.
    for (int sy = y0; sy <= y1; ++sy) {
      const std::uint8_t* src = font.sheet.data() + (kFaceRowOffset[face] + sy - y) * kFontSheetWidth + col;
      std::uint32_t* dst = frame.row(sy) + x;
      for (int k = 0; k < kGlyphWidth; ++k) dst[k] = tints[src[k]];
    }
    return;
  }
  for (int sy = y0; sy <= y1; ++sy) {
    const std::uint8_t* src = font.sheet.data() + (kFaceRowOffset[face] + sy - y) * kFontSheetWidth + col;
    std::uint32_t* dst = frame.row(sy);
    for (int sx = x0; sx <= x1; ++sx) dst[sx] = tints[src[sx - x]];
  }
}

void DrawGlyphOpaque(ScreenBuffer& frame, const FontTables& font, std::string_view text, int x, int y, int face,
                     int tint) {
  if (text.empty()) return;
  DrawGlyphOpaque(frame, font, static_cast<std::uint8_t>(text[0]), x, y, face, tint);
}

void DrawTextClipped(ScreenBuffer& frame, const FontTables& font, std::string_view text, int x, int y, int xmin,
                     int xmax, int ymin, int ymax, int face, int tint) {
  for (std::size_t n = 0; n < text.size(); ++n) {
    DrawGlyphClipped(frame, font, static_cast<std::uint8_t>(text[n]), x + kGlyphWidth * static_cast<int>(n), y, xmin,
                     xmax, ymin, ymax, face, tint);
  }
}

}  // namespace korveld::render
