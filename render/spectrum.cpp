#include "render/spectrum.hpp"

namespace korveld::render {

void FillSpectrumColours(SpectrumState&) {}
void InitSpectrum(SpectrumState&) {}

}  // namespace korveld::render
