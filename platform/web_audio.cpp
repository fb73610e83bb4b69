#include "platform/web_audio.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/sound_output.hpp"
#include "platform/system_threads.hpp"

namespace korveld::platform {
namespace {

// The ring holds 371 ms; the pump keeps 4096 frames (93 ms) in it ahead of
// the worklet, as the desktop keeps in flight.
constexpr std::uint32_t kRingFrames = 16384;
constexpr std::uint32_t kAheadFrames = 4096;
// How often the pump looks at the worklet's position.
constexpr auto kPumpPeriod = std::chrono::milliseconds(4);
constexpr auto kDrainLimit = std::chrono::milliseconds(400);

std::int32_t Address(const void* p) { return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(p)); }

class WebSink final : public SoundSink {
 public:
  WebSink(web::Sound& sound, const std::atomic<std::int32_t>& ready)
      : sound_(sound), ready_(ready), ring_(2 * kRingFrames) {
    sound_.capacity = static_cast<std::int32_t>(kRingFrames);
    sound_.samples = Address(ring_.data());
  }
  ~WebSink() override { Stop(); }

  bool Start(SoundOutput& output) override {
    if (ready_.load() == 0) {
      std::fprintf(stderr, "korveld: no sound: the page's audio did not start\n");
      return false;
    }
    output_ = &output;
    base_ = sound_.written.load() - static_cast<std::uint32_t>(output.PulledFrames());
    running_.store(true);
    pump_ = std::thread([this] { Pump(); });
    return true;
  }

  void Stop() override {
    running_.store(false);
    if (pump_.joinable()) pump_.join();
  }

  bool Lost() override { return false; }

  std::int64_t LatencyFrames() override {
    // What waits in the ring, and the quantum the worklet is playing.
    return static_cast<std::int64_t>(sound_.written.load() - sound_.played.load()) + 128;
  }

  void Drain(std::int64_t until) override {
    const auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
    const std::uint32_t end = base_ + static_cast<std::uint32_t>(until);
    while (static_cast<std::int32_t>(sound_.played.load() - end) < 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(kPumpPeriod);
  }

 private:
  void Pump() {
    std::int64_t marked = -1;
    while (running_.load()) {
      const std::uint32_t written = sound_.written.load(std::memory_order_relaxed);
      const std::uint32_t ahead = written - sound_.played.load();
      if (ahead < kAheadFrames) Fill(written, kAheadFrames - ahead);
      // Where the newest C64 tune reaches full level, for the page's check.
      const std::int64_t full = output_->QueueFullLevelAt();
      if (full != marked && full >= 0 && full < output_->PulledFrames()) {
        marked = full;
        sound_.mark.store(base_ + static_cast<std::uint32_t>(full));
        sound_.markGeneration.fetch_add(1);
      }
      std::this_thread::sleep_for(kPumpPeriod);
    }
  }

  // Pulls `frames` frames into the ring from `written` on, in at most two
  // runs where the ring wraps.
  void Fill(std::uint32_t written, std::uint32_t frames) {
    bool finished = false;
    for (std::uint32_t done = 0; done < frames;) {
      const std::uint32_t at = (written + done) & (kRingFrames - 1);
      const std::uint32_t n = std::min(frames - done, kRingFrames - at);
      finished |= output_->Pull(ring_.data() + 2 * at, static_cast<int>(n));
      done += n;
    }
    sound_.written.store(written + frames);
    if (finished) output_->WakeCompletions();
  }

  web::Sound& sound_;
  const std::atomic<std::int32_t>& ready_;
  std::vector<std::int16_t> ring_;
  SoundOutput* output_ = nullptr;
  std::uint32_t base_ = 0;  // the ring frame of the stream's frame 0
  std::atomic<bool> running_{false};
  std::thread pump_;
};

}  // namespace

struct WebAudio::Impl {
  explicit Impl(const std::atomic<std::int32_t>& ready) : sink(sound, ready) {}
  web::Sound sound;
  // Browsers give a page no thread priorities; the buffers absorb the
  // difference.
  SystemThreads threads;
  SystemCompletionThread completions{threads};
  WebSink sink;
  SoundOutput output{sink, completions};
};

WebAudio::WebAudio(const std::atomic<std::int32_t>& ready) : impl_(std::make_unique<Impl>(ready)) {}
WebAudio::~WebAudio() = default;
BufferQueueDevice& WebAudio::queue() { return impl_->output.queue(); }
LoopingDevice& WebAudio::looping() { return impl_->output.looping(); }
ThreadService& WebAudio::threads() { return impl_->threads; }
web::Sound& WebAudio::sound() { return impl_->sound; }
void WebAudio::CloseAll() { impl_->output.Shutdown(); }

}  // namespace korveld::platform
