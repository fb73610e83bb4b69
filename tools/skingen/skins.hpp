// The two skin paintings.
#pragma once

#include "tools/skingen/canvas.hpp"
#include "tools/skingen/lettering.hpp"

namespace korveld::skingen {

// Fonts used: "stencil" (condensed bold captions), "title" (the name).
Canvas PaintGrunge(const Lettering& font);
Canvas PaintCarbon(const Lettering& font);

}  // namespace korveld::skingen
