// The scrolling handlers as the viewer loop calls them, reading the keys and
// the mouse from the platform and the viewer's state.
#include <gtest/gtest.h>

#include "viewer/frame.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

using korveld::testing::MakeViewerProgram;
using korveld::testing::ScriptedPlatform;

class ScrollKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    p = MakeViewerProgram(platform);
    LoadPage(p->viewer, 4);
  }
  ScriptedPlatform platform;
  std::unique_ptr<app::Program> p;
};

TEST_F(ScrollKeys, PageKeysActOncePerPress) {
  ASSERT_EQ(p->viewer.view.LineCount, 1482);
  platform.pressKey(platform::kVkPageDown);
  PageKeys(p->viewer.view, platform);
  EXPECT_EQ(p->viewer.view.TopLine, 33);
  // Still down, but not pressed again: nothing more.
  PageKeys(p->viewer.view, platform);
  EXPECT_EQ(p->viewer.view.TopLine, 33);
  platform.releaseKey(platform::kVkPageDown);
  // PollInput ends with the page keys.
  platform.pressKey(platform::kVkEnd);
  PollInput(p->viewer.mouse, p->viewer.view, platform);
  EXPECT_EQ(p->viewer.view.TopLine, 1449);
  platform.pressKey(platform::kVkPageUp);
  platform.pressKey(platform::kVkHome);
  PageKeys(p->viewer.view, platform);
  EXPECT_EQ(p->viewer.view.TopLine, 0);
}

TEST_F(ScrollKeys, ArrowKeysScrollWhileHeld) {
  platform.pressKey(platform::kVkDown);
  for (int frame = 0; frame < 4; ++frame) ScrollByKeys(p->viewer.view, platform);
  EXPECT_EQ(p->viewer.view.TopLine, 3);
  EXPECT_EQ(p->viewer.view.ScrollOffset, 12);
  platform.releaseKey(platform::kVkDown);
  ScrollByKeys(p->viewer.view, platform);
  EXPECT_EQ(p->viewer.view.TopLine, 3);
  platform.pressKey(platform::kVkUp);
  ScrollByKeys(p->viewer.view, platform);
  EXPECT_EQ(p->viewer.view.TopLine, 2);
  EXPECT_EQ(p->viewer.view.ScrollOffset, 6);
}

TEST_F(ScrollKeys, ScrollBarSetsTheViewersPointer) {
  korveld::testing::SetPointer(*p, 780, 300, 0);
  p->viewer.PointerState = 1;
  DrawScrollBarAndPointer(p->frame, p->viewer);
  EXPECT_EQ(p->viewer.PointerState, 2);
  EXPECT_EQ(p->viewer.view.ScrollGlow, 5);
  korveld::testing::SetPointer(*p, 780, 201, 1);
  DrawScrollBarAndPointer(p->frame, p->viewer);
  EXPECT_EQ(p->viewer.PointerState, 1);
  EXPECT_EQ(p->viewer.view.TopLine, 4);
}

}  // namespace
}  // namespace korveld::viewer
