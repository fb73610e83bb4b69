// The two-buffer output and tune control against a deterministic device.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <tuple>

#include "tests/support/hand_sink.hpp"
#include "tests/sid/sid_test_helpers.hpp"

namespace korveld::sid {
namespace {

using testing::MakeImage;
using testing::Rig;
using testing::TuneImageParts;

// Voice 1 holds a constant level (no waveform, sustain 15: 476 per unit of
// volume); every play call counts frames at $20 and sets the volume to the
// frame number AND 15, so the last sample of frame k is 476 x (k AND 15).
std::vector<std::uint8_t> FrameCounterTune() {
  TuneImageParts parts;  // load and init at $1000
  parts.play = 0x1010;
  parts.program = {0xA9, 0x00, 0x8D, 0x05, 0xD4, 0xA9, 0xF0, 0x8D, 0x06, 0xD4, 0xA9, 0x01, 0x8D, 0x04, 0xD4, 0x60,
                  0xE6, 0x20, 0xA5, 0x20, 0x29, 0x0F, 0x8D, 0x18, 0xD4, 0x60};
  auto image = MakeImage(parts);
  image[21] = 1;  // speed bits ask for timer timing: still one call per frame
  return image;
}

constexpr int kLevel = 476;

int FrameLevel(const std::vector<std::int16_t>& buffer, int frame) {
  return buffer[static_cast<std::size_t>(frame + 1) * kFrameSamples - 1];
}

TEST(SidOutput, FramesFillBufferAThenBAndRefillOnCompletion) {
  Rig rig;
  const auto tune = FrameCounterTune();
  SidStart(*rig.player, tune, 0);
  SidResume(*rig.player);
  const std::vector<std::string> startCalls = {"open", "pause", "prepare", "prepare", "write", "write", "restart"};
  EXPECT_EQ(rig.device.calls, startCalls);
  const platform::PcmFormat& f = rig.device.format;
  EXPECT_EQ(std::tuple(f.channels, f.samplesPerSecond, f.bitsPerSample), std::tuple(1, 44100, 16));
  ASSERT_EQ(rig.device.writes.size(), 2u);
  EXPECT_EQ(std::tuple(rig.device.writes[0].header, rig.device.writes[1].header),
            std::tuple(&rig.player->stream.headerA, &rig.player->stream.headerB));
  ASSERT_EQ(rig.device.writes[0].samples.size(), static_cast<std::size_t>(kBufferSamples));
  for (int f = 0; f < 8; ++f) {
    EXPECT_EQ(FrameLevel(rig.device.writes[0].samples, f), kLevel * (f + 1)) << "frame " << f + 1;
    EXPECT_EQ(FrameLevel(rig.device.writes[1].samples, f), kLevel * ((f + 9) & 15)) << "frame " << f + 9;
  }
  EXPECT_EQ(rig.player->state.memory.bytes[0x20], 16);

  rig.device.calls.clear();
  ASSERT_TRUE(rig.device.completeNext());
  const std::vector<std::string> refillCalls = {"unprepare", "prepare", "write"};
  EXPECT_EQ(rig.device.calls, refillCalls);
  ASSERT_EQ(rig.device.writes.size(), 3u);
  EXPECT_EQ(rig.device.writes[2].header, &rig.player->stream.headerA);
  EXPECT_EQ(FrameLevel(rig.device.writes[2].samples, 0), kLevel * (17 & 15));
  ASSERT_TRUE(rig.device.completeNext());
  EXPECT_EQ(rig.device.writes[3].header, &rig.player->stream.headerB);
  EXPECT_EQ(rig.player->state.memory.bytes[0x20], 32);
  EXPECT_TRUE(rig.boxes.empty());
}

TEST(SidOutput, NoDeviceShowsTwoErrorBoxesPerStart) {
  Rig rig;
  rig.device.openFails = true;
  PlaySidTune(*rig.player, 5);
  PlaySidTune(*rig.player, 6);
  ASSERT_EQ(rig.boxes.size(), 4u);
  for (const std::string& box : rig.boxes) EXPECT_EQ(box, "Error: " + platform::WaveErrorText(platform::kWaveInvalidHandle));
  EXPECT_FALSE(rig.player->stream.open);
  // Nothing is written, restarted or reset without a device.
  const std::vector<std::string> calls = {"open", "pause", "prepare", "prepare", "open", "pause", "prepare", "prepare"};
  EXPECT_EQ(rig.device.calls, calls);
}

TEST(SidOutput, StopEmptiesTheRecordsBeforeTheReset) {
  Rig rig;
  SidStart(*rig.player, FrameCounterTune(), 0);
  SidResume(*rig.player);
  rig.device.calls.clear();
  SidStop(*rig.player);
  const std::vector<std::string> stopCalls = {"reset", "close"};
  EXPECT_EQ(rig.device.calls, stopCalls);  // handed-back buffers were not queued again
  EXPECT_EQ(rig.device.writes.size(), 2u);
  EXPECT_FALSE(rig.player->stream.open);
  EXPECT_TRUE(rig.player->stream.recordA.procedure == nullptr && rig.player->stream.recordB.procedure == nullptr);

  rig.device.calls.clear();
  SidStop(*rig.player);  // a second stop does nothing
  SidResume(*rig.player);
  EXPECT_TRUE(rig.device.calls.empty());
}

TEST(SidOutput, OutOfRangeTuneNumbersOnlyStop) {
  for (int n : {1, 12}) {  // the first and the last tune play
    Rig rig;
    PlaySidTune(*rig.player, n);
    EXPECT_TRUE(rig.player->stream.open) << n;
  }
  for (int n : {0, 13, -1}) {
    Rig rig;
    PlaySidTune(*rig.player, 2);
    ASSERT_TRUE(rig.player->stream.open);
    rig.device.calls.clear();
    PlaySidTune(*rig.player, n);
    const std::vector<std::string> stopCalls = {"reset", "close"};
    EXPECT_EQ(rig.device.calls, stopCalls) << n;
    EXPECT_FALSE(rig.player->stream.open);
  }
}

TEST(SidOutput, RestartingATuneBeginsFromItsInit) {
  Rig rig;
  const auto tune = FrameCounterTune();
  SidStart(*rig.player, tune, 0);
  SidResume(*rig.player);
  rig.device.completeNext();
  SidStop(*rig.player);
  SidStart(*rig.player, tune, 0);
  EXPECT_EQ(rig.player->state.memory.bytes[0x20], 16);
  EXPECT_EQ(rig.device.writes.back().samples, rig.device.writes[1].samples);
}

TEST(SidOutput, RefillErrorsWaitForTheMainThreadAndEndThatBuffersRefills) {
  Rig rig;
  SidStart(*rig.player, FrameCounterTune(), 0);
  SidResume(*rig.player);
  rig.device.prepareFailure = platform::kWaveNoMemory;
  // The completion arrives on the device's own thread: its errors are queued,
  // not shown there, and a stop does not wait for anybody to dismiss a box.
  std::thread audio([&] { ASSERT_TRUE(rig.device.completeNext()); });
  audio.join();
  EXPECT_TRUE(rig.boxes.empty());
  EXPECT_EQ(rig.device.writes.size(), 2u);  // A was not queued again
  SidStop(*rig.player);
  // The prepare fails, then the write of the unprepared buffer fails.
  const std::vector<std::string> boxes = {"Error: " + platform::WaveErrorText(platform::kWaveNoMemory),
                                          "Error: " + platform::WaveErrorText(platform::kWaveUnprepared)};
  EXPECT_EQ(rig.boxes, boxes);
  for (const std::thread::id id : rig.boxThreads) EXPECT_EQ(id, std::this_thread::get_id());
  ShowPendingErrors(*rig.player);
  EXPECT_EQ(rig.boxes.size(), 2u);  // each error is shown once
}

// The player on the stream every backend plays through, pulled by hand: the
// tune comes out as rendered once its fade-in is over, and the next tune
// starts on the stream already open, its samples following the first's.
struct StreamRig : platform::NullPlatform {
  korveld::testing::HandSink sink;
  korveld::testing::NoCompletions completions;
  // The player owns the buffers the stream still holds when it shuts down, so
  // it is made first and goes last.
  std::unique_ptr<SidPlayer> player = std::make_unique<SidPlayer>();
  platform::SoundOutput output{sink, completions};
  StreamRig() { SidPlayerInit(*player, *this); }
  platform::BufferQueueDevice& queueDevice() override { return output.queue(); }
  std::vector<std::int16_t> Left(int frames) {
    std::vector<std::int16_t> stereo(2 * static_cast<std::size_t>(frames)), left;
    output.Pull(stereo.data(), frames);
    for (int i = 0; i < frames; ++i) left.push_back(stereo[2 * static_cast<std::size_t>(i)]);
    return left;
  }
};

TEST(SidOutput, PlaysOnTheSharedStreamAndSwitchesTunesWithoutReopening) {
  StreamRig rig;
  for (int n : {7, 3}) {
    Rig fresh;
    PlaySidTune(*fresh.player, n);
    PlaySidTune(*rig.player, n);
    const auto got = rig.Left(3000);
    const auto& want = fresh.device.writes.at(0).samples;  // past the fade-in (and the last tune's fade-out)
    EXPECT_TRUE(std::equal(got.begin() + 2 * platform::kRampFrames, got.end(), want.begin() + 2 * platform::kRampFrames))
        << n;
  }
  EXPECT_EQ(rig.sink.starts, 1);
}

}  // namespace
}  // namespace korveld::sid
