// Whole intro frames against stored hashes: the start as the program runs it
// (black frame, stars, 150 ms, three noise flashes, scroller start) and then
// frames of 1/60 s. Regenerate with KORVELD_REGENERATE_GOLDEN=1 (see
// golden_hashes.txt); KORVELD_INTRO_PNG_DIR=folder writes the pictures.
#include <gtest/gtest.h>

#include <memory>

#include "app/program.hpp"
#include "intro_helpers.hpp"

namespace korveld::render {
namespace {

using testing::FakePlatform;

constexpr double kFrameSeconds = 1.0 / 60.0;

struct IntroRun {
  FakePlatform platform;
  std::unique_ptr<IntroState> intro = std::make_unique<IntroState>();
  std::unique_ptr<ScreenBuffer> frame = std::make_unique<ScreenBuffer>();
  std::unique_ptr<ScreenBuffer> shot = std::make_unique<ScreenBuffer>();
  testing::IntroClocks clocks;
  int frames = 0;

  IntroRun() {
    StoreIntroTexts(*intro);
    InitIntro(*intro);
    frame->clear();
    platform.update(frame->pixels.data());
    PlaceStars(*intro, platform);
    platform.sleepMs(150);
    platform.presentSeconds = kFrameSeconds - 0.001;
    app::NoiseFlash(platform, *frame, kNoiseCoarse);
    app::NoiseFlash(platform, *frame, kNoiseCoarse);
    app::NoiseFlash(platform, *frame, kNoiseFine);
    platform.presentSeconds = 0.0;
    StartScroller(*intro, platform.timer());
  }

  // Runs frames until `count` have been shown; the last one lands in `shot`.
  void RunTo(int count) {
    while (frames < count) {
      testing::RunIntroFrame(*frame, *intro, platform, clocks, kFrameSeconds, true, shot.get());
      ++frames;
    }
  }
};

TEST(IntroGolden, FirstFrameIsDrawnOverTheLastNoiseFlash) {
  IntroRun run;
  run.RunTo(1);
  testing::MaybeWritePng(*run.shot, "intro_first_frame");
  // Noise still shows between the bars and glyphs: row 0 is not black.
  int coloured = 0;
  for (int x = 0; x < kScreenWidth; ++x) coloured += (run.shot->at(x, 0) >> 16) != 0;
  EXPECT_GT(coloured, 0);
  testing::ExpectGolden("intro_first_frame", testing::HashFrame(*run.shot));
}

TEST(IntroGolden, FramesAfterThreeSecondsAndDuringThePause) {
  IntroRun run;
  run.RunTo(180);
  testing::MaybeWritePng(*run.shot, "intro_after_3s");
  EXPECT_EQ(run.shot->at(400, 0), 0u);  // from the second frame on: the background
  EXPECT_EQ(run.shot->at(400, 1), 150u);
  testing::ExpectGolden("intro_after_3s", testing::HashFrame(*run.shot));

  // The welcome marker (character 67) reaches the left edge after 2112
  // pixels at 250 per second; at 10 s the text is held.
  run.RunTo(600);
  ASSERT_EQ(run.intro->ScrollText[run.intro->scroll.pos - 1], kPauseMarker);
  ASSERT_GT(run.intro->scroll.pauseUntil, run.platform.timer());
  testing::MaybeWritePng(*run.shot, "intro_paused");
  testing::ExpectGolden("intro_paused", testing::HashFrame(*run.shot));
  const double held = run.intro->scroll.sx;
  run.RunTo(660);
  EXPECT_EQ(run.intro->scroll.sx, held);
  EXPECT_NE(testing::HashFrame(*run.shot), testing::HashFrame(*run.frame));
}

}  // namespace
}  // namespace korveld::render
