// What kind of picture a presented frame is, as the headless frame log
// records it.
#pragma once

#include <cstdint>

namespace korveld::platform {

enum class FrameKind { kBlack, kBands, kPicture };

// Classifies a frame: all black; uniform rows (the noise flashes); anything else.
FrameKind ClassifyFrame(const std::uint32_t* pixels);

}  // namespace korveld::platform
