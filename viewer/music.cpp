#include "viewer/program.hpp"

namespace korveld::viewer {

void StartXmTune(Program&, int) {}
void StopXmMusic(Program&) {}

}  // namespace korveld::viewer
