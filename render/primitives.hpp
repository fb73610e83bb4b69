// Pixel primitives: translucent rectangles, glow lines and the pointer.
#pragma once

#include <span>

#include "render/screen.hpp"

namespace korveld::render {

struct PointerImages {};

void BuildPointerImages(PointerImages& images, std::span<const int> codes);
void DrawPointer(ScreenBuffer& frame, const PointerImages& images, int state, int x, int y);

}  // namespace korveld::render
