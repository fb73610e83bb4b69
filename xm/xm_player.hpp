// The XM module player: song control as the rest of the program sees it.
#pragma once

#include "platform/platform.hpp"

namespace korveld::xm {

struct XmPlayer {};

void XmPlayerInit(XmPlayer& player, platform::Platform& platform);

}  // namespace korveld::xm
