// The background music as the viewer selects it: the four XM tunes, the
// MUTE button's pause and resume, and the release at shutdown.
#pragma once

namespace korveld::xm {
struct XmPlayer;
}

namespace korveld::viewer {

struct MusicState {
  int CurrentTune = 0;       // 1..4 once the viewer has started a tune
  int SpectrumChannels = 0;  // channel count of the song loaded last
};

// Stops and releases the song playing now, then loads and plays tune n.
void StartXmTune(MusicState& music, xm::XmPlayer& xm, int n);
// MUTE stops the song; pressing it again plays the same song from its start
// (playing always begins at the first order).
void PauseMusic(xm::XmPlayer& xm);
void ResumeMusic(xm::XmPlayer& xm);
// Shutdown: stop and release the song.
void StopXmMusic(xm::XmPlayer& xm);

}  // namespace korveld::viewer
