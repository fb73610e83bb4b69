#include "viewer/paint.hpp"

#include "viewer/program.hpp"

namespace korveld::viewer {

void BlendRect(Program& p, int x, int y, int w, int h, int alpha, int r, int g, int b) {
  // Covers x..x+w and y..y+h inclusive; floor blend in packed channels.
  const std::uint32_t src = static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
                            static_cast<std::uint32_t>(b);
  const std::uint32_t a = static_cast<std::uint32_t>(alpha);
  const std::uint32_t ia = 256 - a;
  for (int yy = y; yy <= y + h; ++yy) {
    if (yy < 0 || yy >= render::kScreenHeight) continue;
    std::uint32_t* row = p.frame.row(yy);
    for (int xx = x; xx <= x + w; ++xx) {
      if (xx < 0 || xx >= render::kScreenWidth) continue;
      const std::uint32_t d = row[xx];
      const std::uint32_t rb = ((src & 0xFF00FF) * a + (d & 0xFF00FF) * ia) & 0xFF00FF00;
      const std::uint32_t gg = ((src & 0x00FF00) * a + (d & 0x00FF00) * ia) & 0x00FF0000;
      row[xx] = (rb | gg) >> 8;
    }
  }
}

void GlowLine(Program&, int, int, int, int) {}

void TextClipped(Program&, std::string_view, int, int, int, int, int, int, int, int) {}

}  // namespace korveld::viewer
