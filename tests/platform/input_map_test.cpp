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

namespace korveld::platform {
namespace {

constexpr int kEsc = 27;

TEST(KeyStates, ATapWithinOneBatchIsSeenDownAndPressedUntilTheNextBatch) {
  KeyStates keys;
  keys.BeginBatch();
  keys.KeyDown(kEsc, false);
  keys.KeyUp(kEsc);
  EXPECT_TRUE(PressTest(keys.Query(kEsc)));
  EXPECT_EQ(keys.Query(kEsc), kKeyDown);  // the press is reported once
  keys.BeginBatch();
  EXPECT_EQ(keys.Query(kEsc), 0);
}

TEST(KeyStates, HeldKeysAndKeysReleasedInALaterBatchGoUpAtOnce) {
  KeyStates keys;
  keys.BeginBatch();
  keys.KeyDown(kEsc, false);
  EXPECT_EQ(keys.Query(kEsc), 0x8001);
  keys.BeginBatch();
  keys.KeyDown(kEsc, true);  // auto-repeat is no new press
  EXPECT_EQ(keys.Query(kEsc), kKeyDown);
  keys.BeginBatch();
  keys.KeyUp(kEsc);
  EXPECT_EQ(keys.Query(kEsc), 0);
  // Down, up and down again in one batch: down, one press.
  keys.BeginBatch();
  keys.KeyDown(kEsc, false);
  keys.KeyUp(kEsc);
  keys.KeyDown(kEsc, false);
  keys.BeginBatch();
  EXPECT_EQ(keys.Query(kEsc), 0x8001);
  EXPECT_EQ(keys.Query(kEsc), kKeyDown);
}

TEST(KeyStates, AnUnqueriedPressFromAnEarlierBatchIsNotKeptDown) {
  // Nobody asked while the key was down (the intro's flashes, a wipe): once
  // it is up, the press test stays false, as with a key state read live.
  KeyStates keys;
  keys.BeginBatch();
  keys.KeyDown(kEsc, false);
  keys.BeginBatch();
  keys.KeyUp(kEsc);
  EXPECT_EQ(keys.Query(kEsc), kKeyPressed);
  EXPECT_FALSE(PressTest(kKeyPressed));
  EXPECT_EQ(keys.Query(-1), 0);
  EXPECT_EQ(keys.Query(256), 0);
}

}  // namespace
}  // namespace korveld::platform
