#include "viewer/program.hpp"

namespace korveld::viewer {

void ScrollByKeys(Program&) {}
void ScrollByWheel(Program&) {}
void PageKeys(Program&) {}
void DrawLineGlows(Program&, int) {}
void DrawPageText(Program&, int) {}
void DrawScrollThumb(Program&) {}
void HandleScrollBar(Program&) {}

}  // namespace korveld::viewer
