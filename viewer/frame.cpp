#include "viewer/frame.hpp"

#include "viewer/spectrum_feed.hpp"
#include "viewer/viewer.hpp"

namespace korveld::viewer {

void UpdateHover(Viewer& viewer, bool scrollBar) {
  UpdateButtonsAndMenuHover(viewer);
  if (scrollBar && viewer.view.LineCount > kVisibleRows - 1)
    ScrollBarPointer(viewer.view, viewer.mouse, viewer.PointerState);
}

StillKey StillKeyOf(const Viewer& viewer) {
  const ViewState& v = viewer.view;
  StillKey key;
  key.skin = v.CurrentSkin;
  key.skinBuilds = viewer.skins.builds;
  key.pageLoads = viewer.pageLoads;
  key.top = v.TopLine;
  key.offset = v.ScrollOffset;
  key.lineCount = v.LineCount;
  key.menu = v.CurrentMenu;
  for (int column = 0; column < 2; ++column)
    for (int k = 1; k <= 5; ++k)
      if (MenuRowHovered(viewer.mouse, column, k)) key.hoveredRow[static_cast<std::size_t>(column)] = k;
  key.latch = viewer.buttons.latch;
  key.glow = viewer.buttons.shownGlow;
  for (std::size_t page = 0; page < key.selected.size(); ++page) {
    key.selected[page] = viewer.menus.entries[page].selected;
    key.enabled[page] = viewer.menus.entries[page].enabled;
  }
  return key;
}

void DrawStillPicture(render::ScreenBuffer& target, const Viewer& viewer) {
  const ViewState& v = viewer.view;
  CopySkinBackground(target, viewer.skins, v.CurrentSkin);
  DrawButtons(target, viewer);
  DrawMenuPanel(target, viewer);
  DrawStillRows(target, viewer.font, viewer.page, v, v.TopLine);
}

void ForgetFrame(FrameLayers& layers) { layers.frame = nullptr; }

const render::RowMarks& ChangedRows(FrameLayers& layers) {
  for (std::size_t y = 0; y < layers.changed.rows.size(); ++y) layers.changed.rows[y] |= layers.drawn.rows[y];
  return layers.changed;
}

void FramePresented(FrameLayers& layers) { layers.changed.clear(); }

namespace {

// The frame becomes the still picture again: wholly, or only the rows drawn
// over it since the last copy when the frame is the one composed last.
void RestoreStill(render::ScreenBuffer& frame, FrameLayers& layers, bool whole) {
  if (whole) {
    frame.pixels = layers.still->pixels;
    layers.changed.markAll();
  } else {
    for (int y = 0; y < render::kScreenHeight; ++y) {
      if (layers.drawn.rows[static_cast<std::size_t>(y)] == 0) continue;
      std::copy_n(layers.still->row(y), render::kScreenWidth, frame.row(y));
      layers.changed.rows[static_cast<std::size_t>(y)] = 1;
    }
  }
  layers.drawn.clear();
  layers.frame = &frame;
}

}  // namespace

void ComposeViewerFrame(render::ScreenBuffer& frame, Viewer& viewer, const xm::XmPlayer& xm, double glowPhase) {
  const ViewState& v = viewer.view;
  FrameLayers& layers = viewer.layers;
  const StillKey key = StillKeyOf(viewer);
  bool whole = layers.frame != &frame;
  if (!layers.still || !(layers.key == key)) {
    if (!layers.still) layers.still = std::make_unique<render::ScreenBuffer>();
    DrawStillPicture(*layers.still, viewer);
    layers.key = key;
    whole = true;
  }
  RestoreStill(frame, layers, whole);
  // The menu frame's lines and the page's rainbow lines share one run of
  // colours a frame.
  render::Rainbow rainbow;
  render::FillRainbow(rainbow, glowPhase);
  DrawMenuFrameLines(frame, rainbow);
  MarkMenuFrameLineRows(layers.drawn);
  DrawMovingRows(frame, viewer.font, viewer.page, v, v.TopLine, rainbow);
  MarkMovingRows(layers.drawn, viewer.page, v, v.TopLine);
  if (viewer.buttons.latch[kButtonMute] == 0) {
    DrawSpectrum(frame, viewer.spectrum, viewer.music, xm, v.CurrentSkin);
    render::MarkSpectrumRows(layers.drawn, viewer.spectrum, v.CurrentSkin);
  }
  DrawTicker(frame, viewer.ticker, viewer.font, v.CurrentSkin);
  MarkTickerRows(layers.drawn, v.CurrentSkin);
}

void DrawScrollBarAndPointer(render::ScreenBuffer& frame, Viewer& viewer) {
  if (viewer.view.LineCount > kVisibleRows - 1) {
    DrawScrollThumb(frame, viewer.view);
    MarkScrollThumbRows(viewer.layers.drawn, viewer.view);
  }
  render::DrawPointer(frame, viewer.pointers, viewer.PointerState, viewer.mouse.x, viewer.mouse.y);
  render::MarkPointerRows(viewer.layers.drawn, viewer.mouse.x, viewer.mouse.y);
}

void UpdateScrollBar(Viewer& viewer) {
  ViewState& v = viewer.view;
  if (v.LineCount > kVisibleRows - 1) {
    HandleScrollBar(v, viewer.mouse, viewer.PointerState);
  } else {
    v.ScrollOffset = kShortPageOffset;
  }
}

}  // namespace korveld::viewer
