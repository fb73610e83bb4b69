#include "viewer/input.hpp"

#include <cstdint>

#include "platform/platform.hpp"
#include "viewer/scroll.hpp"

namespace korveld::viewer {

void PollInput(MouseState& mouse, ViewState& view, platform::Platform& platform) {
  // A press since the last poll counts even when the button is up again,
  // and frees the latch as a release would have.
  const std::uint16_t button = platform.buttonState();
  if ((!(button & platform::kKeyDown) || platform::PressTest(button)) && mouse.ClickLatch == 1) mouse.ClickLatch = 0;
  int x = platform.mouseX();
  int y = platform.mouseY();
  mouse.left = platform::HeldTest(button) ? 1 : 0;
  if (x < kPointerMinX) x = kPointerMinX;
  if (x > kPointerMaxX) x = kPointerMaxX;
  if (y > kPointerMaxY) y = kPointerMaxY;
  if (y < kPointerMinY) y = kPointerMinY;
  mouse.x = x;
  mouse.y = y;
  PageKeys(view, platform);
}

}  // namespace korveld::viewer
