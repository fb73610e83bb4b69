#include "tools/skingen/lettering.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>

namespace korveld::skingen {

struct Lettering::Impl {
  FT_Library library = nullptr;
  std::map<std::string, FT_Face> faces;
};

Lettering::Lettering() : impl_(new Impl) { FT_Init_FreeType(&impl_->library); }

Lettering::~Lettering() {
  for (auto& [name, face] : impl_->faces) FT_Done_Face(face);
  if (impl_->library != nullptr) FT_Done_FreeType(impl_->library);
  delete impl_;
}

bool Lettering::load(const std::string& name, const std::string& path, std::string& error) {
  if (impl_->library == nullptr) {
    error = "FreeType did not start";
    return false;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(impl_->library, path.c_str(), 0, &face) != 0) {
    error = "cannot load font " + path;
    return false;
  }
  impl_->faces[name] = face;
  return true;
}

TextMask Lettering::render(const std::string& font, int pixelSize, const std::string& text, int letterSpacing) const {
  TextMask mask;
  auto it = impl_->faces.find(font);
  if (it == impl_->faces.end()) return mask;
  FT_Face face = it->second;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
  const int ascent = static_cast<int>(face->size->metrics.ascender >> 6);
  const int descent = static_cast<int>(-face->size->metrics.descender >> 6);
  // First pass: width.
  int pen = 0;
  for (char ch : text) {
    if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_DEFAULT) != 0) continue;
    pen += static_cast<int>(face->glyph->advance.x >> 6) + letterSpacing;
  }
  mask.width = std::max(1, pen - letterSpacing + 2);
  mask.height = ascent + descent + 1;
  mask.baseline = ascent;
  mask.alpha.assign(static_cast<std::size_t>(mask.width) * mask.height, 0.0f);
  pen = 1;
  for (char ch : text) {
    if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    for (unsigned r = 0; r < bm.rows; ++r) {
      for (unsigned col = 0; col < bm.width; ++col) {
        const int x = pen + g->bitmap_left + static_cast<int>(col);
        const int y = ascent - g->bitmap_top + static_cast<int>(r);
        if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
        float& a = mask.alpha[static_cast<std::size_t>(y) * mask.width + x];
        a = std::min(1.0f, a + bm.buffer[r * bm.pitch + col] / 255.0f);
      }
    }
    pen += static_cast<int>(g->advance.x >> 6) + letterSpacing;
  }
  return mask;
}

void PaintMask(Canvas& c, const TextMask& m, int x, int y, Rgb colour, float alpha) {
  for (int r = 0; r < m.height; ++r)
    for (int k = 0; k < m.width; ++k) {
      const float a = m.at(k, r);
      if (a > 0) c.blend(x + k, y + r, colour, a * alpha);
    }
}

void PaintGlow(Canvas& c, const TextMask& m, int x, int y, int radius, Rgb colour, float alpha) {
  const float norm = static_cast<float>((2 * radius + 1) * (2 * radius + 1));
  for (int r = -radius; r < m.height + radius; ++r)
    for (int k = -radius; k < m.width + radius; ++k) {
      float sum = 0;
      for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) sum += m.at(k + dx, r + dy);
      if (sum > 0) c.blend(x + k, y + r, colour, std::min(1.0f, sum / norm * 2.0f) * alpha);
    }
}

void CentreIn(const TextMask& m, Box box, int& x, int& y) {
  int minX = m.width, maxX = -1, minY = m.height, maxY = -1;
  for (int r = 0; r < m.height; ++r)
    for (int k = 0; k < m.width; ++k)
      if (m.at(k, r) > 0.15f) {
        minX = std::min(minX, k);
        maxX = std::max(maxX, k);
        minY = std::min(minY, r);
        maxY = std::max(maxY, r);
      }
  if (maxX < 0) {
    x = box.x0;
    y = box.y0;
    return;
  }
  const int inkW = maxX - minX + 1;
  const int inkH = maxY - minY + 1;
  const int boxW = box.x1 - box.x0 + 1;
  const int boxH = box.y1 - box.y0 + 1;
  x = box.x0 + (boxW - inkW) / 2 - minX;
  y = box.y0 + (boxH - inkH + 1) / 2 - minY;
}

}  // namespace korveld::skingen
