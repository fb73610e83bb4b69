// The ticks after a row's first: envelopes, the volume column and the
// effects that continue through the row.
#pragma once

#include "xm/xm_player.hpp"

namespace korveld::xm {

void ProcessTickEffects(XmPlayer& player, XmSong& song);

}  // namespace korveld::xm
