// A platform with nothing behind it: no display, no sound, time standing
// still. Offline tools use it as it is; test doubles derive from it and
// override only what their test controls.
#pragma once

#include "platform/platform.hpp"

namespace korveld::platform {

// No output device: open fails, everything else reports the device not open.
class NullQueueDevice : public BufferQueueDevice {
 public:
  int open(const PcmFormat&, WaveDoneCallback, void*) override { return kWaveBadDevice; }
  int pause() override { return kWaveInvalidHandle; }
  int restart() override { return kWaveInvalidHandle; }
  int reset() override { return kWaveInvalidHandle; }
  int close() override { return kWaveInvalidHandle; }
  int prepare(WaveHeader*) override { return kWaveInvalidHandle; }
  int unprepare(WaveHeader*) override { return kWaveInvalidHandle; }
  int write(WaveHeader*) override { return kWaveInvalidHandle; }
};

class NullLoopingDevice : public LoopingDevice {
 public:
  bool open(const PcmFormat&) override { return false; }
  bool start(const std::uint8_t*, std::size_t) override { return false; }
  void write(std::size_t, const std::uint8_t*, std::size_t) override {}
  std::uint64_t positionBytes() override { return 0; }
  void reset() override {}
  void close() override {}
};

// Starts nothing; sleeping takes no time.
class NullThreads : public ThreadService {
 public:
  Handle start(std::function<void()>) override { return 0; }
  void join(Handle) override {}
  void sleepMs(int) override {}
};

class NullPlatform : public Platform {
 public:
  void configure(int) override {}
  int open(std::string_view, int, int) override { return 1; }
  int update(const std::uint32_t*, std::span<const std::uint8_t> = {}) override { return 1; }
  void close() override {}
  void hideCursor() override {}
  double timer() override { return 0.0; }
  void sleepMs(int) override {}
  double random() override { return 0.0; }
  void seedRandomFromTimer() override {}
  BufferQueueDevice& queueDevice() override { return nullQueue; }
  LoopingDevice& loopingDevice() override { return nullLooping; }
  ThreadService& threads() override { return nullThreads; }
  void messageBox(std::string_view, std::string_view) override {}

  NullQueueDevice nullQueue;
  NullLoopingDevice nullLooping;
  NullThreads nullThreads;
};

}  // namespace korveld::platform
