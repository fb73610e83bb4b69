// The viewer loop's frames: the ordinary frame and the wipe steps of a page
// change. Both update the hover state, then draw through
// viewer::ComposeViewerFrame, and keep the glow clock the same way.
#include "app/program.hpp"
#include "viewer/frame.hpp"
#include "viewer/wipes.hpp"

namespace korveld::app {
namespace {

constexpr double kGlowPerSecond = 250.0;

void StartFrameClock(Program& p) { p.spine.FrameStart = p.platform.timer(); }

void AdvanceGlowPhase(Program& p) {
  p.spine.GlowPhase += (p.platform.timer() - p.spine.FrameStart) * kGlowPerSecond;
}

void WipeStep(Program& p, int reach) {
  StartFrameClock(p);
  viewer::UpdateHover(p.viewer, false);
  viewer::ComposeViewerFrame(p.frame, p.viewer, p.xm, p.spine.GlowPhase);
  viewer::BlankWipeColumns(p.frame, p.viewer.view.CurrentSkin, reach);
  viewer::MarkWipeRows(p.viewer.layers.drawn, p.viewer.view.CurrentSkin);
  PresentViewerFrame(p);
  p.platform.sleepMs(1);
  AdvanceGlowPhase(p);
}

void CarryOut(Program& p, const viewer::ClickRequest& request) {
  if (request.exit) p.spine.ExitRequested = 1;
  if (request.pauseMusic) viewer::PauseMusic(p.xm);
  if (request.resumeMusic) viewer::ResumeMusic(p.xm);
  if (request.tune != 0) viewer::StartXmTune(p.viewer.music, p.xm, request.tune);
  if (request.page != 0) {
    ChangePage(p, request.page);
    if (request.clearMarksAfter) viewer::ClearMenuMarks(p.viewer.menus);
  }
}

}  // namespace

void WipeClose(Program& p) {
  for (int step = 0; step < viewer::kWipeSteps; ++step) WipeStep(p, viewer::WipeCloseReach(step));
}

void WipeOpen(Program& p) {
  for (int step = 0; step < viewer::kWipeSteps; ++step) WipeStep(p, viewer::WipeOpenReach(step));
}

void ChangePage(Program& p, int page) {
  WipeClose(p);
  viewer::LoadPage(p.viewer, page);
  WipeOpen(p);
}

void HandleClicks(Program& p) {
  CarryOut(p, viewer::HandleButtons(p.viewer, p.platform));
  viewer::LightMenuButton(p.viewer.buttons, p.viewer.view);
  CarryOut(p, viewer::HandleMenuClicks(p.viewer));
}

void ViewerFrame(Program& p) {
  SpineState& s = p.spine;
  viewer::Viewer& v = p.viewer;
  StartFrameClock(p);
  viewer::ScrollByKeys(v.view, p.platform);
  s.WheelBefore = s.WheelNow;
  s.WheelNow = p.platform.wheel();
  viewer::ScrollByWheel(v.view, s.WheelNow, s.WheelBefore);
  HandleClicks(p);
  viewer::UpdateHover(v, true);
  viewer::ComposeViewerFrame(p.frame, v, p.xm, s.GlowPhase);
  viewer::DrawScrollBarAndPointer(p.frame, v);
  PresentViewerFrame(p);
  viewer::UpdateScrollBar(v);
  viewer::PollInput(v.mouse, v.view, p.platform);
  p.platform.sleepMs(1);
  AdvanceGlowPhase(p);
}

}  // namespace korveld::app
