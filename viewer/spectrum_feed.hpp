// The spectrum bars as the viewer draws them: fed each frame with the notes
// the XM player is sounding now.
#pragma once

#include "render/screen.hpp"
#include "render/spectrum.hpp"

namespace korveld::xm {
struct XmPlayer;
}

namespace korveld::viewer {

struct MusicState;

// Reads the audible note of each channel of the song loaded last (read
// without a lock while the output thread plays), feeds the bars and draws
// them for the given skin.
void DrawSpectrum(render::ScreenBuffer& frame, render::SpectrumState& spectrum, const MusicState& music,
                  const xm::XmPlayer& xm, int skin);

}  // namespace korveld::viewer
