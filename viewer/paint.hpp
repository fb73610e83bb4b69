// The drawing calls the viewer's own passes make (buttons, menus, ticker),
// in one place: thin forwards to the render primitives and the font.
#pragma once

#include <string_view>

namespace korveld::viewer {

struct Program;

void BlendRect(Program& p, int x, int y, int w, int h, int alpha, int r, int g, int b);
void GlowLine(Program& p, int row, int x, int length, int style);
void TextClipped(Program& p, std::string_view text, int x, int y, int xmin, int xmax, int ymin, int ymax, int face,
                 int tint);

}  // namespace korveld::viewer
