#include "viewer/program.hpp"

namespace korveld::viewer {

// The MUTE button stops the song; pressing it again plays the same song
// from its start (PlaySong always begins at the first order).
void StopMusic(Program& p) { xm::StopSong(p.xm); }
void ResumeMusic(Program& p) { xm::PlaySong(p.xm); }

std::uint32_t AudibleNote(Program& p, int channel) { return xm::GetAudibleNote(p.xm, channel); }

}  // namespace korveld::viewer
