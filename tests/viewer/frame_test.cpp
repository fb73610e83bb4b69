// The frame's still picture (skin, buttons, header, menu boxes, page text and
// fixed glows) is drawn once and reused: at every frame the viewer shows,
// the picture it copied is the one the state of that frame draws. A session
// changes each thing the picture is drawn from: button hover and glow, menu
// hover, presses, skins, menus and marks, pages (with their wipes), smooth
// scrolling, the wheel, the scroll bar's drag, the mute latch.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.hpp"
#include "viewer/frame.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

TEST(StillPicture, IsTheOneTheShownStateDrawsAtEveryFrame) {
  testing::ScriptedPlatform platform;
  auto program = testing::MakeViewerProgram(platform);
  app::Program& p = *program;
  auto fresh = std::make_unique<render::ScreenBuffer>();
  int checked = 0, redrawn = 0;
  StillKey last;
  platform.onPresent = [&](const std::uint32_t*) {
    ASSERT_TRUE(p.viewer.layers.still);
    DrawStillPicture(*fresh, p.viewer);
    ASSERT_EQ(fresh->pixels, p.viewer.layers.still->pixels) << "frame " << platform.presents();
    redrawn += !(p.viewer.layers.key == last);
    last = p.viewer.layers.key;
    ++checked;
  };
  auto frames = [&](int n, int x, int y, int left) {
    platform.setMouse(x, y, left);
    for (int i = 0; i < n; ++i) app::ViewerFrame(p);
  };
  auto key = [&](int vk, int n) {
    platform.pressKey(vk);
    app::ViewerFrame(p);
    platform.releaseKey(vk);
    frames(n, p.viewer.mouse.x, p.viewer.mouse.y, 0);
  };
  frames(3, 400, 300, 0);
  frames(20, 50, 50, 0);    // QUIT lights up
  frames(12, 200, 65, 0);   // its glow falls while a menu row is hovered
  frames(3, 200, 65, 1);    // a press: no hover while it is held
  frames(3, 200, 65, 0);
  frames(2, 79, 74, 1);     // CHARTS
  frames(2, 79, 74, 0);
  key(platform::kVkF1 + 1, 4);  // Carbon
  frames(2, 200, 102, 1);   // the charts menu's fourth entry: page 4, behind the wipes
  frames(2, 200, 102, 0);
  platform.pressKey(platform::kVkDown);  // held: half a line a frame
  frames(9, 400, 300, 0);
  platform.releaseKey(platform::kVkDown);
  key(platform::kVkPageDown, 2);
  frames(6, 782, 380, 1);   // the thumb dragged
  frames(3, 400, 300, 0);
  key(platform::kVkF1, 2);  // Grunge
  frames(2, 700, 50, 1);    // MUTE
  frames(3, 700, 50, 0);
  EXPECT_GT(checked, 150 + 60);
  EXPECT_GT(redrawn, 40);   // the glow's frames, the scrolling, the drag, the wipes
  EXPECT_LT(redrawn, checked / 2);
}

}  // namespace
}  // namespace korveld::viewer
