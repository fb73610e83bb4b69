#include "tools/skingen/canvas.hpp"

#include <algorithm>
#include <cmath>

namespace korveld::skingen {

Rgb Hex(std::uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f};
}

Canvas::Canvas(int width, int height) : width_(width), height_(height), px_(static_cast<std::size_t>(width) * height) {}

Rgb Canvas::get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  return px_[static_cast<std::size_t>(y) * width_ + x];
}

void Canvas::set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  px_[static_cast<std::size_t>(y) * width_ + x] = c;
}

void Canvas::blend(int x, int y, Rgb c, float a) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  a = std::clamp(a, 0.0f, 1.0f);
  Rgb& d = px_[static_cast<std::size_t>(y) * width_ + x];
  d = Mix(d, c, a);
}

void Canvas::multiply(int x, int y, float f) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Rgb& d = px_[static_cast<std::size_t>(y) * width_ + x];
  d = Scale(d, f);
}

void Canvas::fill(Box b, Rgb c) {
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) set(x, y, c);
}

void Canvas::fillAlpha(Box b, Rgb c, float a) {
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) blend(x, y, c, a);
}

void Canvas::verticalGradient(Box b, Rgb top, Rgb bottom) {
  const float span = static_cast<float>(std::max(1, b.y1 - b.y0));
  for (int y = b.y0; y <= b.y1; ++y) {
    const Rgb c = Mix(top, bottom, (y - b.y0) / span);
    for (int x = b.x0; x <= b.x1; ++x) set(x, y, c);
  }
}

void Canvas::darken(Box b, float f) {
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) multiply(x, y, f);
}

void Canvas::bevel(Box b, int width, float strength, bool raised) {
  const Rgb light{1, 1, 1};
  const Rgb dark{0, 0, 0};
  for (int i = 0; i < width; ++i) {
    const float a = strength * (1.0f - static_cast<float>(i) / width);
    const Rgb top = raised ? light : dark;
    const Rgb bottom = raised ? dark : light;
    const float topA = raised ? a * 0.55f : a * 0.8f;
    const float bottomA = raised ? a * 0.8f : a * 0.35f;
    for (int x = b.x0 + i; x <= b.x1 - i; ++x) {
      blend(x, b.y0 + i, top, topA);
      blend(x, b.y1 - i, bottom, bottomA);
    }
    for (int y = b.y0 + i + 1; y <= b.y1 - i - 1; ++y) {
      blend(b.x0 + i, y, top, topA);
      blend(b.x1 - i, y, bottom, bottomA);
    }
  }
}

void Canvas::outline(Box b, Rgb c, float a) {
  for (int x = b.x0; x <= b.x1; ++x) {
    blend(x, b.y0, c, a);
    blend(x, b.y1, c, a);
  }
  for (int y = b.y0 + 1; y < b.y1; ++y) {
    blend(b.x0, y, c, a);
    blend(b.x1, y, c, a);
  }
}

void Canvas::halo(Box b, int radius, Rgb c, float a) {
  for (int y = b.y0 - radius; y <= b.y1 + radius; ++y) {
    for (int x = b.x0 - radius; x <= b.x1 + radius; ++x) {
      const int dx = x < b.x0 ? b.x0 - x : (x > b.x1 ? x - b.x1 : 0);
      const int dy = y < b.y0 ? b.y0 - y : (y > b.y1 ? y - b.y1 : 0);
      if (dx == 0 && dy == 0) continue;
      const float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
      if (d > radius) continue;
      const float t = 1.0f - d / radius;
      blend(x, y, c, a * t * t);
    }
  }
}

void Canvas::line(float x0, float y0, float x1, float y1, Rgb c, float a) {
  const float len = std::hypot(x1 - x0, y1 - y0);
  const int steps = std::max(1, static_cast<int>(len * 2));
  for (int i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / steps;
    const float x = x0 + (x1 - x0) * t;
    const float y = y0 + (y1 - y0) * t;
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const float fx = x - ix;
    const float fy = y - iy;
    const float k = a * 0.5f;
    blend(ix, iy, c, k * (1 - fx) * (1 - fy));
    blend(ix + 1, iy, c, k * fx * (1 - fy));
    blend(ix, iy + 1, c, k * (1 - fx) * fy);
    blend(ix + 1, iy + 1, c, k * fx * fy);
  }
}

void Canvas::disc(float cx, float cy, float radius, Rgb c, float a) {
  for (int y = static_cast<int>(cy - radius - 1); y <= static_cast<int>(cy + radius + 1); ++y) {
    for (int x = static_cast<int>(cx - radius - 1); x <= static_cast<int>(cx + radius + 1); ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      const float cover = std::clamp(radius - d + 0.5f, 0.0f, 1.0f);
      if (cover > 0) blend(x, y, c, a * cover);
    }
  }
}

float Hash(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8DA6B343u ^ static_cast<std::uint32_t>(y) * 0xD8163841u ^
                    seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return (h & 0xFFFFFF) / 16777216.0f;
}

float ValueNoise(float x, float y, std::uint32_t seed) {
  const int ix = static_cast<int>(std::floor(x));
  const int iy = static_cast<int>(std::floor(y));
  float fx = x - ix;
  float fy = y - iy;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  const float a = Hash(ix, iy, seed);
  const float b = Hash(ix + 1, iy, seed);
  const float c = Hash(ix, iy + 1, seed);
  const float d = Hash(ix + 1, iy + 1, seed);
  return a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy;
}

float Fbm(float x, float y, int octaves, std::uint32_t seed) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += ValueNoise(x, y, seed + o * 977) * amp;
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}

void Rivet(Canvas& c, float cx, float cy, float r, Rgb metal, float angle) {
  c.disc(cx + 0.8f, cy + 1.0f, r + 0.6f, Rgb{0, 0, 0}, 0.55f);
  c.disc(cx, cy, r, metal, 1.0f);
  c.disc(cx - r * 0.3f, cy - r * 0.3f, r * 0.45f, Rgb{1, 1, 1}, 0.25f);
  const float dx = std::cos(angle) * r * 0.8f;
  const float dy = std::sin(angle) * r * 0.8f;
  c.line(cx - dx, cy - dy, cx + dx, cy + dy, Rgb{0, 0, 0}, 0.9f);
}

}  // namespace korveld::skingen
