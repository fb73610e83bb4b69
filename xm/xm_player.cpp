// Player set-up: the platform the output thread and device come from.
#include "xm/xm_player.hpp"

namespace korveld::xm {

void XmPlayerInit(XmPlayer& player, platform::Platform& platform) { player.platform = &platform; }

XmPlayer::~XmPlayer() {
  if (PlayingSong != nullptr) StopSong(*this, PlayingSong);
}

}  // namespace korveld::xm
