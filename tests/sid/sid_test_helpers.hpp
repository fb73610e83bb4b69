// What the SID tests share: fresh machines, tune images built in memory, and
// a platform whose sound device the test drives (no sound card needed).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/null_platform.hpp"
#include "sid/sid_player.hpp"
#include "sid/sid_state.hpp"
#include "sid/tune.hpp"

namespace korveld::sid::testing {

// A reset machine at 44100 Hz on the heap (the state holds 64 KiB).
inline std::unique_ptr<SidState> FreshState() {
  auto s = std::make_unique<SidState>();
  SidReset(*s, kMixingRate);
  return s;
}

struct TuneImageParts {
  std::string magic = "PSID";
  std::uint16_t dataOffset = 0x7C;
  std::uint16_t headerLoad = 0;
  std::uint16_t load = 0x1000;
  std::uint16_t init = 0x1000;
  std::uint16_t play = 0;
  std::vector<std::uint8_t> program;  // bytes placed at load
};

// A version-2 image: the header (cut or padded to the data offset's low
// byte), the load address, then the program.
inline std::vector<std::uint8_t> MakeImage(const TuneImageParts& parts) {
  std::vector<std::uint8_t> image(124, 0);
  auto word = [&](int at, std::uint16_t v) {
    image[at] = static_cast<std::uint8_t>(v >> 8);
    image[at + 1] = static_cast<std::uint8_t>(v);
  };
  for (int i = 0; i < 4; ++i) image[i] = static_cast<std::uint8_t>(parts.magic[i]);
  image[5] = 2;
  word(6, parts.dataOffset);
  word(8, parts.headerLoad);
  word(10, parts.init);
  word(12, parts.play);
  image[15] = image[17] = 1;
  image.resize(parts.dataOffset & 0xFF);
  image.push_back(static_cast<std::uint8_t>(parts.load));
  image.push_back(static_cast<std::uint8_t>(parts.load >> 8));
  image.insert(image.end(), parts.program.begin(), parts.program.end());
  return image;
}

// Puts code at address.
inline void Poke(SidState& s, std::uint16_t address, const std::vector<std::uint8_t>& code) {
  for (std::uint8_t b : code) s.memory.bytes[address++] = b;
}

// A buffer-queue device: a buffer completes when the test calls
// completeNext() (on any thread), or, after runOnThread(), as soon as it is
// queued, on a thread of the device's own.
class FakeQueueDevice : public platform::NullQueueDevice {
 public:
  struct Written {
    const platform::WaveHeader* header;
    std::vector<std::int16_t> samples;  // the buffer as it was when written
  };
  bool openFails = false;
  int prepareFailure = 0;  // when non-zero, prepare returns this code
  // What the device was asked, in order; read them while no device thread runs.
  std::vector<std::string> calls;
  std::vector<Written> writes;  // kept only while no device thread runs
  platform::PcmFormat format;

  ~FakeQueueDevice() override {
    {
      std::lock_guard<std::mutex> lock(m_);
      quit_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
  }
  void runOnThread() {
    threaded_ = true;
    worker_ = std::thread([this] {
      while (completeNext(true)) {
      }
    });
  }
  // Completes the oldest queued buffer; false when none is playing.
  bool completeNext(bool wait = false) {
    std::unique_lock<std::mutex> lock(m_);
    if (wait) wake_.wait(lock, [this] { return quit_ || Playing(); });
    if (quit_ || !Playing()) return false;
    platform::WaveHeader* h = queue_.front();
    queue_.pop_front();
    HandBack(lock, h);
    return true;
  }
  long completions() const {
    std::lock_guard<std::mutex> lock(m_);
    return completions_;
  }

  int open(const platform::PcmFormat& f, platform::WaveDoneCallback callback, void* instance) override {
    auto lock = Log("open");
    if (openFails) return platform::kWaveBadDevice;
    format = f;
    open_ = true, paused_ = false;
    callback_ = callback, instance_ = instance;
    return platform::kWaveOk;
  }
  bool isOpen() const override {
    std::lock_guard<std::mutex> lock(m_);
    return open_;
  }
  int pause() override { return Pause("pause", true); }
  int restart() override { return Pause("restart", false); }
  int reset() override {
    auto lock = Log("reset");
    if (!open_) return platform::kWaveInvalidHandle;
    done_.wait(lock, [this] { return inCallback_ == 0; });
    for (platform::WaveHeader* h : std::exchange(queue_, {})) HandBack(lock, h);
    return platform::kWaveOk;
  }
  int close() override {
    auto lock = Log("close");
    if (!open_) return platform::kWaveInvalidHandle;
    if (!queue_.empty()) return platform::kWaveStillPlaying;
    open_ = false;
    return platform::kWaveOk;
  }
  int prepare(platform::WaveHeader* h) override {
    auto lock = Log("prepare");
    return open_ && prepareFailure != 0 ? prepareFailure : platform::PrepareWaveHeader(open_, h);
  }
  int unprepare(platform::WaveHeader* h) override {
    auto lock = Log("unprepare");
    return platform::UnprepareWaveHeader(open_, h);
  }
  int write(platform::WaveHeader* h) override {
    auto lock = Log("write");
    if (!open_) return platform::kWaveInvalidHandle;
    if (!(h->flags & platform::kHeaderPrepared)) return platform::kWaveUnprepared;
    h->flags = (h->flags & ~platform::kHeaderDone) | platform::kHeaderQueued;
    const auto* samples = reinterpret_cast<const std::int16_t*>(h->data);
    if (!threaded_) writes.push_back({h, std::vector<std::int16_t>(samples, samples + h->length / 2)});
    queue_.push_back(h);
    wake_.notify_all();
    return platform::kWaveOk;
  }

 private:
  std::unique_lock<std::mutex> Log(const char* call) {
    std::unique_lock<std::mutex> lock(m_);
    calls.push_back(call);
    return lock;
  }
  int Pause(const char* call, bool paused) {
    auto lock = Log(call);
    if (!open_) return platform::kWaveInvalidHandle;
    paused_ = paused;
    wake_.notify_all();
    return platform::kWaveOk;
  }
  bool Playing() const { return open_ && !paused_ && !queue_.empty(); }
  // Marks the buffer done and runs the callback without the lock.
  void HandBack(std::unique_lock<std::mutex>& lock, platform::WaveHeader* h) {
    h->flags = (h->flags & ~platform::kHeaderQueued) | platform::kHeaderDone;
    ++completions_, ++inCallback_;
    const auto callback = callback_;
    void* instance = instance_;
    lock.unlock();
    callback(instance, h);
    lock.lock();
    --inCallback_;
    done_.notify_all();
  }

  mutable std::mutex m_;
  std::condition_variable wake_, done_;
  std::deque<platform::WaveHeader*> queue_;
  bool open_ = false, paused_ = false, quit_ = false, threaded_ = false;
  int inCallback_ = 0;
  long completions_ = 0;
  platform::WaveDoneCallback callback_ = nullptr;
  void* instance_ = nullptr;
  std::thread worker_;
};

// A player on a platform with that device; message boxes are recorded.
struct Rig : platform::NullPlatform {
  FakeQueueDevice device;
  std::vector<std::string> boxes;           // "caption: text"
  std::vector<std::thread::id> boxThreads;  // the thread that showed each box
  std::mutex boxLock;
  std::unique_ptr<SidPlayer> player = std::make_unique<SidPlayer>();

  Rig() { SidPlayerInit(*player, *this); }
  platform::BufferQueueDevice& queueDevice() override { return device; }
  void messageBox(std::string_view caption, std::string_view text) override {
    std::lock_guard<std::mutex> lock(boxLock);
    boxes.push_back(std::string(caption) + ": " + std::string(text));
    boxThreads.push_back(std::this_thread::get_id());
  }
};

}  // namespace korveld::sid::testing
