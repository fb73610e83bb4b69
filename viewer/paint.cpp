#include "viewer/paint.hpp"

#include "render/font.hpp"
#include "render/primitives.hpp"
#include "viewer/program.hpp"

namespace korveld::viewer {

void BlendRect(Program& p, int x, int y, int w, int h, int alpha, int r, int g, int b) {
  render::FillRectBlend(p.frame, x, y, w, h, alpha, r, g, b);
}

void GlowLine(Program& p, int row, int x, int length, int style) {
  render::DrawGlowLine(p.frame, row, x, length, style, p.spine.GlowPhase);
}

void TextClipped(Program& p, std::string_view text, int x, int y, int xmin, int xmax, int ymin, int ymax, int face,
                 int tint) {
  render::DrawTextClipped(p.frame, p.font, text, x, y, xmin, xmax, ymin, ymax, face, tint);
}

}  // namespace korveld::viewer
