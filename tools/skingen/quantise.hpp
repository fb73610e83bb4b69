// Reduces a true-colour canvas to an indexed picture of at most 256 colours
// (median cut over a 15-bit histogram, then nearest-colour mapping).
#pragma once

#include "tools/skingen/canvas.hpp"
#include "tools/skinpack/indexed_png.hpp"

namespace korveld::skingen {

tools::IndexedPicture Quantise(const Canvas& canvas, int colours);

}  // namespace korveld::skingen
