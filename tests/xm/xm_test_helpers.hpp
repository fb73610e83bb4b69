// Test doubles and module helpers for the XM player's tests.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/null_platform.hpp"
#include "tools/xmgen/xm_writer.hpp"
#include "xm/xm_player.hpp"

namespace korveld::xm::testing {

using xmgen::Cell;
constexpr std::uint8_t C4 = 49;  // note 49 = C-4, real note 48

// A looping device whose play position the test sets (or a clock advances).
class FakeLoopingDevice : public platform::LoopingDevice {
 public:
  bool failOpen = false;
  std::atomic<std::uint64_t> position{0};
  std::atomic<int> opens{0}, closes{0}, writes{0};
  std::vector<std::uint8_t> copy;  // the device's own loop
  // When set, every position query advances the play position by this many
  // bytes (a device playing in real time, for the thread tests).
  std::uint64_t autoAdvance = 0;
  std::mutex mutex;

  bool open(const platform::PcmFormat& format) override {
    if (failOpen || format.channels != 2 || format.samplesPerSecond != 44100) return false;
    opens++;
    return true;
  }
  bool start(const std::uint8_t* data, std::size_t bytes) override {
    std::lock_guard<std::mutex> lock(mutex);
    copy.assign(data, data + bytes);
    position = 0;
    return true;
  }
  void write(std::size_t offset, const std::uint8_t* data, std::size_t bytes) override {
    std::lock_guard<std::mutex> lock(mutex);
    if (offset + bytes <= copy.size()) std::memcpy(copy.data() + offset, data, bytes);
    writes++;
  }
  std::uint64_t positionBytes() override {
    if (autoAdvance) return position.fetch_add(autoAdvance) + autoAdvance;
    return position.load();
  }
  void reset() override {}
  void close() override { closes++; }
};

// Runs no thread by itself: the body runs when the test calls runBody, or on
// a sleep outside it (StopSong's wait, so that it sees the stop request).
// Sleeps inside the body advance the device by the time slept.
class ManualThreads : public platform::ThreadService {
 public:
  std::function<void()> body;
  bool inBody = false;
  int started = 0;
  int joined = 0;
  FakeLoopingDevice* device = nullptr;
  std::function<void()> onSleep;
  Handle start(std::function<void()> b) override {
    body = std::move(b);
    return ++started;
  }
  void join(Handle) override { joined++; }
  void runBody() {
    if (!body) return;
    auto b = std::move(body);
    body = nullptr;
    inBody = true;
    b();
    inBody = false;
  }
  void sleepMs(int ms) override {
    if (inBody) {
      if (device) device->position += static_cast<std::uint64_t>(ms) * 176400 / 1000;
      if (onSleep) onSleep();
      return;
    }
    runBody();
  }
};

// The null platform with the fake loop device and the test's thread service.
class FakePlatform : public platform::NullPlatform {
 public:
  FakeLoopingDevice device;
  platform::ThreadService* threadService = &nullThreads;
  platform::LoopingDevice& loopingDevice() override { return device; }
  platform::ThreadService& threads() override { return *threadService; }
};

// The module most tests start from: one 64-row pattern and one instrument
// whose sample loops 1000 constant values.
inline xmgen::Module SmallModule(int channels = 1, bool linear = false) {
  xmgen::Sample s = xmgen::ConstantSample(1000);
  s.loop = xmgen::Loop::Forward;
  s.loopLength = 1000;
  return xmgen::SimpleModule(channels, {s}, linear);
}

// Renders `blocks` more blocks (after BeginOfflineRender or PlaySong) and
// returns their interleaved stereo PCM.
inline std::vector<std::int16_t> RenderBlocks(XmPlayer& player, int blocks) {
  std::vector<std::int16_t> pcm;
  for (int b = 0; b < blocks; ++b) {
    const int index = player.fillBlock;
    FillBlock(player);
    pcm.insert(pcm.end(), BlockPcm(player, index), BlockPcm(player, index) + 2 * kBlockFrames);
  }
  return pcm;
}

// A player with no platform (offline use) and the image it loaded last.
struct PlayerTest : ::testing::Test {
  std::unique_ptr<XmPlayer> owned = std::make_unique<XmPlayer>();
  XmPlayer& player = *owned;
  std::vector<std::uint8_t> image;
  XmSong& song() { return *player.CurrentSong; }
  bool Load(const xmgen::Module& m) {
    image = xmgen::WriteXm(m);
    return LoadSongFromMemory(player, image.data(), static_cast<std::int32_t>(image.size()));
  }
};

}  // namespace korveld::xm::testing
