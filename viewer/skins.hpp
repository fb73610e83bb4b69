// The two skins: decoding the embedded pictures, building the 32-bit
// backgrounds once, and copying the current one into the frame.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "render/screen.hpp"

namespace korveld::viewer {

inline constexpr int kSkinWidth = 800;
inline constexpr int kSkinHeight = 600;
inline constexpr int kSkinPixels = kSkinWidth * kSkinHeight;

struct SkinState {
  int width = kSkinWidth;
  int height = kSkinHeight;
  // Per skin (index 0 is skin 1): the palette as 0x00RRGGBB, the picture's
  // index bytes widened (one spare entry), and the rendered background.
  std::array<std::array<std::uint32_t, 256>, 2> palette32{};
  std::array<std::vector<std::int32_t>, 2> index;
  std::array<std::vector<std::uint32_t>, 2> background;
  int builds = 0;  // DecodeSkins and BuildBackgrounds calls so far
};

// Dimensions the tables and decodes the two skin images lying back to back
// in `images` (each a 768-byte palette, then 800 x 600 index bytes). A short
// input decodes what is there and leaves the rest black.
void DecodeSkins(SkinState& skins, std::span<const std::uint8_t> images);
// The embedded skins.
void DecodeSkins(SkinState& skins);
// Renders source columns sx..sx+w and rows sy..sy+h (inclusive) of both
// skins into both backgrounds at (dx, dy). Pixels outside either picture are
// skipped.
void BuildBackgrounds(SkinState& skins, int sx, int sy, int w, int h, int dx, int dy);
// Both whole backgrounds, as the change-over to the viewer builds them.
void BuildAllBackgrounds(SkinState& skins);
// The background of skin 1 or 2 into the frame; black before it is built.
void CopySkinBackground(render::ScreenBuffer& frame, const SkinState& skins, int skin);

}  // namespace korveld::viewer
