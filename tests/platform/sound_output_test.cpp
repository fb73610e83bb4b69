// The sound stream every backend shares, pulled by hand: the ramps where a
// sound starts or stops, the sum of both devices, the heard position behind
// the sink's buffers, and a sink that dies and comes back.
#include "platform/sound_output.hpp"
#include "tests/support/hand_sink.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

namespace korveld::platform {
namespace {

struct Stream : ::testing::Test {
  korveld::testing::HandSink sink;
  korveld::testing::NoCompletions completions;
  SoundOutput output{sink, completions};
  const PcmFormat stereo{2, 44100, 16};
  std::vector<std::int16_t> Pull(int frames) {
    std::vector<std::int16_t> out(2 * static_cast<std::size_t>(frames));
    output.Pull(out.data(), frames);
    return out;
  }
  // A loop of one frame, played over and over.
  void StartLoop(std::int16_t left, std::int16_t right) {
    const std::int16_t frame[2] = {left, right};
    ASSERT_TRUE(output.looping().start(reinterpret_cast<const std::uint8_t*>(frame), 4));
  }
};

int LargestStep(const std::vector<std::int16_t>& pcm) {
  int most = 0;
  for (std::size_t i = 2; i < pcm.size(); ++i) most = std::max(most, std::abs(pcm[i] - pcm[i - 2]));
  return most;
}

TEST_F(Stream, StartsFadeInAndStopsFadeOutOverTheRamp) {
  ASSERT_TRUE(output.looping().open(stereo));
  StartLoop(10000, -20000);
  auto start = Pull(300);
  // Frame k of the start plays at k/256 of its level; from frame 256 on, as rendered.
  for (auto [k, left, right] : {std::tuple{0, 0, 0}, {1, 39, -78}, {128, 5000, -10000}, {255, 9960, -19921},
                                {256, 10000, -20000}, {299, 10000, -20000}}) {
    EXPECT_EQ(start[2 * k], left) << k;
    EXPECT_EQ(start[2 * k + 1], right) << k;
  }
  output.looping().reset();
  auto stop = Pull(300);
  for (auto [n, left] : {std::pair{0, 10000}, {128, 5000}, {255, 39}, {256, 0}, {299, 0}})
    EXPECT_EQ(stop[2 * n], left) << n;
  start.insert(start.end(), stop.begin(), stop.end());
  EXPECT_LE(LargestStep(start), 20000 / kRampFrames + 1);  // a cut would be 20000

  // Stopped while still fading in: the fade-out starts from the level reached.
  StartLoop(10000, 0);
  auto brief = Pull(100);
  output.looping().reset();
  const auto rest = Pull(300);
  brief.insert(brief.end(), rest.begin(), rest.end());
  EXPECT_LE(LargestStep(brief), 10000 / kRampFrames + 1);
  EXPECT_EQ(brief[2 * 100], 10000 * 100 / 256);
}

TEST_F(Stream, BothDevicesSumAndSaturate) {
  ASSERT_TRUE(output.looping().open(stereo));
  StartLoop(30000, -30000);
  std::vector<std::int16_t> mono(600, 20000);
  WaveHeader h{reinterpret_cast<const std::uint8_t*>(mono.data()), 1200, 0, nullptr};
  BufferQueueDevice& queue = output.queue();
  ASSERT_EQ(queue.open(PcmFormat{1, 44100, 16}, [](void*, WaveHeader*) {}, nullptr), kWaveOk);
  ASSERT_EQ(queue.prepare(&h), kWaveOk);
  ASSERT_EQ(queue.write(&h), kWaveOk);
  const auto out = Pull(700);
  EXPECT_EQ(out[2 * 300], 32767);   // 30000 + 20000, saturated
  EXPECT_EQ(out[2 * 300 + 1], -10000);
  EXPECT_EQ(out[2 * 650], 30000);   // the buffer has played out
  EXPECT_EQ(output.CountedUnderruns().queue, 1);  // the queue ran dry; a loop nobody rewrites is never stale
  output.looping().write(0, reinterpret_cast<const std::uint8_t*>(mono.data()), 4);  // its next lap begun
  Pull(2);
  Pull(2);
  EXPECT_EQ(output.CountedUnderruns().loop, 1);  // then played past what was rewritten: once for the spell
}

TEST_F(Stream, TheHeardPositionTrailsThePulledByTheSinksLatency) {
  sink.latency = 1500;
  ASSERT_TRUE(output.looping().open(stereo));
  Pull(700);  // before the start: not counted
  StartLoop(1, 1);
  Pull(1000);
  EXPECT_EQ(output.looping().positionBytes(), 0u);
  Pull(1000);
  EXPECT_EQ(output.looping().positionBytes(), 500u * 4);
  output.looping().reset();
  EXPECT_EQ(output.looping().positionBytes(), 0u);
}

TEST_F(Stream, ADeadSinkIsOpenedAgainAtTheNextTuneStart) {
  BufferQueueDevice& queue = output.queue();
  ASSERT_EQ(queue.open(PcmFormat{1, 44100, 16}, [](void*, WaveHeader*) {}, nullptr), kWaveOk);
  ASSERT_TRUE(output.looping().open(stereo));
  EXPECT_EQ(sink.starts, 1);  // one stream for both devices
  sink.lost = true;
  ASSERT_EQ(queue.restart(), kWaveOk);  // an intro tune starts on the open device
  EXPECT_EQ(sink.starts, 2);
  output.looping().close();
  sink.lost = true;
  sink.failStart = true;
  EXPECT_FALSE(output.looping().open(stereo));  // a module starts: no device now
  EXPECT_EQ(sink.starts, 3);
  sink.failStart = false;
  EXPECT_TRUE(output.looping().open(stereo));  // and at the next one, sound again
  EXPECT_EQ(sink.starts, 4);
}

}  // namespace
}  // namespace korveld::platform
