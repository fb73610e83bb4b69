#include "app/program.hpp"

#include <cmath>

#include "content/startup/startup_data.hpp"
#include "viewer/program.hpp"

namespace korveld::app {
namespace {

using platform::HeldTest;
using platform::PressTest;
using viewer::Program;

constexpr int kPointerCodes = 121;
constexpr int kButtonItems = 100;

bool EscapePressed(Program& p) { return PressTest(p.platform.keyState(platform::kVkEscape)); }

void StartUp(Program& p) {
  p.dataList.next = 0;
  viewer::FillPageStore(p.pages);
  viewer::LoadPage(p, 11);
  viewer::StoreTickerTexts(p.ticker);
  render::StoreIntroTexts(p.intro);
  viewer::StoreMenuLabels(p.menus);
  sid::SidPlayerInit(p.sid, p.platform);
  viewer::DecodeSkins(p.skins);
  render::BuildFontTables(p.font);

  const auto data = content::StartupDataList();
  render::BuildPointerImages(p.pointers, data.subspan(p.dataList.next, kPointerCodes));
  p.dataList.next += kPointerCodes;

  viewer::InitButtonTables(p.buttons);
  render::FillSpectrumColours(p.spectrum);
  p.spine.WheelNow = 0.0;
  p.spine.WheelBefore = 0.0;
  viewer::ReadButtonTable(p.buttons, data.subspan(p.dataList.next, kButtonItems));
  p.dataList.next += kButtonItems;
  render::InitSpectrum(p.spectrum);
  xm::XmPlayerInit(p.xm, p.platform);
}

bool OpenDisplay(Program& p) {
  p.platform.configure(0, "KORVELD PREVIEW\rFULL SCREEN?", 0, 1);
  p.platform.setEscapeCloses(0);
  if (p.platform.open(kWindowTitle, render::kScreenWidth, render::kScreenHeight) == 0) return false;
  p.platform.hideCursor();
  render::InitIntro(p.intro);
  return true;
}

// Black frames while Escape or the left button is still held from before.
void ReleaseWait(Program& p) {
  while (HeldTest(p.platform.keyState(platform::kVkEscape)) || p.platform.leftButton() != 0) {
    p.frame.clear();
    viewer::Present(p);
  }
}

void IntroStart(Program& p) {
  p.frame.clear();
  viewer::Present(p);
  render::PlaceStars(p.intro, p.platform);
  p.platform.sleepMs(150);
  render::NoiseFlash(p.frame, p.platform, render::kNoiseCoarse);
  render::NoiseFlash(p.frame, p.platform, render::kNoiseCoarse);
  render::NoiseFlash(p.frame, p.platform, render::kNoiseFine);
  p.platform.seedRandomFromTimer();
  render::StartScroller(p.intro, p.platform.timer());
  int tune = static_cast<int>(std::floor(p.platform.random() * 12.0)) + 1;
  if (tune < 1) tune = 1;
  if (tune > 12) tune = 12;
  p.spine.SidTune = tune;
  sid::PlaySidTune(p.sid, tune);
}

void IntroLoop(Program& p) {
  auto& s = p.spine;
  while (!EscapePressed(p) && p.platform.leftButton() == 0) {
    s.IntroFrameStart = p.platform.timer();
    for (int n = 1; n <= 12; ++n) {
      if (PressTest(p.platform.keyState(platform::kVkF1 + n - 1)) && s.SidTune != n) {
        sid::PlaySidTune(p.sid, n);
        s.SidTune = n;
      }
    }
    // Errors the sound device reported on its own thread are shown here.
    sid::ShowPendingErrors(p.sid);
    render::RasterBars(p.frame, p.intro, s.IntroClock);
    render::WaveTables(p.intro, s.IntroClock);
    render::StarField(p.frame, p.intro, s.IntroFrameDelta);
    render::TitleLines(p.frame, p.intro, s.IntroClock);
    render::Scroller(p.frame, p.intro, s.IntroFrameDelta, p.platform.timer());
    viewer::Present(p);
    render::IntroBackground(p.frame, p.intro);
    p.platform.sleepMs(1);
    s.IntroFrameDelta = (p.platform.timer() - s.IntroFrameStart) * 250.0;
    s.IntroClock += (p.platform.timer() - s.IntroFrameStart) * 50.0;
  }
}

void ChangeOver(Program& p) {
  sid::SidStop(p.sid);
  for (int bands : {render::kNoiseCoarse, render::kNoiseCoarse, render::kNoiseFine, render::kNoiseCoarse,
                    render::kNoiseFine, render::kNoiseFine}) {
    render::NoiseFlash(p.frame, p.platform, bands);
  }
  p.platform.sleepMs(10);
  viewer::StartXmTune(p, 1);
  p.frame.clear();
  viewer::BuildBackgrounds(p.skins, 0, 0, render::kScreenWidth - 1, render::kScreenHeight - 1, 0, 0);
}

void ViewerFrame(Program& p) {
  auto& s = p.spine;
  auto& v = p.view;
  s.FrameStart = p.platform.timer();
  viewer::ScrollByKeys(p);
  s.WheelBefore = s.WheelNow;
  s.WheelNow = p.platform.wheel();
  viewer::ScrollByWheel(p);
  viewer::HandleButtons(p);
  viewer::HandleMenuClicks(p);
  viewer::CopySkinBackground(p);
  viewer::DrawButtons(p);
  viewer::DrawMenus(p);
  viewer::DrawLineGlows(p, v.TopLine);
  viewer::DrawPageText(p, v.TopLine);
  if (p.buttons.latch[6] == 0) viewer::DrawSpectrum(p);
  viewer::DrawTicker(p);
  if (v.LineCount > 32) {
    viewer::DrawScrollThumb(p);
    viewer::HandleScrollBar(p);
  } else {
    v.ScrollOffset = 5;
  }
  render::DrawPointer(p.frame, p.pointers, p.PointerState, p.mouse.x, p.mouse.y);
  viewer::Present(p);
  viewer::PollInput(p);
  p.platform.sleepMs(1);
  s.GlowPhase += (p.platform.timer() - s.FrameStart) * 250.0;
}

}  // namespace

int RunProgram(platform::Platform& platform) {
  auto program = viewer::MakeProgram(platform);
  Program& p = *program;
  StartUp(p);
  if (!OpenDisplay(p)) return -1;
  ReleaseWait(p);
  IntroStart(p);
  IntroLoop(p);
  ChangeOver(p);
  while (!EscapePressed(p) && p.spine.ExitRequested == 0) ViewerFrame(p);
  viewer::StopXmMusic(p);
  p.platform.close();
  return 0;
}

}  // namespace korveld::app
