#include "viewer/frame.hpp"

#include "viewer/spectrum_feed.hpp"
#include "viewer/viewer.hpp"

namespace korveld::viewer {

void ComposeViewerFrame(render::ScreenBuffer& frame, Viewer& viewer, const xm::XmPlayer& xm, double glowPhase) {
  const ViewState& v = viewer.view;
  CopySkinBackground(frame, viewer.skins, v.CurrentSkin);
  DrawButtons(frame, viewer);
  // The menu frame's lines and the page's rainbow lines share one run of
  // colours a frame.
  render::Rainbow rainbow;
  render::FillRainbow(rainbow, glowPhase);
  DrawMenus(frame, viewer, rainbow);
  DrawLineGlows(frame, viewer.page, v, v.TopLine, rainbow);
  DrawPageText(frame, viewer.font, viewer.page, v, v.TopLine);
  if (viewer.buttons.latch[kButtonMute] == 0) DrawSpectrum(frame, viewer.spectrum, viewer.music, xm, v.CurrentSkin);
  DrawTicker(frame, viewer.ticker, viewer.font, v.CurrentSkin);
}

void DrawScrollBarAndPointer(render::ScreenBuffer& frame, Viewer& viewer) {
  ViewState& v = viewer.view;
  if (v.LineCount > kVisibleRows - 1) {
    DrawScrollThumb(frame, v);
    HandleScrollBar(v, viewer.mouse, viewer.PointerState);
  } else {
    v.ScrollOffset = kShortPageOffset;
  }
  render::DrawPointer(frame, viewer.pointers, viewer.PointerState, viewer.mouse.x, viewer.mouse.y);
}

}  // namespace korveld::viewer
