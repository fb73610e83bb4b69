#include "viewer/skins.hpp"

#include <algorithm>
#include <cstring>

#include "content/skins/skins.hpp"

namespace korveld::viewer {
namespace {

constexpr std::size_t kPaletteBytes = 768;
constexpr std::size_t kImageBytes = kPaletteBytes + kSkinPixels;

}  // namespace

void DecodeSkins(SkinState& skins, std::span<const std::uint8_t> images) {
  skins.width = kSkinWidth;
  skins.height = kSkinHeight;
  ++skins.builds;
  for (int s = 0; s < 2; ++s) {
    skins.index[s].assign(kSkinPixels + 1, 0);
    skins.background[s].assign(kSkinPixels, 0);
    skins.palette32[s].fill(0);
    const std::size_t base = static_cast<std::size_t>(s) * kImageBytes;
    if (base >= images.size()) continue;
    const auto image = images.subspan(base, std::min(kImageBytes, images.size() - base));
    for (std::size_t i = 0; i < 256 && i * 3 + 2 < image.size(); ++i) {
      skins.palette32[s][i] = static_cast<std::uint32_t>(image[i * 3]) << 16 |
                              static_cast<std::uint32_t>(image[i * 3 + 1]) << 8 | image[i * 3 + 2];
    }
    if (image.size() <= kPaletteBytes) continue;
    const auto pixels = image.subspan(kPaletteBytes);
    std::copy(pixels.begin(), pixels.end(), skins.index[s].begin());
  }
}

void DecodeSkins(SkinState& skins) { DecodeSkins(skins, content::SkinImages()); }

void BuildBackgrounds(SkinState& skins, int sx, int sy, int w, int h, int dx, int dy) {
  if (skins.index[0].size() < static_cast<std::size_t>(kSkinPixels) ||
      skins.background[0].size() < static_cast<std::size_t>(kSkinPixels))
    return;
  ++skins.builds;
  for (int y = sy; y <= sy + h; ++y) {
    const int ty = dy + (y - sy);
    if (y < 0 || y >= kSkinHeight || ty < 0 || ty >= kSkinHeight) continue;
    for (int x = sx; x <= sx + w; ++x) {
      const int tx = dx + (x - sx);
      if (x < 0 || x >= kSkinWidth || tx < 0 || tx >= kSkinWidth) continue;
      const int from = y * skins.width + x;
      const int to = ty * kSkinWidth + tx;
      for (int s = 0; s < 2; ++s) skins.background[s][to] = skins.palette32[s][skins.index[s][from] & 0xFF];
    }
  }
}

void BuildAllBackgrounds(SkinState& skins) { BuildBackgrounds(skins, 0, 0, kSkinWidth - 1, kSkinHeight - 1, 0, 0); }

void CopySkinBackground(render::ScreenBuffer& frame, const SkinState& skins, int skin) {
  const auto& background = skins.background[skin == 1 ? 0 : 1];
  if (background.size() < static_cast<std::size_t>(kSkinPixels)) {
    frame.clear();
    return;
  }
  std::memcpy(frame.pixels.data(), background.data(), kSkinPixels * sizeof(std::uint32_t));
}

}  // namespace korveld::viewer
