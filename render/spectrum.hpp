// The 40 note-driven spectrum bars of the viewer header.
#pragma once

#include "render/screen.hpp"

namespace korveld::render {

struct SpectrumState {};

void FillSpectrumColours(SpectrumState& spectrum);
void InitSpectrum(SpectrumState& spectrum);

}  // namespace korveld::render
