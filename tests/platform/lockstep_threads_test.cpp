// The lockstep clock and the headless sound devices: threads interleave by
// virtual time only, so runs repeat exactly.
#include "platform/lockstep.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/headless.hpp"
#include "platform/sound_output.hpp"

namespace korveld::platform {
namespace {

using Ticks = Lockstep::Ticks;

std::vector<std::string> RunTwoSleepers() {
  auto clock = Lockstep::Create();
  clock->AttachMain();
  std::vector<std::string> log;
  auto note = [&](const std::string& who) { log.push_back(who + "@" + std::to_string(clock->Now())); };
  auto sleeper = [&](const char* name, Ticks period, int count) {
    return [&, name, period, count] {
      for (int i = 0; i < count; ++i, clock->SleepFor(period)) note(name);
    };
  };
  const int a = clock->Spawn(sleeper("a", 5 * 441, 4));
  note("main");
  const int b = clock->Spawn(sleeper("b", 7 * 441, 3));
  clock->SleepFor(12 * 441);
  note("main");
  clock->Join(a);
  clock->Join(b);
  note("end");
  EXPECT_EQ(clock->LiveThreads(), 0);
  return log;
}

TEST(Lockstep, ThreadsRunInVirtualTimeOrderTheSameEveryRun) {
  // a wakes every 2205 ticks, b every 3087; a spawned thread runs before its
  // spawner goes on; main sleeps to 5292 and then waits for both to end (a at
  // 4 x 2205, b at 3 x 3087).
  const std::vector<std::string> want = {"a@0",    "main@0", "b@0",    "a@2205", "b@3087",
                                         "a@4410", "main@5292", "b@6174", "a@6615", "end@9261"};
  for (int run = 0; run < 20; ++run) ASSERT_EQ(RunTwoSleepers(), want) << "run " << run;
}

WaveHeader Header(const std::vector<std::int16_t>& samples) {
  return {reinterpret_cast<const std::uint8_t*>(samples.data()), static_cast<std::uint32_t>(samples.size() * 2), 0,
          nullptr};
}

TEST(HeadlessDevices, QueueCompletesEachBufferWhenItHasPlayed) {
  HeadlessPlatform platform({.captureAudio = true}, {});
  BufferQueueDevice& dev = platform.queueDevice();
  struct Log {
    std::vector<std::pair<WaveHeader*, double>> done;
    HeadlessPlatform* platform;
  } log{{}, &platform};
  auto callback = [](void* instance, WaveHeader* h) {
    auto* l = static_cast<Log*>(instance);
    l->done.emplace_back(h, l->platform->timer());
  };
  ASSERT_EQ(dev.open(PcmFormat{1, 44100, 16}, callback, &log), kWaveOk);
  const std::vector<std::int16_t> a(882, 1000), b(882, -1000);
  WaveHeader ha = Header(a), hb = Header(b);
  EXPECT_EQ(dev.write(&ha), kWaveUnprepared);
  for (int result : {dev.prepare(&ha), dev.prepare(&hb), dev.pause(), dev.write(&ha), dev.write(&hb)})
    ASSERT_EQ(result, kWaveOk);
  platform.sleepMs(100);  // paused: nothing plays
  EXPECT_TRUE(log.done.empty());
  EXPECT_EQ(dev.unprepare(&ha), kWaveStillPlaying);
  ASSERT_EQ(dev.restart(), kWaveOk);
  platform.sleepMs(30);
  ASSERT_EQ(log.done.size(), 1u);
  EXPECT_EQ(log.done[0].first, &ha);
  EXPECT_DOUBLE_EQ(log.done[0].second, 0.12);  // restarted at 0.1, 20 ms of sound
  EXPECT_TRUE(ha.flags & kHeaderDone);
  platform.sleepMs(30);
  ASSERT_EQ(log.done.size(), 2u);
  EXPECT_DOUBLE_EQ(log.done[1].second, 0.14);
  EXPECT_EQ(dev.close(), kWaveOk);
  EXPECT_EQ(dev.prepare(&ha), kWaveInvalidHandle);

  const auto audio = platform.capturedAudio();
  ASSERT_EQ(audio.size(), static_cast<std::size_t>(0.16 * 44100) * 2);
  // Silent while paused until 0.1 s, then buffer A on both channels fading
  // in, then B.
  for (auto [index, value] : {std::pair{2 * 4409, 0}, {2 * (4410 + 128), 500}, {2 * (4410 + 300) + 1, 1000},
                              {2 * (4410 + 882), -1000}, {2 * (4410 + 1764), 0}})
    EXPECT_EQ(audio[static_cast<std::size_t>(index)], value) << index;
}

// The fade of a reset plays what was queued next, across buffers; the
// buffers are back before reset returns.
TEST(HeadlessDevices, ResetFadesOutTheQueuedSoundAndHandsBuffersBack) {
  HeadlessPlatform platform({.captureAudio = true}, {});
  BufferQueueDevice& dev = platform.queueDevice();
  int returned = 0;
  ASSERT_EQ(dev.open(PcmFormat{1, 44100, 16}, [](void* n, WaveHeader*) { ++*static_cast<int*>(n); }, &returned),
            kWaveOk);
  const std::vector<std::int16_t> a(400, 1000), b(400, -1000);
  WaveHeader ha = Header(a), hb = Header(b);
  for (WaveHeader* h : {&ha, &hb}) dev.prepare(h), dev.write(h);
  EXPECT_EQ(dev.close(), kWaveStillPlaying);
  platform.sleepMs(9);  // 396 frames of A played
  ASSERT_EQ(dev.reset(), kWaveOk);
  EXPECT_EQ(returned, 2);
  EXPECT_TRUE((ha.flags & kHeaderDone) && (hb.flags & kHeaderDone));
  EXPECT_EQ(dev.close(), kWaveOk);
  platform.sleepMs(10);
  const auto audio = platform.capturedAudio();
  for (auto [frame, value] : {std::pair{395, 1000}, {396, 1000}, {399, 988}, {400, -984}, {524, -500}, {651, -3},
                              {652, 0}})
    EXPECT_EQ(audio[2 * static_cast<std::size_t>(frame)], value) << frame;
}

TEST(HeadlessDevices, FailingAudioReportsNoDevice) {
  HeadlessPlatform platform({.audioFails = true}, {});
  EXPECT_EQ(platform.queueDevice().open(PcmFormat{}, [](void*, WaveHeader*) {}, nullptr), kWaveBadDevice);
  EXPECT_FALSE(platform.loopingDevice().open(PcmFormat{2, 44100, 16}));
}

TEST(HeadlessDevices, LoopPositionFollowsTheClockAndIsCaptured) {
  HeadlessPlatform platform({.captureAudio = true}, {});
  LoopingDevice& dev = platform.loopingDevice();
  ASSERT_TRUE(dev.open(PcmFormat{2, 44100, 16}));
  std::vector<std::int16_t> loop(2 * 441, 0);
  for (int i = 0; i < 441; ++i) loop[2 * i] = static_cast<std::int16_t>(i + 1);
  ASSERT_TRUE(dev.start(reinterpret_cast<const std::uint8_t*>(loop.data()), loop.size() * 2));
  platform.sleepMs(10);
  EXPECT_EQ(dev.positionBytes(), 441u * 4);
  const std::int16_t marker = 77;
  dev.write(0, reinterpret_cast<const std::uint8_t*>(&marker), 2);  // rewrite behind the cursor
  platform.sleepMs(5);
  EXPECT_EQ(dev.positionBytes(), 661u * 4);  // 15 ms = 661.5 samples, floored
  platform.close();  // the loop still plays: it fades out, and that is heard
  const auto audio = platform.capturedAudio();
  ASSERT_EQ(audio.size(), 2u * (661 + kRampFrames));
  EXPECT_EQ(audio[2 * 128], 129 * 128 / 256);  // fading in from the first sample
  EXPECT_EQ(audio[2 * (661 + 128)], 349 / 2);
  EXPECT_EQ(audio[2 * 440], 441);
  EXPECT_EQ(audio[2 * 441], 77);  // second time round, the rewritten sample
  EXPECT_EQ(audio[2 * 442], 2);
}

TEST(HeadlessDevices, PlayerThreadSleepsInLockstep) {
  HeadlessPlatform platform({}, {});
  std::atomic<int> wakes{0};
  std::atomic<bool> stop{false};
  ThreadService& threads = platform.threads();
  const auto handle = threads.start([&] {
    while (!stop.load()) {
      ++wakes;
      threads.sleepMs(5);
    }
  });
  platform.sleepMs(100);
  EXPECT_EQ(wakes.load(), 21);  // at 0, 5, ..., 100 ms
  stop = true;
  platform.sleepMs(10);
  threads.join(handle);
  EXPECT_EQ(wakes.load(), 21);  // woke at 105 ms, saw the stop and ended
}

}  // namespace
}  // namespace korveld::platform
