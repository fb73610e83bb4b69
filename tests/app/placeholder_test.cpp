#include <gtest/gtest.h>
#include "platform/platform.hpp"
TEST(RandomGenerator, StaysInUnitInterval) {
  korveld::platform::RandomGenerator g;
  g.seed(1);
  for (int i = 0; i < 1000; ++i) { double v = g.next(); EXPECT_GE(v, 0.0); EXPECT_LT(v, 1.0); }
}
