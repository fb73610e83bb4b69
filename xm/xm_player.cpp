#include "xm/xm_player.hpp"

namespace korveld::xm {

void XmPlayerInit(XmPlayer&, platform::Platform&) {}

}  // namespace korveld::xm
