// Background music selection, the status ticker and the spectrum feed.
#pragma once

#include "viewer/ticker.hpp"

namespace korveld::viewer {

struct Program;

// The background music as the viewer selected it.
struct MusicState {
  int CurrentTune = 0;       // 1..4 once the viewer has started a tune
  int SpectrumChannels = 0;  // channel count of the song loaded last
};

void StoreTickerTexts(TickerState& ticker);
void StartXmTune(Program& p, int n);
void StopXmMusic(Program& p);  // shutdown: stop and release the song
void DrawTicker(Program& p);
void DrawSpectrum(Program& p);

}  // namespace korveld::viewer
