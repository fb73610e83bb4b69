// The start-up data list: the pointer shape (121 codes, 11 x 11, row by row)
// followed by the button layout (60 numbers for skin 1: x, y, w, h, latch,
// glow per button; then 40 for skin 2: x, y, w, h per button).
#pragma once

#include <span>

namespace korveld::content {

std::span<const int> StartupDataList();

}  // namespace korveld::content
