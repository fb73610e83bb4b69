// The bitmap font sheet, its tint table and coloured text.
#pragma once

#include "render/screen.hpp"

namespace korveld::render {

struct FontTables {};

void BuildFontTables(FontTables& font);

}  // namespace korveld::render
