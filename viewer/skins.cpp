#include "viewer/program.hpp"

namespace korveld::viewer {

void DecodeSkins(SkinState&) {}
void BuildBackgrounds(SkinState&, int, int, int, int, int, int) {}
void CopySkinBackground(Program& p) { p.frame.clear(); }

}  // namespace korveld::viewer
