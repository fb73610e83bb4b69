#include "viewer/skins.hpp"

#include <algorithm>
#include <cstring>

#include "content/skins/skins.hpp"
#include "viewer/program.hpp"

namespace korveld::viewer {
namespace {

constexpr std::size_t kPaletteBytes = 768;
constexpr std::size_t kImageBytes = kPaletteBytes + kSkinPixels;

// The wipes blank rows 192 .. 192 + R of the text area.
constexpr int kWipeTop = 192;
constexpr int kWipeRowsSkin1 = 377;
constexpr int kWipeRowsSkin2 = 378;
constexpr int kWipeLeft = 20;
constexpr int kWipeRight = 767;
constexpr int kWipeLast = 740;   // WipeClose: s = 0 .. 740
constexpr int kWipeFirst = 747;  // WipeOpen: s = 747 .. 7
constexpr int kWipeStride = 10;

void WipeStep(Program& p, int s) {
  auto& spine = p.spine;
  spine.FrameStart = p.platform.timer();
  ComposeViewerFrame(p);
  BlankWipeColumns(p, s);
  Present(p);
  p.platform.sleepMs(1);
  spine.GlowPhase += (p.platform.timer() - spine.FrameStart) * 250.0;
}

}  // namespace

void DecodeSkins(SkinState& skins, std::span<const std::uint8_t> images) {
  skins.width = kSkinWidth;
  skins.height = kSkinHeight;
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

void CopySkinBackground(Program& p) {
  const auto& background = p.skins.background[p.view.CurrentSkin == 1 ? 0 : 1];
  if (background.size() < static_cast<std::size_t>(kSkinPixels)) {
    p.frame.clear();
    return;
  }
  std::memcpy(p.frame.pixels.data(), background.data(), kSkinPixels * sizeof(std::uint32_t));
}

void ComposeViewerFrame(Program& p) {
  CopySkinBackground(p);
  DrawButtons(p);
  DrawMenus(p);
  DrawLineGlows(p, p.view.TopLine);
  DrawPageText(p, p.view.TopLine);
  if (p.buttons.latch[6] == 0) DrawSpectrum(p);
  DrawTicker(p);
}

void BlankWipeColumns(Program& p, int s) {
  const int rows = p.view.CurrentSkin == 1 ? kWipeRowsSkin1 : kWipeRowsSkin2;
  for (int y = kWipeTop; y <= kWipeTop + rows; ++y) {
    std::uint32_t* row = p.frame.row(y);
    for (int k = 0; k <= s && kWipeLeft + k <= kWipeRight; k += 2) {
      row[kWipeLeft + k] = 0;
      row[kWipeRight - k] = 0;
    }
  }
}

void WipeClose(Program& p) {
  for (int s = 0; s <= kWipeLast; s += kWipeStride) WipeStep(p, s);
}

void WipeOpen(Program& p) {
  for (int s = kWipeFirst; s >= 7; s -= kWipeStride) WipeStep(p, s);
}

}  // namespace korveld::viewer
