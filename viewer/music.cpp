#include "viewer/program.hpp"

#include "content/xm/xm_modules.hpp"
#include "xm/xm_player.hpp"

namespace korveld::viewer {

// Stops and releases the song playing now, then loads and plays tune n.
void StartXmTune(Program& p, int n) {
  xm::StopSong(p.xm);
  xm::FreeSong(p.xm);
  const auto image = content::XmModuleImage(n);
  xm::LoadSongFromMemory(p.xm, image.data(), static_cast<std::int32_t>(image.size()));
  xm::PlaySong(p.xm);
  p.music.CurrentTune = n;
  p.music.SpectrumChannels = xm::GetNumChannels(p.xm);
}

void StopXmMusic(Program& p) {
  xm::StopSong(p.xm);
  xm::FreeSong(p.xm);
}

}  // namespace korveld::viewer
