// The two skins, the viewer frame composition and the page-change wipes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace korveld::viewer {

struct Program;

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
void CopySkinBackground(Program& p);

// One viewer frame without input handling, scroll bar and pointer.
void ComposeViewerFrame(Program& p);
// The page-change wipes: 75 presented frames each.
void WipeClose(Program& p);
void WipeOpen(Program& p);
// Blanks the two interleaved column sets of one wipe step.
void BlankWipeColumns(Program& p, int s);

}  // namespace korveld::viewer
