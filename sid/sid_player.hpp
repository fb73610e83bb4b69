// The C64 tune player: tune control as the rest of the program sees it.
#pragma once

#include "platform/platform.hpp"

namespace korveld::sid {

struct SidPlayer {};

void SidPlayerInit(SidPlayer& player, platform::Platform& platform);
void PlaySidTune(SidPlayer& player, int n);
void SidStop(SidPlayer& player);

}  // namespace korveld::sid
