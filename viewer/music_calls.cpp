#include "viewer/program.hpp"

namespace korveld::viewer {

void StopMusic(Program&) {}
void ResumeMusic(Program&) {}
std::uint32_t AudibleNote(Program&, int) { return 0; }

}  // namespace korveld::viewer
