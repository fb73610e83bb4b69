// Test doubles and module builders for the XM player's tests.
#pragma once

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/null_platform.hpp"
#include "tools/xmgen/xm_writer.hpp"
#include "xm/xm_player.hpp"

namespace korveld::xm::testing {

// A looping device whose play position the test sets (or a clock advances).
class FakeLoopingDevice : public platform::LoopingDevice {
 public:
  bool failOpen = false;
  std::atomic<std::uint64_t> position{0};
  std::atomic<int> opens{0};
  std::atomic<int> closes{0};
  std::atomic<int> writes{0};
  std::vector<std::uint8_t> copy;  // the device's own loop
  bool open_ = false;
  bool started = false;
  // When set, every position query advances the play position by this many
  // bytes (a device playing in real time, for the thread tests).
  std::uint64_t autoAdvance = 0;

  bool open(const platform::PcmFormat& format) override {
    if (failOpen || format.channels != 2 || format.samplesPerSecond != 44100) return false;
    open_ = true;
    opens++;
    return true;
  }
  bool isOpen() const override { return open_; }
  bool start(const std::uint8_t* data, std::size_t bytes) override {
    std::lock_guard<std::mutex> lock(mutex);
    copy.assign(data, data + bytes);
    started = true;
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
  void reset() override { started = false; }
  void close() override {
    open_ = false;
    closes++;
  }
  std::mutex mutex;
};

// Real threads with real short sleeps.
class RealThreads : public platform::ThreadService {
 public:
  std::vector<std::thread> threads;
  std::atomic<int> sleeps{0};
  Handle start(std::function<void()> body, bool) override {
    threads.emplace_back(std::move(body));
    return static_cast<Handle>(threads.size());
  }
  void join(Handle h) override {
    if (h > 0 && static_cast<std::size_t>(h) <= threads.size() && threads[static_cast<std::size_t>(h - 1)].joinable())
      threads[static_cast<std::size_t>(h - 1)].join();
  }
  void sleepMs(int ms) override {
    sleeps++;
    std::this_thread::sleep_for(std::chrono::microseconds(ms * 100));
  }
  ~RealThreads() override {
    for (auto& t : threads)
      if (t.joinable()) t.join();
  }
};

// A thread service that never runs a thread by itself: the body waits until
// the test runs it (runBody), or until a sleep outside the body (StopSong's
// wait) runs it so that it can see the stop request and finish. Sleeps inside
// the body advance the device by the time slept and call onSleep.
class ManualThreads : public platform::ThreadService {
 public:
  std::function<void()> body;
  bool inBody = false;
  int started = 0;
  int joined = 0;
  bool highPriority = false;
  FakeLoopingDevice* device = nullptr;
  std::function<void()> onSleep;
  Handle start(std::function<void()> b, bool high) override {
    body = std::move(b);
    highPriority = high;
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


// The null platform with a fake loop device and real threads.
class FakePlatform : public platform::NullPlatform {
 public:
  FakeLoopingDevice device;
  RealThreads threadService;
  platform::ThreadService* threadsInUse = &threadService;
  int mouseX() const override { return 1; }
  int mouseY() const override { return 1; }
  platform::LoopingDevice& loopingDevice() override { return device; }
  platform::ThreadService& threads() override { return *threadsInUse; }
};

// ------------------------------------------------------------ module builders --

// A sample of `length` values of a constant or a ramp.
inline xmgen::Sample ConstantSample(std::uint32_t length, std::int16_t value = 0x4000) {
  xmgen::Sample s;
  s.values.assign(length, value);
  s.sixteenBit = true;
  return s;
}

// One instrument with one sample, keymap all 0.
inline xmgen::Instrument OneSampleInstrument(xmgen::Sample sample) {
  xmgen::Instrument ins;
  ins.samples.push_back(std::move(sample));
  return ins;
}

// A module of `channels` channels, one 64-row pattern, one instrument.
inline xmgen::Module SmallModule(int channels = 1, bool linear = false) {
  xmgen::Module m;
  m.name = "test";
  m.channels = channels;
  m.linear = linear;
  m.orders = {0};
  m.addPattern(64);
  xmgen::Sample s = ConstantSample(1000);
  s.loop = xmgen::Loop::Forward;
  s.loopStart = 0;
  s.loopLength = 1000;
  m.instruments.push_back(OneSampleInstrument(s));
  return m;
}

inline void Put(xmgen::Module& m, int pattern, int row, int channel, xmgen::Cell cell) {
  m.patterns[static_cast<std::size_t>(pattern)].at(row, channel, m.channels) = cell;
}

// Loads bytes that stay alive as long as the returned vector.
struct LoadedSong {
  std::vector<std::uint8_t> bytes;
  bool ok = false;
};

inline LoadedSong Load(XmPlayer& player, const xmgen::Module& module) {
  LoadedSong l;
  l.bytes = xmgen::WriteXm(module);
  l.ok = LoadSongFromMemory(player, l.bytes.data(), static_cast<std::int32_t>(l.bytes.size()));
  return l;
}

}  // namespace korveld::xm::testing
