#include "sid/sid_player.hpp"

namespace korveld::sid {

void SidPlayerInit(SidPlayer&, platform::Platform&) {}
void PlaySidTune(SidPlayer&, int) {}
void SidStop(SidPlayer&) {}

}  // namespace korveld::sid
