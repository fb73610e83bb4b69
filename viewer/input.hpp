// The per-frame mouse poll with its clamps and the click latch.
#pragma once

namespace korveld::viewer {

struct Program;

struct MouseState {
  int x = 0;           // 1..789 after the first poll
  int y = 0;           // 1..589 after the first poll
  int left = 0;        // 1 while the left button is down
  int ClickLatch = 0;  // 1 once a press has been acted on, until the button is seen up
};

// Once per viewer frame, after presenting: releases the latch when the
// button is up, takes the pointer and button, clamps them, then handles the
// page keys.
void PollInput(Program& p);

}  // namespace korveld::viewer
