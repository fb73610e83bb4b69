// The intro scene: noise flashes, raster bars, stars, title lines, scroller.
#pragma once

#include "platform/platform.hpp"
#include "render/screen.hpp"

namespace korveld::render {

struct IntroState {};

inline constexpr int kNoiseCoarse = 10;  // band height in rows
inline constexpr int kNoiseFine = 2;

void StoreIntroTexts(IntroState& intro);
void InitIntro(IntroState& intro);  // star tables and the big font
void PlaceStars(IntroState& intro, platform::Platform& platform);
// Fills the frame with random-colour bands of the given height and presents
// it, again and again, for half a second.
void NoiseFlash(ScreenBuffer& frame, platform::Platform& platform, int bandRows);
void StartScroller(IntroState& intro, double timer);
void RasterBars(ScreenBuffer& frame, IntroState& intro, double introClock);
void WaveTables(IntroState& intro, double introClock);
void StarField(ScreenBuffer& frame, IntroState& intro, double introFrameDelta);
void TitleLines(ScreenBuffer& frame, IntroState& intro, double introClock);
void Scroller(ScreenBuffer& frame, IntroState& intro, double introFrameDelta, double timer);
void IntroBackground(ScreenBuffer& frame, IntroState& intro);

}  // namespace korveld::render
