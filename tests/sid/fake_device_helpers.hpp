// Stand-ins for the sound device and the platform, so the player's output
// and tune control can be tested without a sound card.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/null_platform.hpp"

namespace korveld::sid::testing {

// A deterministic buffer queue: nothing completes until the test calls
// completeNext(), which runs the callback on the test's own thread.
class FakeQueueDevice : public platform::BufferQueueDevice {
 public:
  struct Written {
    const platform::WaveHeader* header;
    std::vector<std::int16_t> samples;  // the buffer as it was when written
  };

  bool openFails = false;
  int prepareFailure = 0;  // when non-zero, prepare returns this code
  std::vector<std::string> calls;  // operation names in order
  std::vector<Written> writes;
  std::deque<platform::WaveHeader*> queue;
  bool paused = false;

  int open(const platform::PcmFormat& format, platform::WaveDoneCallback callback, void* instance) override;
  bool isOpen() const override { return open_; }
  int pause() override;
  int restart() override;
  int reset() override;
  int close() override;
  int prepare(platform::WaveHeader* header) override;
  int unprepare(platform::WaveHeader* header) override;
  int write(platform::WaveHeader* header) override;
  std::string errorText(int code) const override { return "wave error " + std::to_string(code); }

  // Completes the oldest queued buffer; false when none is queued.
  bool completeNext();
  platform::PcmFormat format;

 private:
  bool open_ = false;
  platform::WaveDoneCallback callback_ = nullptr;
  void* instance_ = nullptr;
};

// A device that plays on a thread of its own: every queued buffer completes
// as soon as the device runs, with the callback on that thread.
class ThreadedFakeDevice : public platform::BufferQueueDevice {
 public:
  ThreadedFakeDevice();
  ~ThreadedFakeDevice() override;
  int open(const platform::PcmFormat& format, platform::WaveDoneCallback callback, void* instance) override;
  bool isOpen() const override;
  int pause() override;
  int restart() override;
  int reset() override;
  int close() override;
  int prepare(platform::WaveHeader* header) override;
  int unprepare(platform::WaveHeader* header) override;
  int write(platform::WaveHeader* header) override;
  std::string errorText(int code) const override { return "wave error " + std::to_string(code); }

  long completions() const;
  std::size_t queued() const;
  // Callbacks that arrived while the device was closed (must stay 0).
  long callbacksWhileClosed() const;

 private:
  void run();
  mutable std::mutex m_;
  std::condition_variable cv_;
  std::deque<platform::WaveHeader*> queue_;
  bool open_ = false, playing_ = false, quit_ = false, inCallback_ = false;
  long completions_ = 0, lateCallbacks_ = 0;
  platform::WaveDoneCallback callback_ = nullptr;
  void* instance_ = nullptr;
  std::thread worker_;
};

// Just enough platform for the player: a queue device and message boxes.
class TestPlatform : public platform::NullPlatform {
 public:
  explicit TestPlatform(platform::BufferQueueDevice& device) : device_(device) {}
  std::vector<std::string> boxes;  // "caption: text"
  std::vector<std::thread::id> boxThreads;  // the thread that showed each box

  platform::BufferQueueDevice& queueDevice() override { return device_; }
  void messageBox(std::string_view caption, std::string_view text) override {
    std::lock_guard<std::mutex> lock(boxLock_);
    boxes.push_back(std::string(caption) + ": " + std::string(text));
    boxThreads.push_back(std::this_thread::get_id());
  }

 private:
  platform::BufferQueueDevice& device_;
  std::mutex boxLock_;
};

}  // namespace korveld::sid::testing
