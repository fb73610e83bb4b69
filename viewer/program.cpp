#include "viewer/program.hpp"

namespace korveld::viewer {

std::unique_ptr<Program> MakeProgram(platform::Platform& platform) { return std::make_unique<Program>(platform); }

void Present(Program& p) { p.platform.update(p.frame.pixels.data()); }

}  // namespace korveld::viewer
