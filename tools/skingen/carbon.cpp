// Skin 2, "Carbon": a twill carbon-fibre weave under glossy black panels,
// blue edge light, the product name in the top bar.
#include <algorithm>
#include <cmath>

#include "tools/skingen/layout.hpp"
#include "tools/skingen/lettering.hpp"
#include "tools/skingen/skins.hpp"

namespace korveld::skingen {
namespace {

constexpr float kPi = 3.14159265f;
const Rgb kBlue = Hex(0x2f8cff);
const Rgb kIce = Hex(0xd8ecff);
const Rgb kBlack{0, 0, 0};

// 2/2 twill: each tow passes over two and under two, shifted by one cell per
// row, which gives the diagonal herringbone. Every tow is lit like a flat
// cylinder across its width and carries fine fibres along its length.
Rgb WeaveAt(int x, int y) {
  constexpr int kCell = 7;
  const int bx = x / kCell, by = y / kCell;
  const float fx = (x % kCell + 0.5f) / kCell;
  const float fy = (y % kCell + 0.5f) / kCell;
  const bool horizontal = ((bx - by) % 4 + 4) % 4 < 2;
  const float across = horizontal ? fy : fx;
  const float fibre = Hash(horizontal ? y : x, (horizontal ? x : y) / 23, 17);
  const float profile = std::pow(std::sin(across * kPi), 0.6f);
  float v = (horizontal ? 0.15f : 0.085f) * profile + 0.018f + 0.02f * (fibre - 0.5f);
  // Broad diagonal sheen, as if lit from the top left.
  const float sheen = 0.5f + 0.5f * std::sin((x * 0.6f + y) * 0.006f + 0.8f);
  v *= 0.75f + 0.6f * sheen;
  return {v * 0.92f, v * 0.98f, v * 1.12f};
}

void Weave(Canvas& c, Box b) {
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) c.set(x, y, WeaveAt(x, y));
}

// Glossy black lacquer: dark gradient with a soft highlight in the top half.
void Gloss(Canvas& c, Box b) {
  const float h = static_cast<float>(b.y1 - b.y0);
  for (int y = b.y0; y <= b.y1; ++y) {
    const float t = (y - b.y0) / h;
    const Rgb base = Mix(Hex(0x23272e), Hex(0x07080a), t);
    const float hi = t < 0.45f ? 0.06f * (1.0f - t / 0.45f) : 0.0f;
    for (int x = b.x0; x <= b.x1; ++x) c.set(x, y, Add(base, Rgb{hi, hi, hi * 1.2f}));
  }
  c.outline(b, Hex(0x3a414c), 0.9f);
  c.outline(b.grow(1), kBlack, 0.7f);
}

void EdgeLight(Canvas& c, Box b, float a) {
  c.halo(b, 4, kBlue, a * 0.35f);
  c.outline(b, kBlue, a);
}

void Glass(Canvas& c, Box b, Rgb base) {
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) {
      const float t = static_cast<float>(y - b.y0) / (b.y1 - b.y0);
      c.set(x, y, Scale(base, 1.25f - 0.4f * t));
    }
  EdgeLight(c, b.grow(1), 0.7f);
}

void Button(Canvas& c, const Lettering& font, Box r, const char* caption) {
  c.fillAlpha(r.grow(2), kBlack, 0.8f);
  for (int y = r.y0; y <= r.y1; ++y) {
    const float t = static_cast<float>(y - r.y0) / (r.y1 - r.y0);
    const Rgb face = Mix(Hex(0x323945), Hex(0x12151a), t);
    for (int x = r.x0; x <= r.x1; ++x) c.set(x, y, face);
  }
  c.fillAlpha({r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y0 + (r.y1 - r.y0) / 2}, Hex(0xffffff), 0.05f);
  c.outline(r, Hex(0x4a7fc0), 0.55f);
  const TextMask m = font.render("stencil", 12, caption, 1);
  int tx = 0, ty = 0;
  CentreIn(m, r, tx, ty);
  PaintMask(c, m, tx, ty + 1, kBlack, 0.8f);
  PaintMask(c, m, tx, ty, kIce, 1.0f);
}

// The music buttons are slim lamps with their caption printed underneath.
void LampSlot(Canvas& c, const Lettering& font, Box r, const char* caption) {
  c.fillAlpha(r.grow(2), kBlack, 0.85f);
  for (int y = r.y0; y <= r.y1; ++y)
    for (int x = r.x0; x <= r.x1; ++x) {
      const float t = std::fabs((y - r.y0) / static_cast<float>(r.y1 - r.y0) - 0.5f);
      c.set(x, y, Scale(Hex(0x0c1a2a), 1.0f - t));
    }
  c.outline(r, Hex(0x4a7fc0), 0.6f);
  const TextMask m = font.render("stencil", 10, caption, 1);
  int tx = 0, ty = 0;
  CentreIn(m, {r.x0, r.y1 + 4, r.x1, r.y1 + 12}, tx, ty);
  PaintMask(c, m, tx, ty, Hex(0x8fb8e8), 0.95f);
}

}  // namespace

Canvas PaintCarbon(const Lettering& font) {
  Canvas c(800, 600);
  Weave(c, {0, 0, 799, 599});

  // Top bar with the name.
  Gloss(c, {0, 0, 799, 38});
  EdgeLight(c, {0, 39, 799, 39}, 0.9f);
  const TextMask name = font.render("title", 27, "KORVELD", 9);
  int nx = 0, ny = 0;
  CentreIn(name, {0, 2, 799, 36}, nx, ny);
  PaintGlow(c, name, nx, ny, 3, kBlue, 0.9f);
  PaintMask(c, name, nx, ny, kIce, 1.0f);
  const TextMask left = font.render("stencil", 11, "CHART MAGAZINE", 2);
  const TextMask right = font.render("stencil", 11, "ISSUE 35", 2);
  int lx = 0, ly = 0, rx = 0, ry = 0;
  CentreIn(left, {16, 12, 16 + left.width, 27}, lx, ly);
  CentreIn(right, {783 - right.width, 12, 783, 27}, rx, ry);
  PaintMask(c, left, lx, ly, Hex(0x6f9fd8), 0.9f);
  PaintMask(c, right, rx, ry, Hex(0x6f9fd8), 0.9f);

  // Button panels either side of the menu.
  for (Box panel : {Box{10, 44, 116, 122}, Box{683, 44, 789, 122}}) {
    Gloss(c, panel);
    EdgeLight(c, {panel.x0, panel.y1, panel.x1, panel.y1}, 0.5f);
  }
  for (Box panel : {Box{10, 130, 132, 162}, Box{661, 130, 789, 162}}) Gloss(c, panel);
  for (int b = 1; b <= 6; ++b) Button(c, font, ButtonBox(2, b), kCaptions[b]);
  for (int b = 7; b <= 10; ++b) LampSlot(c, font, ButtonBox(2, b), kCaptions[b]);

  // The menu: dark glass, tall enough for the spectrum's lowest rows.
  Glass(c, {146, 40, 649, 152}, Hex(0x06080c));

  // The text area and its scroll channel.
  Gloss(c, {6, 179, 793, 592});
  // Pure black, like the cells of the page text, so no glyph box shows.
  Glass(c, {16, 188, 776, 578}, Hex(0x000000));
  Glass(c, {781, 188, 794, 578}, Hex(0x0a0e14));
  c.fillAlpha({786, 192, 788, 574}, Hex(0x1b3a5e), 0.6f);
  return c;
}

}  // namespace korveld::skingen
