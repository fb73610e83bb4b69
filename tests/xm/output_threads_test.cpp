// The output thread against the caller: play, query, stop and free while a
// real thread renders (run under ThreadSanitizer by `make tsan`).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/xm/xm_test_helpers.hpp"

namespace korveld::xm {
namespace {

// Real threads with real short sleeps (a tenth of the time asked for).
class RealThreads : public platform::ThreadService {
 public:
  std::vector<std::thread> threads;
  Handle start(std::function<void()> body) override {
    threads.emplace_back(std::move(body));
    return static_cast<Handle>(threads.size());
  }
  void join(Handle h) override { threads[static_cast<std::size_t>(h - 1)].join(); }
  void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::microseconds(ms * 100)); }
};

std::vector<std::uint8_t> Module(int variant) {
  xmgen::Module m = testing::SmallModule(4);
  m.orders = {0, 0};
  for (int r = 0; r < 64; ++r) m.cell(0, r, r % 4) = {static_cast<std::uint8_t>(30 + (r * 7 + variant) % 40), 1, 0, 0x4, 0x35};
  m.bpm = 125 + 40 * variant;
  return xmgen::WriteXm(m);
}

struct ThreadsTest : ::testing::Test {
  testing::FakePlatform platform;
  RealThreads threads;
  XmPlayer player;
  void SetUp() override {
    // About 8 ms of device time per 0.5 ms poll: the thread keeps rendering.
    platform.device.autoAdvance = 1408;
    platform.threadService = &threads;
    XmPlayerInit(player, platform);
  }
  bool Load(const std::vector<std::uint8_t>& image) {
    return LoadSongFromMemory(player, image.data(), static_cast<std::int32_t>(image.size()));
  }
};

// Two hundred tune switches, then fifty stops and plays of one tune, while
// the thread renders and the caller queries the audible position.
TEST_F(ThreadsTest, SwitchingAndPausingWhileTheThreadRenders) {
  const std::vector<std::uint8_t> images[2] = {Module(0), Module(1)};
  std::uint32_t seen = 0;
  for (int i = 0; i < 200; ++i) {
    StopSong(player);
    FreeSong(player);
    ASSERT_TRUE(Load(images[i % 2]));
    ASSERT_TRUE(PlaySong(player));
    ASSERT_EQ(GetNumChannels(player), 4);
    for (int q = 0; q < 20; ++q) {
      for (int c = 0; c < 4; ++c) seen |= GetAudibleNote(player, c);
      seen |= GetAudibleOrder(player, player.CurrentSong.get());
      seen |= GetAudibleRow(player, player.CurrentSong.get());
      if (i % 50 == 0) threads.sleepMs(1);
    }
  }
  EXPECT_NE(seen, 0u);
  EXPECT_GT(platform.device.writes.load(), 0);
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(PlaySong(player));
    for (int rounds = 0; player.audibleBlock.load() < 3 && rounds < 2000; ++rounds) threads.sleepMs(1);
    EXPECT_GE(player.audibleBlock.load(), 3);  // the audible block moves on
    EXPECT_TRUE(StopSong(player));
    EXPECT_EQ(player.threadFinished.load(), 1);
    EXPECT_EQ(player.mixing.load(), 0);
  }
  EXPECT_TRUE(FreeSong(player));
  EXPECT_FALSE(FreeSong(player));
  EXPECT_EQ(platform.device.opens.load(), 250);
  EXPECT_EQ(platform.device.closes.load(), 250);
}

}  // namespace
}  // namespace korveld::xm
