// One viewer frame's drawing, in painter's order. The viewer loop and every
// wipe step draw through ComposeViewerFrame; the loop then adds the scroll
// bar and the pointer, a wipe step its black columns.
#pragma once

#include "render/screen.hpp"

namespace korveld::xm {
struct XmPlayer;
}

namespace korveld::viewer {

struct Viewer;

// Skin background, buttons, header and menu, line glows and text of the 33
// visible rows, the spectrum bars unless the music is paused, the ticker.
void ComposeViewerFrame(render::ScreenBuffer& frame, Viewer& viewer, const xm::XmPlayer& xm, double glowPhase);
// The scroll-bar thumb and its handling on pages of more than 32 lines (a
// shorter page keeps its offset at kShortPageOffset), then the pointer.
void DrawScrollBarAndPointer(render::ScreenBuffer& frame, Viewer& viewer);

}  // namespace korveld::viewer
