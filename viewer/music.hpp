// Background music selection, the status ticker and the spectrum feed.
#pragma once

namespace korveld::viewer {

struct Program;

struct TickerState {};
struct MusicState {};

void StoreTickerTexts(TickerState& ticker);
void StartXmTune(Program& p, int n);
void StopXmMusic(Program& p);  // shutdown: stop and release the song
void DrawTicker(Program& p);
void DrawSpectrum(Program& p);

}  // namespace korveld::viewer
