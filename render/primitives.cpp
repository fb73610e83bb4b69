#include "render/primitives.hpp"

namespace korveld::render {

void BuildPointerImages(PointerImages&, std::span<const int>) {}
void DrawPointer(ScreenBuffer&, const PointerImages&, int, int, int) {}

}  // namespace korveld::render
