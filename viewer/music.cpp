#include "viewer/program.hpp"

namespace korveld::viewer {

void StoreTickerTexts(TickerState&) {}
void StartXmTune(Program&, int) {}
void StopXmMusic(Program&) {}
void DrawTicker(Program&) {}
void DrawSpectrum(Program&) {}

}  // namespace korveld::viewer
