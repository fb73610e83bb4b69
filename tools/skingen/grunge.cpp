// Skin 1, "Grunge": worn and rusted plate metal, hazard paint, stencilled
// captions, orange lamps.
#include <algorithm>
#include <cmath>

#include "tools/skingen/layout.hpp"
#include "tools/skingen/lettering.hpp"
#include "tools/skingen/skins.hpp"

namespace korveld::skingen {
namespace {

float Smooth(float a, float b, float x) {
  const float t = std::clamp((x - a) / (b - a), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

const Rgb kMetal = Hex(0x4a4036);
const Rgb kRust = Hex(0x7a4420);
const Rgb kOrange = Hex(0xe0841e);
const Rgb kCream = Hex(0xeadcc0);
const Rgb kBlack{0, 0, 0};

// Worn plate metal: large blotches, rust patches, vertical grime streaks and
// a fine grain.
Rgb PlateAt(int x, int y, float brightness) {
  const float blotch = Fbm(x / 110.0f, y / 90.0f, 5, 11);
  const float rust = Fbm(x / 55.0f + 7.0f, y / 45.0f, 5, 23);
  const float streak = Fbm(x / 5.0f, y / 140.0f, 3, 31);
  const float grain = Hash(x, y, 5) - 0.5f;
  Rgb c = Scale(kMetal, brightness * (0.72f + 0.55f * blotch));
  c = Mix(c, Scale(kRust, 0.6f + 0.6f * blotch), Smooth(0.56f, 0.74f, rust) * 0.85f);
  c = Scale(c, 1.0f - Smooth(0.55f, 0.8f, streak) * 0.35f);
  return Add(c, Rgb{grain * 0.05f, grain * 0.045f, grain * 0.04f});
}

void Plate(Canvas& c, Box b, float brightness) {
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) c.set(x, y, PlateAt(x, y, brightness));
  c.bevel(b, 2, 0.6f, true);
}

// A nearly black well whose faint texture stays below what the text colours
// would notice.
void Well(Canvas& c, Box b, Rgb base, float texture) {
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) {
      const float n = Fbm(x / 40.0f, y / 40.0f, 3, 71) - 0.5f;
      c.set(x, y, Scale(base, 1.0f + n * texture));
    }
  c.bevel(b.grow(3), 3, 0.8f, false);
}

// Diagonal hazard paint, worn away where the noise says so.
void Hazard(Canvas& c, Box b) {
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) {
      const bool stripe = ((x + y) / 14) % 2 == 0;
      const float wear = Fbm(x / 16.0f, y / 7.0f, 4, 41);
      const float chip = Hash(x / 2, y / 2, 43);
      if (wear > 0.64f || chip > 0.97f) continue;
      const Rgb paint = stripe ? Scale(kOrange, 0.85f + 0.2f * wear) : Hex(0x171310);
      c.blend(x, y, paint, 0.88f);
    }
  c.bevel(b, 1, 0.5f, false);
}

void Scratches(Canvas& c, Box area, int count, std::uint32_t seed) {
  for (int i = 0; i < count; ++i) {
    const float x = area.x0 + Hash(i, 1, seed) * (area.x1 - area.x0);
    const float y = area.y0 + Hash(i, 2, seed) * (area.y1 - area.y0);
    const float angle = (Hash(i, 3, seed) - 0.5f) * 0.9f;
    const float len = 6 + Hash(i, 4, seed) * 40;
    const float x1 = std::clamp(x + std::cos(angle) * len, static_cast<float>(area.x0), static_cast<float>(area.x1));
    const float y1 = std::clamp(y + std::sin(angle) * len, static_cast<float>(area.y0), static_cast<float>(area.y1));
    c.line(x, y, x1, y1, Hex(0xd8c8b0), 0.22f);
    c.line(x, y + 1, x1, y1 + 1, kBlack, 0.18f);
  }
}

void Button(Canvas& c, const Lettering& font, Box r, const char* caption, int size) {
  c.fillAlpha(r.grow(2), kBlack, 0.55f);
  c.bevel(r.grow(2), 2, 0.7f, false);
  for (int y = r.y0; y <= r.y1; ++y)
    for (int x = r.x0; x <= r.x1; ++x) {
      const float t = static_cast<float>(y - r.y0) / (r.y1 - r.y0);
      const Rgb face = Mix(Hex(0x5a4e42), Hex(0x2c241e), t);
      const float n = Fbm(x / 9.0f, y / 5.0f, 3, 91) - 0.5f;
      c.set(x, y, Scale(face, 1.0f + n * 0.35f));
    }
  c.bevel(r, 1, 0.7f, true);
  const TextMask m = font.render("stencil", size, caption, 1);
  int tx = 0, ty = 0;
  CentreIn(m, r, tx, ty);
  PaintMask(c, m, tx + 1, ty + 1, kBlack, 0.85f);
  PaintMask(c, m, tx, ty, kCream, 1.0f);
}

void Lamp(Canvas& c, float cx, float cy) {
  c.disc(cx, cy, 4.2f, kBlack, 0.7f);
  c.disc(cx, cy, 3.2f, Scale(kOrange, 0.9f), 1.0f);
  c.disc(cx - 1.0f, cy - 1.0f, 1.3f, Hex(0xffe0a0), 0.8f);
  for (int y = static_cast<int>(cy) - 9; y <= static_cast<int>(cy) + 9; ++y)
    for (int x = static_cast<int>(cx) - 9; x <= static_cast<int>(cx) + 9; ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      if (d > 4.0f && d < 9.0f) c.blend(x, y, kOrange, 0.18f * (1 - (d - 4.0f) / 5.0f));
    }
}

}  // namespace

Canvas PaintGrunge(const Lettering& font) {
  Canvas c(800, 600);
  // Backdrop: dark, heavily worn metal.
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) c.set(x, y, PlateAt(x, y, 0.55f));

  // Top strip of hazard paint.
  Plate(c, {4, 3, 795, 26}, 0.8f);
  Hazard(c, {10, 8, 789, 21});

  // Header plate with the buttons, the menu well and the music row.
  Plate(c, {4, 31, 795, 164}, 0.95f);
  Scratches(c, {8, 33, 140, 160}, 40, 3);
  Scratches(c, {655, 33, 792, 160}, 40, 4);
  Well(c, {146, 40, 649, 148}, Hex(0x0f0c0a), 0.25f);
  for (int b = 1; b <= 10; ++b) Button(c, font, ButtonBox(1, b), kCaptions[b], b >= 7 ? 11 : 13);
  for (int b : {1, 2, 3}) {
    const Box r = ButtonBox(1, b);
    Lamp(c, r.x0 - 15.5f, (r.y0 + r.y1 + 1) / 2.0f);
  }
  for (int b : {6, 4, 5}) {
    const Box r = ButtonBox(1, b);
    Lamp(c, r.x1 + 16.5f, (r.y0 + r.y1 + 1) / 2.0f);
  }
  // Music rows: a painted orange rule under each pair.
  for (Box rule : {Box{9, 156, 130, 157}, Box{665, 156, 786, 157}}) c.fillAlpha(rule, kOrange, 0.55f);
  for (float x : {12.0f, 787.0f})
    for (float y : {38.0f, 120.0f}) Rivet(c, x, y, 3.2f, Hex(0x8a7e70), 0.6f + x * 0.01f + y * 0.02f);
  Rivet(c, 139.0f, 156.0f, 3.0f, Hex(0x8a7e70), 1.2f);
  Rivet(c, 656.0f, 156.0f, 3.0f, Hex(0x8a7e70), 2.1f);

  // Text frame: a plate around a deep well with the scroll channel.
  Plate(c, {4, 180, 795, 595}, 0.85f);
  Scratches(c, {8, 580, 792, 593}, 30, 7);
  // Pure black, like the cells of the page text, so no glyph box shows.
  Well(c, {16, 189, 772, 577}, Hex(0x000000), 0.0f);
  Well(c, {777, 189, 789, 577}, Hex(0x16110d), 0.3f);
  // The thumb's groove.
  c.fillAlpha({782, 192, 784, 574}, kBlack, 0.5f);
  for (float x : {10.0f, 789.0f})
    for (float y : {184.0f, 589.0f}) Rivet(c, x, y, 2.6f, Hex(0x8a7e70), x * 0.03f + y * 0.01f);

  // Over everything but the wells: a last layer of grime.
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      const bool inWell = (x >= 143 && x <= 652 && y >= 37 && y <= 151) || (x >= 13 && x <= 792 && y >= 186 && y <= 580);
      if (inWell) continue;
      const float g = Fbm(x / 30.0f + 3.0f, y / 30.0f, 4, 97);
      c.multiply(x, y, 0.8f + 0.4f * g);
    }
  return c;
}

}  // namespace korveld::skingen
