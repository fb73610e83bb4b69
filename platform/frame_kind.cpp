#include "platform/frame_kind.hpp"

namespace korveld::platform {
namespace {

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;

}  // namespace

FrameKind ClassifyFrame(const std::uint32_t* pixels) {
  bool black = true;
  bool bands = true;
  for (int y = 0; y < kFrameHeight && (black || bands); ++y) {
    const std::uint32_t* row = pixels + y * kFrameWidth;
    const std::uint32_t first = row[0] & 0xFFFFFF;
    if (first != 0) black = false;
    for (int x = 1; x < kFrameWidth; ++x) {
      const std::uint32_t p = row[x] & 0xFFFFFF;
      if (p != first) {
        bands = false;
        black = false;
        break;
      }
    }
  }
  if (black) return FrameKind::kBlack;
  return bands ? FrameKind::kBands : FrameKind::kPicture;
}

}  // namespace korveld::platform
