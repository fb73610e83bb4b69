#include "render/font.hpp"

namespace korveld::render {

void BuildFontTables(FontTables&) {}

}  // namespace korveld::render
