#include "platform/web_audio.hpp"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/finished_buffers.hpp"
#include "platform/system_threads.hpp"
#include "platform/wave_errors.hpp"

namespace korveld::platform {
namespace {

constexpr int kRate = 44100;
// The queue ring holds two of the SID player's 160 ms buffers and some room.
constexpr std::uint32_t kQueueCapacity = 16384;
// How often the notifier looks at the worklet's play position when nothing
// else wakes it: a completion arrives at most this late.
constexpr auto kNotifierPoll = std::chrono::milliseconds(4);

std::int32_t Address(const void* p) { return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(p)); }

bool Ready(const std::atomic<std::int32_t>& ready) { return ready.load() != 0; }

// ---------------------------------------------------------------------------
// Buffers wait in `pending_` until the ring has room, then sit in
// `inflight_` with the ring position where they end; once the worklet has
// played past that position the notifier thread hands them back.
class WebQueueDevice final : public BufferQueueDevice {
 public:
  WebQueueDevice(web::Sound& sound, const std::atomic<std::int32_t>& ready)
      : sound_(sound), ready_(ready), ring_(kQueueCapacity) {
    sound_.queueCapacity = static_cast<std::int32_t>(kQueueCapacity);
    sound_.queueSamples = Address(ring_.data());
  }
  ~WebQueueDevice() override {
    if (open_) {
      reset();
      close();
    }
  }

  int open(const PcmFormat& format, WaveDoneCallback callback, void* instance) override {
    if (open_) return kWaveError;
    if (format.bitsPerSample != 16 || format.channels != 1 || format.samplesPerSecond != kRate) return kWaveBadFormat;
    if (!Ready(ready_)) return kWaveBadDevice;
    finished_.callback = callback;
    finished_.instance = instance;
    quit_ = false;
    // The worklet keeps the first samples of every open for the page.
    sound_.queueStart.store(sound_.queueWritten.load());
    sound_.queueGeneration.fetch_add(1);
    sound_.queuePaused.store(0);
    notifier_ = std::thread([this] { NotifierLoop(); });
    open_ = true;
    return kWaveOk;
  }

  bool isOpen() const override { return open_; }

  int pause() override {
    if (!open_) return kWaveInvalidHandle;
    sound_.queuePaused.store(1);
    return kWaveOk;
  }

  int restart() override {
    if (!open_) return kWaveInvalidHandle;
    sound_.queuePaused.store(0);
    return kWaveOk;
  }

  int reset() override {
    if (!open_) return kWaveInvalidHandle;
    std::unique_lock<std::mutex> lock(mutex_);
    for (WaveHeader* h : pending_) finished_.queue.push_back(h);
    for (const Inflight& f : inflight_) finished_.queue.push_back(f.header);
    pending_.clear();
    inflight_.clear();
    DropRing();
    finished_.changed.notify_all();
    finished_.WaitUntilHandedBack(lock);
    return kWaveOk;
  }

  int close() override {
    if (!open_) return kWaveInvalidHandle;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!pending_.empty() || !inflight_.empty()) return kWaveStillPlaying;
      quit_ = true;
    }
    finished_.changed.notify_all();
    if (notifier_.joinable()) notifier_.join();
    sound_.queuePaused.store(1);
    open_ = false;
    return kWaveOk;
  }

  int prepare(WaveHeader* header) override { return PrepareWaveHeader(open_, header); }
  int unprepare(WaveHeader* header) override { return UnprepareWaveHeader(open_, header); }

  int write(WaveHeader* header) override {
    if (!open_) return kWaveInvalidHandle;
    if (!header || header->length / 2 > kQueueCapacity) return kWaveInvalidParam;
    if (!(header->flags & kHeaderPrepared)) return kWaveUnprepared;
    header->flags = (header->flags & ~kHeaderDone) | kHeaderQueued;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pending_.push_back(header);
    }
    finished_.changed.notify_all();
    return kWaveOk;
  }

  std::string errorText(int code) const override { return WaveErrorText(code); }

 private:
  struct Inflight {
    WaveHeader* header;
    std::uint32_t end;  // queueWritten after its last sample
  };

  // Moves the worklet's read position onto the write position. The worklet
  // advances it with compare-and-swap, so whichever of the two moves first
  // wins and the other sees a changed value.
  void DropRing() {
    for (;;) {
      std::uint32_t played = sound_.queuePlayed.load();
      const std::uint32_t written = sound_.queueWritten.load();
      if (played == written || sound_.queuePlayed.compare_exchange_strong(played, written)) return;
    }
  }

  // Under the lock: copies waiting buffers into the ring while they fit.
  void FillRing(std::uint32_t played) {
    while (!pending_.empty()) {
      WaveHeader* h = pending_.front();
      const std::uint32_t samples = h->length / 2;
      const std::uint32_t written = sound_.queueWritten.load(std::memory_order_relaxed);
      if (written - played + samples > kQueueCapacity) return;
      const auto* src = reinterpret_cast<const std::int16_t*>(h->data);
      for (std::uint32_t i = 0; i < samples; ++i) ring_[(written + i) & (kQueueCapacity - 1)] = src[i];
      sound_.queueWritten.store(written + samples);
      inflight_.push_back({h, written + samples});
      pending_.pop_front();
    }
  }

  void NotifierLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (finished_.HandBackOne(lock)) continue;
      if (quit_) return;
      const std::uint32_t played = sound_.queuePlayed.load();
      while (!inflight_.empty() && static_cast<std::int32_t>(played - inflight_.front().end) >= 0) {
        finished_.queue.push_back(inflight_.front().header);
        inflight_.pop_front();
      }
      FillRing(played);
      if (finished_.queue.empty()) finished_.changed.wait_for(lock, kNotifierPoll);
    }
  }

  web::Sound& sound_;
  const std::atomic<std::int32_t>& ready_;
  std::vector<std::int16_t> ring_;
  bool open_ = false;
  std::mutex mutex_;
  std::deque<WaveHeader*> pending_;  // pending_, inflight_ and finished_ are guarded by mutex_
  std::deque<Inflight> inflight_;
  FinishedBuffers finished_;
  bool quit_ = false;
  std::thread notifier_;
};

// ---------------------------------------------------------------------------
// The loop lives in wasm memory and the worklet reads it directly; a start
// or reset begins a new generation, and positions of older generations are
// ignored.
class WebLoopingDevice final : public LoopingDevice {
 public:
  WebLoopingDevice(web::Sound& sound, const std::atomic<std::int32_t>& ready) : sound_(sound), ready_(ready) {}
  ~WebLoopingDevice() override { close(); }

  bool open(const PcmFormat& format) override {
    if (open_ || format.bitsPerSample != 16 || format.channels != 2 || format.samplesPerSecond != kRate) return false;
    if (!Ready(ready_)) return false;
    open_ = true;
    return true;
  }
  bool isOpen() const override { return open_; }

  bool start(const std::uint8_t* data, std::size_t bytes) override {
    if (!open_ || bytes < 4) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    sound_.loopFrames.store(0);
    loop_.assign(data, data + bytes / 4 * 4);
    sound_.loopSamples.store(Address(loop_.data()));
    sound_.loopFrames.store(static_cast<std::int32_t>(bytes / 4));
    generation_ = sound_.loopGeneration.fetch_add(1) + 1;
    lastPlayed_ = 0;
    wraps_ = 0;
    return true;
  }

  void write(std::size_t offset, const std::uint8_t* data, std::size_t bytes) override {
    if (!open_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (offset < loop_.size()) std::memcpy(loop_.data() + offset, data, std::min(bytes, loop_.size() - offset));
  }

  std::uint64_t positionBytes() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_ || sound_.loopPlayedGeneration.load() != generation_) return 0;
    // The worklet counts 32 bits of frames (27 hours); the carry is kept here.
    const std::uint32_t played = sound_.loopPlayed.load();
    if (played < lastPlayed_) ++wraps_;
    lastPlayed_ = played;
    return ((static_cast<std::uint64_t>(wraps_) << 32) | played) * 4;
  }

  void reset() override {
    if (!open_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    sound_.loopFrames.store(0);
    generation_ = sound_.loopGeneration.fetch_add(1) + 1;
  }

  void close() override {
    if (!open_) return;
    reset();
    open_ = false;
  }

 private:
  web::Sound& sound_;
  const std::atomic<std::int32_t>& ready_;
  bool open_ = false;
  std::mutex mutex_;
  std::vector<std::uint8_t> loop_;
  std::uint32_t generation_ = 0;
  std::uint32_t lastPlayed_ = 0;
  std::uint32_t wraps_ = 0;
};


}  // namespace

struct WebAudio::Impl {
  explicit Impl(const std::atomic<std::int32_t>& ready) : queue(sound, ready), looping(sound, ready) {}
  web::Sound sound;
  WebQueueDevice queue;
  WebLoopingDevice looping;
  // Browsers give a page no thread priorities; the two-second loop and the
  // two queued buffers absorb the difference.
  SystemThreads threads;
};

WebAudio::WebAudio(const std::atomic<std::int32_t>& ready) : impl_(std::make_unique<Impl>(ready)) {}
WebAudio::~WebAudio() = default;
BufferQueueDevice& WebAudio::queue() { return impl_->queue; }
LoopingDevice& WebAudio::looping() { return impl_->looping; }
ThreadService& WebAudio::threads() { return impl_->threads; }
web::Sound& WebAudio::sound() { return impl_->sound; }

void WebAudio::CloseAll() {
  if (impl_->queue.isOpen()) {
    impl_->queue.reset();
    impl_->queue.close();
  }
  impl_->looping.close();
}

}  // namespace korveld::platform
