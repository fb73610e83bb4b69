#include "platform/input_map.hpp"

#include <gtest/gtest.h>

namespace korveld::platform {
namespace {

TEST(WheelNotches, PartNotchesAddNothingAndWholeOnesAllCount) {
  EXPECT_EQ(WheelNotches(0, false), 0);   // a touchpad's part of a notch, either way
  EXPECT_EQ(WheelNotches(0, true), 0);
  EXPECT_EQ(WheelNotches(1, false), 1);
  EXPECT_EQ(WheelNotches(-1, false), -1);
  EXPECT_EQ(WheelNotches(3, false), 3);   // a fast turn in one event
  EXPECT_EQ(WheelNotches(-2, false), -2);
  EXPECT_EQ(WheelNotches(2, true), -2);   // natural scrolling reports the other sign
}

}  // namespace
}  // namespace korveld::platform
