// A small true-colour canvas for painting the skins: noise, fills, bevels
// and blends in floating point, quantised to a palette at the end.
#pragma once

#include <cstdint>
#include <vector>

namespace korveld::skingen {

struct Rgb {
  float r = 0, g = 0, b = 0;
};

inline Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
inline Rgb Scale(Rgb a, float f) { return {a.r * f, a.g * f, a.b * f}; }
inline Rgb Add(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb Hex(std::uint32_t rgb);

// Inclusive pixel rectangle.
struct Box {
  int x0, y0, x1, y1;
  Box grow(int d) const { return {x0 - d, y0 - d, x1 + d, y1 + d}; }
};

class Canvas {
 public:
  Canvas(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  Rgb get(int x, int y) const;
  void set(int x, int y, Rgb c);
  // Blends c over the pixel with coverage a (0..1); outside pixels are ignored.
  void blend(int x, int y, Rgb c, float a);
  void multiply(int x, int y, float f);

  void fill(Box b, Rgb c);
  void fillAlpha(Box b, Rgb c, float a);
  void verticalGradient(Box b, Rgb top, Rgb bottom);
  void darken(Box b, float f);
  // Raised (light top-left, dark bottom-right) or sunk edges of the given width.
  void bevel(Box b, int width, float strength, bool raised);
  void outline(Box b, Rgb c, float a);
  // Soft shadow / glow around a box: fades over `radius` pixels.
  void halo(Box b, int radius, Rgb c, float a);
  void line(float x0, float y0, float x1, float y1, Rgb c, float a);
  void disc(float cx, float cy, float radius, Rgb c, float a);

  std::vector<Rgb>& pixels() { return px_; }
  const std::vector<Rgb>& pixels() const { return px_; }

 private:
  int width_, height_;
  std::vector<Rgb> px_;
};

// Deterministic noise: a hashed lattice, smooth value noise and its fractal sum.
float Hash(int x, int y, std::uint32_t seed);
float ValueNoise(float x, float y, std::uint32_t seed);
float Fbm(float x, float y, int octaves, std::uint32_t seed);

// A screw head with a slot.
void Rivet(Canvas& c, float cx, float cy, float r, Rgb metal, float angle);

}  // namespace korveld::skingen
