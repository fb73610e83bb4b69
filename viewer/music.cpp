#include "viewer/music.hpp"

#include "content/xm/xm_modules.hpp"
#include "xm/xm_player.hpp"

namespace korveld::viewer {

void StartXmTune(MusicState& music, xm::XmPlayer& xm, int n) {
  xm::StopSong(xm);
  xm::FreeSong(xm);
  const auto image = content::XmModuleImage(n);
  xm::LoadSongFromMemory(xm, image.data(), static_cast<std::int32_t>(image.size()));
  xm::PlaySong(xm);
  music.CurrentTune = n;
  music.SpectrumChannels = xm::GetNumChannels(xm);
}

void PauseMusic(xm::XmPlayer& xm) { xm::StopSong(xm); }
void ResumeMusic(xm::XmPlayer& xm) { xm::PlaySong(xm); }

void StopXmMusic(xm::XmPlayer& xm) {
  xm::StopSong(xm);
  xm::FreeSong(xm);
}

}  // namespace korveld::viewer
