// The first tick of a row: every channel takes its cell's note, instrument,
// volume column and effect.
#pragma once

#include "xm/xm_player.hpp"

namespace korveld::xm {

// Reads the song's current row and leaves the next order and row (-1: just
// the next row) for the tick counter to move to.
void ProcessRow(XmPlayer& player, XmSong& song);

}  // namespace korveld::xm
