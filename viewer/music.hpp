// Background music selection, the status ticker and the spectrum feed.
#pragma once

#include "viewer/ticker.hpp"

namespace korveld::viewer {

struct Program;

struct MusicState {
  int SpectrumChannels = 0;  // channel count of the song loaded last
};

void StoreTickerTexts(TickerState& ticker);
void StartXmTune(Program& p, int n);
void StopXmMusic(Program& p);  // shutdown: stop and release the song
void DrawTicker(Program& p);
void DrawSpectrum(Program& p);

}  // namespace korveld::viewer
