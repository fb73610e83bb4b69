// The scrolling handlers as the viewer loop calls them, reading the keys,
// the wheel and the mouse from the platform and the program state.
#include <gtest/gtest.h>

#include "viewer/program.hpp"
#include "viewer_test_helpers.hpp"

namespace korveld::viewer {
namespace {

using korveld::testing::MakeViewerProgram;
using korveld::testing::ScriptedPlatform;

class ScrollKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    p = MakeViewerProgram(platform);
    LoadPage(*p, 4);
  }
  ScriptedPlatform platform;
  std::unique_ptr<Program> p;
};

TEST_F(ScrollKeys, PageKeysActOncePerPress) {
  ASSERT_EQ(p->view.LineCount, 1482);
  platform.pressKey(platform::kVkPageDown);
  PageKeys(*p);
  EXPECT_EQ(p->view.TopLine, 33);
  // Still down, but not pressed again: nothing more.
  PageKeys(*p);
  EXPECT_EQ(p->view.TopLine, 33);
  platform.releaseKey(platform::kVkPageDown);
  // PollInput ends with the page keys.
  platform.pressKey(platform::kVkEnd);
  PollInput(*p);
  EXPECT_EQ(p->view.TopLine, 1449);
  platform.pressKey(platform::kVkPageUp);
  platform.pressKey(platform::kVkHome);
  PageKeys(*p);
  EXPECT_EQ(p->view.TopLine, 0);
}

TEST_F(ScrollKeys, ArrowKeysScrollWhileHeld) {
  platform.pressKey(platform::kVkDown);
  for (int frame = 0; frame < 4; ++frame) ScrollByKeys(*p);
  EXPECT_EQ(p->view.TopLine, 3);
  EXPECT_EQ(p->view.ScrollOffset, 12);
  platform.releaseKey(platform::kVkDown);
  ScrollByKeys(*p);
  EXPECT_EQ(p->view.TopLine, 3);
  platform.pressKey(platform::kVkUp);
  ScrollByKeys(*p);
  EXPECT_EQ(p->view.TopLine, 2);
  EXPECT_EQ(p->view.ScrollOffset, 6);
}

TEST_F(ScrollKeys, WheelUsesTheSpineCounters) {
  p->spine.WheelBefore = 5.0;
  p->spine.WheelNow = 2.0;
  ScrollByWheel(*p);
  EXPECT_EQ(p->view.TopLine, 12);
  p->spine.WheelBefore = 2.0;
  p->spine.WheelNow = 3.0;
  ScrollByWheel(*p);
  EXPECT_EQ(p->view.TopLine, 8);
}

TEST_F(ScrollKeys, ScrollBarSetsTheProgramPointer) {
  korveld::testing::SetPointer(*p, 780, 300, 0);
  p->PointerState = 1;
  HandleScrollBar(*p);
  EXPECT_EQ(p->PointerState, 2);
  EXPECT_EQ(p->view.ScrollGlow, 5);
  korveld::testing::SetPointer(*p, 780, 201, 1);
  HandleScrollBar(*p);
  EXPECT_EQ(p->PointerState, 1);
  EXPECT_EQ(p->view.TopLine, 4);
}

}  // namespace
}  // namespace korveld::viewer
