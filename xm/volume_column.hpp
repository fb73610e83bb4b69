// The volume column of a pattern cell: set volume, volume and panning
// slides, vibrato and tone portamento, on the row's first tick and after.
#pragma once

#include "xm/xm_player.hpp"

namespace korveld::xm {

// The row's first tick (and a delayed note's start).
void ApplyVolumeColumn(XmChannel& channel, std::uint8_t volume);
// Every later tick of the row: only the slides, vibrato and tone portamento
// continue.
void VolumeColumnTick(XmChannel& channel, std::uint8_t volume);

}  // namespace korveld::xm
