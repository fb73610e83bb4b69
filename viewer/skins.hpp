// The two skins, the viewer frame composition and the page-change wipes.
#pragma once

namespace korveld::viewer {

struct Program;

struct SkinState {};

void DecodeSkins(SkinState& skins);
void BuildBackgrounds(SkinState& skins, int srcX, int srcY, int extentX, int extentY, int dstX, int dstY);
void CopySkinBackground(Program& p);

}  // namespace korveld::viewer
