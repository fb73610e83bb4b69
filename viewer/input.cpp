#include "viewer/input.hpp"

#include "viewer/program.hpp"

namespace korveld::viewer {

void PollInput(Program& p) {
  MouseState& m = p.mouse;
  if (p.platform.leftButton() == 0 && m.ClickLatch == 1) m.ClickLatch = 0;
  int x = p.platform.mouseX();
  int y = p.platform.mouseY();
  m.left = p.platform.leftButton();
  if (x < 1) x = 1;
  if (x > 789) x = 789;
  if (y > 589) y = 589;
  if (y < 1) y = 1;
  m.x = x;
  m.y = y;
  PageKeys(p);
}

}  // namespace korveld::viewer
