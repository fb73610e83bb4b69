// One viewer frame, split into its state step and its drawing, in painter's
// order. The viewer loop and every wipe step first update the hover state
// and then draw through ComposeViewerFrame; the loop then adds the scroll
// bar and the pointer, a wipe step its black columns.
//
// Most of a frame does not change from one frame to the next: the skin with
// its buttons, the header and menu boxes, the page's text and its fixed glow
// lines. They are drawn once into a still picture that is redrawn only when
// something on it changes (hover, glow, latch, skin, menu, marks, page,
// scroll position); a frame copies it and draws what moves on top: the
// rainbow lines (with the strokes of their rows), the spectrum bars, the
// ticker, the thumb and the pointer. The pixels are those of drawing it all.
//
// Each moving layer marks the rows it draws over the still picture, so the
// next frame copies back only those rows, and the presenter uploads only the
// rows that differ from the frame shown before.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "render/screen.hpp"
#include "viewer/menus.hpp"

namespace korveld::xm {
struct XmPlayer;
}

namespace korveld::viewer {

struct Viewer;

// Everything the still picture is drawn from.
struct StillKey {
  int skin = 0;
  int skinBuilds = 0;
  int pageLoads = 0;
  int top = 0;
  int offset = 0;
  int lineCount = 0;
  int menu = 0;
  std::array<int, 2> hoveredRow{};  // per menu column, 0 for none
  std::array<int, 11> latch{};
  std::array<int, 11> glow{};
  std::array<int, kMenuEntries + 1> selected{};
  std::array<int, kMenuEntries + 1> enabled{};
  bool operator==(const StillKey&) const = default;
};

struct FrameLayers {
  std::unique_ptr<render::ScreenBuffer> still;  // none before the first frame
  StillKey key;
  // The frame composed last; null when its pixels are unknown (none composed
  // yet, or something else drew into it since): the next frame then copies
  // the whole still picture.
  const render::ScreenBuffer* frame = nullptr;
  // The rows drawn over the still picture in that frame since its copy.
  render::RowMarks drawn;
  // Rows restored from the still picture since the last present (every row
  // after a whole copy); ChangedRows adds the rows drawn.
  render::RowMarks changed;
};

// Something other than the viewer drew into the frame: the next viewer frame
// copies the whole still picture.
void ForgetFrame(FrameLayers& layers);
// The rows that differ from the frame presented before (restored or drawn
// since); FramePresented starts them anew.
const render::RowMarks& ChangedRows(FrameLayers& layers);
void FramePresented(FrameLayers& layers);

// The frame's state step, before it is drawn: the buttons' glow, and the
// pointer's look over the buttons and menu rows and, in the viewer loop
// (scrollBar), over the scroll bar of a page of more than 32 lines.
void UpdateHover(Viewer& viewer, bool scrollBar);
// Skin background, buttons, header and menu, line glows and text of the 33
// visible rows, the spectrum bars unless the music is paused, the ticker.
// The hover state is only read; the spectrum is fed and the ticker moves.
void ComposeViewerFrame(render::ScreenBuffer& frame, Viewer& viewer, const xm::XmPlayer& xm, double glowPhase);
// The scroll-bar thumb on pages of more than 33 lines, then the pointer.
void DrawScrollBarAndPointer(render::ScreenBuffer& frame, Viewer& viewer);
// After the frame is shown: the scroll bar's drag and glow, on the mouse the
// frame was drawn with, on pages of more than 32 lines (the thumb shows them
// from the next frame on); a shorter page keeps its offset at
// kShortPageOffset.
void UpdateScrollBar(Viewer& viewer);

// What the still picture holds, drawn afresh into target.
void DrawStillPicture(render::ScreenBuffer& target, const Viewer& viewer);
StillKey StillKeyOf(const Viewer& viewer);

}  // namespace korveld::viewer
