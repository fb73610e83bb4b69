// The per-frame mouse poll with its clamps and the click latch.
#pragma once

namespace korveld::platform {
class Platform;
}

namespace korveld::viewer {

struct ViewState;

struct MouseState {
  int x = 0;           // 1..789 after the first poll
  int y = 0;           // 1..589 after the first poll
  int left = 0;        // 1 while the left button is down, or pressed since the last poll
  int ClickLatch = 0;  // 1 once a press has been acted on, until the button is seen up or pressed anew
};

// The pointer stays where the whole 11 x 11 pointer picture fits the frame.
inline constexpr int kPointerMinX = 1, kPointerMaxX = 789;
inline constexpr int kPointerMinY = 1, kPointerMaxY = 589;

// Once per viewer frame, after presenting: releases the latch when the
// button is up or was pressed again, takes the pointer and button, clamps
// them, then handles the page keys.
void PollInput(MouseState& mouse, ViewState& view, platform::Platform& platform);

}  // namespace korveld::viewer
