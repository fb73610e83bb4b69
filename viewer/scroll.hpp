// Which page lines are visible and where: keys, wheel, page keys, scroll bar,
// and the two per-frame passes that draw the visible rows.
#pragma once

#include "render/font.hpp"
#include "render/primitives.hpp"
#include "render/screen.hpp"

namespace korveld::platform {
class Platform;
}

namespace korveld::viewer {

struct PageView;
struct MouseState;

struct ViewState {
  int TopLine = 0;
  int LineCount = 1;
  int ScrollOffset = 0;
  int ScrollGlow = 0;
  int ScrollDragging = 0;
  int CurrentMenu = 2;  // 1 charts, 2 articles
  int CurrentSkin = 1;  // 1 or 2
};

// Text area geometry: 33 rows of 81 cells, row r's top at
// ScrollOffset + 175 + 12 r, column c's left edge at 23 + 9 c.
inline constexpr int kVisibleRows = 33;
inline constexpr int kRowTop = 175;
inline constexpr int kRowHeight = 12;
inline constexpr int kColumnLeft = 23;
inline constexpr int kTextTop = 193;
inline constexpr int kShortPageOffset = 5;  // the offset of pages of 32 lines or fewer
constexpr int TextBottom(int skin) { return skin == 2 ? 570 : 569; }

// Smooth half-line scrolling while Down (first) or Up is held.
void ScrollByKeys(ViewState& v, bool downHeld, bool upHeld);
// The same, reading Down and Up from the keyboard.
void ScrollByKeys(ViewState& v, platform::Platform& platform);
// Four lines a wheel notch.
void ScrollByWheel(ViewState& v, double wheelNow, double wheelBefore);
// Page Up, Page Down, End, Home, in that order.
void PageKeys(ViewState& v, bool pageUp, bool pageDown, bool end, bool home);
// The same, reading each of the four keys once.
void PageKeys(ViewState& v, platform::Platform& platform);

// The glow line behind each of the 33 rows whose centre lies inside the text
// area. Rows at and past the page's end show none: the view's end line may
// still hold the glow of an earlier page.
void DrawLineGlows(render::ScreenBuffer& frame, const PageView& view, const ViewState& v, int top,
                   const render::Rainbow& rainbow);
// The text of the visible rows of the page: opaque cells for plain rows
// 1..30, clipped cells for glowing rows and the partly visible rows.
void DrawPageText(render::ScreenBuffer& frame, const render::FontTables& font, const PageView& view,
                  const ViewState& v, int top);

// The two passes split by what moves, for a picture drawn once and reused:
// the still part (fixed glow styles, then the text of every row) and, over
// it each frame, every rainbow line with its row's strokes put back on it.
// Together they give the pixels of DrawLineGlows and DrawPageText.
void DrawStillRows(render::ScreenBuffer& frame, const render::FontTables& font, const PageView& view,
                   const ViewState& v, int top);
void DrawMovingRows(render::ScreenBuffer& frame, const render::FontTables& font, const PageView& view,
                    const ViewState& v, int top, const render::Rainbow& rainbow);
// The rows DrawMovingRows draws: three about each rainbow line.
void MarkMovingRows(render::RowMarks& marks, const PageView& view, const ViewState& v, int top);

// The scroll-bar thumb, on pages of more than 33 lines, and the rows it covers.
void DrawScrollThumb(render::ScreenBuffer& frame, const ViewState& v);
void MarkScrollThumbRows(render::RowMarks& marks, const ViewState& v);
// Hover, drag and glow of the scroll bar; sets pointerState to 2 over it.
void HandleScrollBar(ViewState& v, const MouseState& mouse, int& pointerState);
// HandleScrollBar's effect on the pointer alone, from the state before it:
// 2 over the bar, 1 while the button is down on it or drags.
void ScrollBarPointer(const ViewState& v, const MouseState& mouse, int& pointerState);

}  // namespace korveld::viewer
