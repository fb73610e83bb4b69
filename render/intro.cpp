#include "render/intro.hpp"

namespace korveld::render {

void StoreIntroTexts(IntroState&) {}
void InitIntro(IntroState&) {}
void PlaceStars(IntroState&, platform::Platform& platform) { (void)platform.random(); }

// Placeholder until the intro scene lands: plain grey bands of random
// brightness, presented for half a second.
void NoiseFlash(ScreenBuffer& frame, platform::Platform& platform, int bandRows) {
  const double start = platform.timer();
  while (platform.timer() - start < 0.5) {
    for (int y = 0; y < kScreenHeight; y += bandRows) {
      const auto level = static_cast<std::uint32_t>(platform.random() * 255.0);
      const std::uint32_t colour = level * 0x010101u;
      for (int r = y; r < y + bandRows && r < kScreenHeight; ++r) std::fill_n(frame.row(r), kScreenWidth, colour);
    }
    platform.update(frame.pixels.data());
  }
}

void StartScroller(IntroState&, double) {}
void RasterBars(ScreenBuffer&, IntroState&, double) {}
void WaveTables(IntroState&, double) {}
void StarField(ScreenBuffer&, IntroState&, double) {}
void TitleLines(ScreenBuffer&, IntroState&, double) {}
void Scroller(ScreenBuffer&, IntroState&, double, double) {}
void IntroBackground(ScreenBuffer& frame, IntroState&) { frame.clear(); }

}  // namespace korveld::render
