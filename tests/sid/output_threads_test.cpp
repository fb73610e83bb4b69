// Start and stop racing against refills on the device's own thread; run
// under ThreadSanitizer by `make tsan`.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "sid/sid_player.hpp"
#include "tests/sid/fake_device_helpers.hpp"

namespace korveld::sid {
namespace {

using testing::TestPlatform;
using testing::ThreadedFakeDevice;

// Waits (bounded) until the device has completed `more` further buffers.
bool WaitForCompletions(const ThreadedFakeDevice& device, long more) {
  const long target = device.completions() + more;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (device.completions() < target) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

TEST(SidOutputThreads, StartStopStressLeavesNothingRunning) {
  ThreadedFakeDevice device;
  TestPlatform platform(device);
  auto player = std::make_unique<SidPlayer>();
  SidPlayerInit(*player, platform);
  for (int i = 0; i < 60; ++i) {
    PlaySidTune(*player, 1 + i % 12);
    // Let a few refills run on the device thread, or stop at once.
    if (i % 3 != 0) {
      ASSERT_TRUE(WaitForCompletions(device, i % 3 + 1)) << "no refills at round " << i;
    }
    if (i % 4 == 0) SidStop(*player);
  }
  SidStop(*player);
  EXPECT_FALSE(device.isOpen());
  EXPECT_EQ(device.queued(), 0u);
  const long after = device.completions();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(device.completions(), after);
  EXPECT_EQ(device.callbacksWhileClosed(), 0);
  EXPECT_TRUE(platform.boxes.empty());
}

}  // namespace
}  // namespace korveld::sid
