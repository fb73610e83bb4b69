// Captions for the skins, rasterised from an outline font through FreeType.
#pragma once

#include <string>
#include <vector>

#include "tools/skingen/canvas.hpp"

namespace korveld::skingen {

// A coverage mask (0..1) of one line of text.
struct TextMask {
  int width = 0;
  int height = 0;
  int baseline = 0;  // row of the baseline inside the mask
  std::vector<float> alpha;
  float at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
    return alpha[static_cast<std::size_t>(y) * width + x];
  }
};

class Lettering {
 public:
  Lettering();
  ~Lettering();
  Lettering(const Lettering&) = delete;
  Lettering& operator=(const Lettering&) = delete;

  // Loads a font file; returns false (and says why) when FreeType cannot.
  bool load(const std::string& name, const std::string& path, std::string& error);
  // Renders text in the named font at the given pixel height, with extra
  // spacing between letters. An unknown font gives an empty mask.
  TextMask render(const std::string& font, int pixelSize, const std::string& text, int letterSpacing = 0) const;

 private:
  struct Impl;
  Impl* impl_;
};

// Paints a mask with its top-left corner at (x, y).
void PaintMask(Canvas& c, const TextMask& m, int x, int y, Rgb colour, float alpha);
// Paints a soft glow of the mask (a box blur of the given radius).
void PaintGlow(Canvas& c, const TextMask& m, int x, int y, int radius, Rgb colour, float alpha);
// Top-left corner that centres the mask's ink in the box (inclusive).
void CentreIn(const TextMask& m, Box box, int& x, int& y);

}  // namespace korveld::skingen
