#include "app/program.hpp"

#include <cmath>

namespace korveld::app {
namespace {

using platform::HeldTest;
using platform::PressTest;

constexpr int kSidTunes = 12;
constexpr int kIntroPauseMs = 150;      // after the stars are placed, before the noise
constexpr int kChangeOverPauseMs = 10;  // after the noise, before the viewer's music
constexpr double kIntroDeltaPerSecond = 250.0;
constexpr double kIntroClockPerSecond = 50.0;

bool EscapePressed(Program& p) { return PressTest(p.platform.keyState(platform::kVkEscape)); }

bool OpenDisplay(Program& p) {
  p.platform.configure(0);
  if (p.platform.open(kWindowTitle, render::kScreenWidth, render::kScreenHeight) == 0) return false;
  p.platform.hideCursor();
  render::InitIntro(p.intro);
  return true;
}

// Black frames while Escape or the left button is still held from before.
void ReleaseWait(Program& p) {
  while (HeldTest(p.platform.keyState(platform::kVkEscape)) || HeldTest(p.platform.buttonState())) {
    p.frame.clear();
    Present(p);
  }
}

void PlayIntroTune(Program& p, int n) {
  p.spine.SidTune = n;
  sid::PlaySidTune(p.sid, n);
}

void IntroStart(Program& p) {
  p.frame.clear();
  Present(p);
  render::PlaceStars(p.intro, p.platform);
  p.platform.sleepMs(kIntroPauseMs);
  for (int bands : {render::kNoiseCoarse, render::kNoiseCoarse, render::kNoiseFine})
    NoiseFlash(p.platform, p.frame, bands);
  p.platform.seedRandomFromTimer();
  render::StartScroller(p.intro, p.platform.timer());
  int tune = static_cast<int>(std::floor(p.platform.random() * kSidTunes)) + 1;
  if (tune < 1) tune = 1;
  if (tune > kSidTunes) tune = kSidTunes;
  PlayIntroTune(p, tune);
}

void IntroLoop(Program& p) {
  auto& s = p.spine;
  // Any press of the left button ends it, a click too short to be seen held.
  while (!EscapePressed(p) && !HeldTest(p.platform.buttonState())) {
    // Hidden or minimised: nothing drawn, the tune plays on, the clocks wait.
    if (p.platform.waitIfHidden()) continue;
    s.IntroFrameStart = p.platform.timer();
    for (int n = 1; n <= kSidTunes; ++n) {
      if (PressTest(p.platform.keyState(platform::kVkF1 + n - 1)) && s.SidTune != n) PlayIntroTune(p, n);
    }
    // Errors the sound device reported on its own thread are shown here.
    sid::ShowPendingErrors(p.sid);
    render::RasterBars(p.frame, p.intro, s.IntroClock);
    render::WaveTables(p.intro, s.IntroClock);
    render::StarField(p.frame, p.intro, s.IntroFrameDelta);
    render::TitleLines(p.frame, p.intro, s.IntroClock);
    render::Scroller(p.frame, p.intro, s.IntroFrameDelta, p.platform.timer());
    Present(p);
    render::IntroBackground(p.frame, p.intro);
    p.platform.sleepMs(1);
    s.IntroFrameDelta = (p.platform.timer() - s.IntroFrameStart) * kIntroDeltaPerSecond;
    s.IntroClock += (p.platform.timer() - s.IntroFrameStart) * kIntroClockPerSecond;
  }
}

void ChangeOver(Program& p) {
  sid::SidStop(p.sid);
  for (int bands : {render::kNoiseCoarse, render::kNoiseCoarse, render::kNoiseFine, render::kNoiseCoarse,
                    render::kNoiseFine, render::kNoiseFine}) {
    NoiseFlash(p.platform, p.frame, bands);
  }
  p.platform.sleepMs(kChangeOverPauseMs);
  viewer::StartXmTune(p.viewer.music, p.xm, 1);
  p.frame.clear();
  viewer::ForgetFrame(p.viewer.layers);
  viewer::BuildAllBackgrounds(p.viewer.skins);
}

}  // namespace

std::unique_ptr<Program> MakeProgram(platform::Platform& platform) { return std::make_unique<Program>(platform); }

void StartUp(Program& p) {
  viewer::StartUpViewer(p.viewer);
  render::StoreIntroTexts(p.intro);
  sid::SidPlayerInit(p.sid, p.platform);
  p.spine.WheelNow = 0.0;
  p.spine.WheelBefore = 0.0;
  xm::XmPlayerInit(p.xm, p.platform);
}

void Present(Program& p) {
  viewer::ForgetFrame(p.viewer.layers);
  p.platform.update(p.frame.pixels.data());
}

void PresentViewerFrame(Program& p) {
  p.platform.update(p.frame.pixels.data(), viewer::ChangedRows(p.viewer.layers).rows);
  viewer::FramePresented(p.viewer.layers);
}

void NoiseFlash(platform::Platform& platform, render::ScreenBuffer& frame, int bandRows) {
  const double start = platform.timer();
  while (platform.timer() - start < render::kNoiseSeconds) {
    render::DrawNoise(frame, platform, bandRows);
    platform.update(frame.pixels.data());
    platform.sleepMs(1);
  }
}

int RunProgram(platform::Platform& platform) {
  auto program = MakeProgram(platform);
  Program& p = *program;
  StartUp(p);
  if (!OpenDisplay(p)) return -1;
  ReleaseWait(p);
  IntroStart(p);
  IntroLoop(p);
  ChangeOver(p);
  // Hidden or minimised, no frame is composed: the loop waits a display
  // frame at a time (the music plays on its own thread) and resumes as it was.
  while (!EscapePressed(p) && p.spine.ExitRequested == 0) {
    if (!p.platform.waitIfHidden()) ViewerFrame(p);
  }
  viewer::StopXmMusic(p.xm);
  p.platform.close();
  return 0;
}

}  // namespace korveld::app
