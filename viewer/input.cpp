#include "viewer/input.hpp"

#include "platform/platform.hpp"
#include "viewer/scroll.hpp"

namespace korveld::viewer {

void PollInput(MouseState& mouse, ViewState& view, platform::Platform& platform) {
  if (platform.leftButton() == 0 && mouse.ClickLatch == 1) mouse.ClickLatch = 0;
  int x = platform.mouseX();
  int y = platform.mouseY();
  mouse.left = platform.leftButton();
  if (x < kPointerMinX) x = kPointerMinX;
  if (x > kPointerMaxX) x = kPointerMaxX;
  if (y > kPointerMaxY) y = kPointerMaxY;
  if (y < kPointerMinY) y = kPointerMinY;
  mouse.x = x;
  mouse.y = y;
  PageKeys(view, platform);
}

}  // namespace korveld::viewer
