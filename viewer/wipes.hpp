// The page-change wipes' picture: each of a wipe's 75 steps is a whole
// composed viewer frame with two interleaved sets of text-area columns
// blanked, growing from both edges towards the middle (close) or shrinking
// back (open). The viewer loop runs the steps, so they present and keep the
// clock like any other viewer frame.
#pragma once

#include "render/screen.hpp"

namespace korveld::viewer {

inline constexpr int kWipeSteps = 75;

// How far step i (0..74) reaches in from each edge: WipeClose 0, 10 .. 740,
// WipeOpen 747, 737 .. 7.
int WipeCloseReach(int step);
int WipeOpenReach(int step);
// Blanks every second column from each edge of the text area up to `reach`
// in, over the text rows of the given skin.
void BlankWipeColumns(render::ScreenBuffer& frame, int skin, int reach);
// The rows BlankWipeColumns blanks for the given skin.
void MarkWipeRows(render::RowMarks& marks, int skin);

}  // namespace korveld::viewer
