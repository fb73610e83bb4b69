// The headless backend's devices on the virtual clock: the sound capture,
// the buffer-queue and looping sound devices, and the thread service. Used
// by HeadlessPlatform (platform/headless.cpp) only.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/lockstep.hpp"
#include "platform/platform.hpp"
#include "platform/wave_errors.hpp"

namespace korveld::platform::headless {

using Ticks = Lockstep::Ticks;

// Far beyond any run (about 20,000 years): a time past it is "never".
constexpr Ticks kNever = std::numeric_limits<Ticks>::max() / 2;

inline Ticks SecondsToTicks(double seconds) {
  const double ticks = seconds * static_cast<double>(Lockstep::kTicksPerSecond);
  if (!(ticks < static_cast<double>(kNever))) return kNever;
  return static_cast<Ticks>(std::llround(ticks));
}

// now + ticks, where a sum past kNever stays at kNever.
inline Ticks TimeAfter(Ticks now, Ticks ticks) { return ticks >= kNever - now ? kNever : now + ticks; }

// Sound as the devices played it: 44100 Hz stereo, summed in 32 bits and
// saturated when read out.
struct AudioCapture {
  bool enabled = false;
  std::vector<std::int32_t> samples;  // interleaved left, right

  void Add(std::int64_t frame, std::int32_t left, std::int32_t right) {
    if (!enabled || frame < 0) return;
    const auto index = static_cast<std::size_t>(frame) * 2;
    if (samples.size() < index + 2) samples.resize(std::max(index + 2, samples.size() * 3 / 2 + 2), 0);
    samples[index] += left;
    samples[index + 1] += right;
  }
};

inline std::int64_t SampleAt(Ticks t) { return t / Lockstep::kTicksPerSample; }

// ---------------------------------------------------------------------------
// Buffer-queue device: buffers play back to back from the moment they are
// written (or the device is restarted); a notifier thread, itself a lockstep
// participant, delivers each completion at the virtual time it falls due.
class HeadlessQueueDevice final : public BufferQueueDevice {
 public:
  HeadlessQueueDevice(std::shared_ptr<Lockstep> clock, AudioCapture* capture, const bool* fails)
      : clock_(std::move(clock)), capture_(capture), fails_(fails) {}

  int open(const PcmFormat& format, WaveDoneCallback callback, void* instance) override {
    if (open_) return kWaveError;
    if (*fails_) return kWaveBadDevice;
    if (format.bitsPerSample != 16 || format.channels < 1 || format.channels > 2) return kWaveBadFormat;
    format_ = format;
    callback_ = callback;
    instance_ = instance;
    open_ = true;
    paused_ = false;
    closing_ = false;
    notifier_ = clock_->Spawn([this] { NotifierLoop(); });
    return kWaveOk;
  }

  bool isOpen() const override { return open_; }

  int pause() override {
    if (!open_) return kWaveInvalidHandle;
    if (!paused_) {
      if (!queue_.empty()) pausedAt_ = clock_->Now() - headStart_;
      paused_ = true;
      Reschedule();
    }
    return kWaveOk;
  }

  int restart() override {
    if (!open_) return kWaveInvalidHandle;
    if (paused_) {
      paused_ = false;
      headStart_ = clock_->Now() - pausedAt_;
      pausedAt_ = 0;
      Reschedule();
    }
    return kWaveOk;
  }

  int reset() override {
    if (!open_) return kWaveInvalidHandle;
    if (!queue_.empty() && !paused_) CaptureHead(clock_->Now());
    for (WaveHeader* h : queue_) returned_.push_back(h);
    queue_.clear();
    pausedAt_ = 0;
    // Let the notifier hand the buffers back before we return.
    clock_->Wake(notifier_, clock_->Now());
    clock_->SleepFor(0);
    return kWaveOk;
  }

  int close() override {
    if (!open_) return kWaveInvalidHandle;
    if (!queue_.empty()) return kWaveStillPlaying;
    closing_ = true;
    clock_->Wake(notifier_, clock_->Now());
    clock_->Join(notifier_);
    notifier_ = 0;
    open_ = false;
    return kWaveOk;
  }

  int prepare(WaveHeader* header) override { return PrepareWaveHeader(open_, header); }
  int unprepare(WaveHeader* header) override { return UnprepareWaveHeader(open_, header); }

  int write(WaveHeader* header) override {
    if (!open_) return kWaveInvalidHandle;
    if (!header) return kWaveInvalidParam;
    if (!(header->flags & kHeaderPrepared)) return kWaveUnprepared;
    header->flags = (header->flags & ~kHeaderDone) | kHeaderQueued;
    if (queue_.empty()) headStart_ = clock_->Now();
    queue_.push_back(header);
    Reschedule();
    return kWaveOk;
  }

  std::string errorText(int code) const override { return WaveErrorText(code); }

 private:
  Ticks Duration(const WaveHeader* h) const {
    const auto frames = static_cast<Ticks>(h->length / static_cast<std::uint32_t>(format_.blockAlign()));
    return frames * Lockstep::kTicksPerSecond / format_.samplesPerSecond;
  }

  Ticks NextDue() const {
    if (closing_ || !returned_.empty()) return clock_->Now();
    if (paused_ || queue_.empty()) return Lockstep::kNever;
    return headStart_ + Duration(queue_.front());
  }

  void Reschedule() {
    if (notifier_) clock_->Wake(notifier_, NextDue());
  }

  // Adds the head buffer's samples played up to `until` to the capture.
  void CaptureHead(Ticks until) {
    const WaveHeader* h = queue_.front();
    const int channels = format_.channels;
    const auto frames = static_cast<std::int64_t>(h->length / static_cast<std::uint32_t>(format_.blockAlign()));
    const std::int64_t first = SampleAt(headStart_);
    const std::int64_t played = std::min<std::int64_t>(frames, SampleAt(until) - first);
    for (std::int64_t i = 0; i < played; ++i) {
      std::int16_t l, r;
      std::memcpy(&l, h->data + (i * channels) * 2, 2);
      if (channels == 2) {
        std::memcpy(&r, h->data + (i * channels + 1) * 2, 2);
      } else {
        r = l;
      }
      capture_->Add(first + i, l, r);
    }
  }

  void NotifierLoop() {
    for (;;) {
      if (closing_) return;
      if (!returned_.empty()) {
        WaveHeader* h = returned_.front();
        returned_.pop_front();
        h->flags = (h->flags & ~kHeaderQueued) | kHeaderDone;
        callback_(instance_, h);
        continue;
      }
      if (!paused_ && !queue_.empty() && clock_->Now() >= headStart_ + Duration(queue_.front())) {
        CaptureHead(clock_->Now());
        WaveHeader* h = queue_.front();
        const Ticks end = headStart_ + Duration(h);
        queue_.pop_front();
        headStart_ = end;
        h->flags = (h->flags & ~kHeaderQueued) | kHeaderDone;
        callback_(instance_, h);
        continue;
      }
      clock_->SleepUntil(NextDue());
    }
  }

  std::shared_ptr<Lockstep> clock_;
  AudioCapture* capture_;
  const bool* fails_;
  PcmFormat format_;
  WaveDoneCallback callback_ = nullptr;
  void* instance_ = nullptr;
  bool open_ = false;
  bool paused_ = false;
  bool closing_ = false;
  int notifier_ = 0;
  std::deque<WaveHeader*> queue_;
  std::deque<WaveHeader*> returned_;
  Ticks headStart_ = 0;
  Ticks pausedAt_ = 0;
};

// ---------------------------------------------------------------------------
// Looping device: the loop plays from start() on; its position is a function
// of the virtual clock, and the clock's observer captures each sample at the
// moment it is played.
class HeadlessLoopingDevice final : public LoopingDevice {
 public:
  HeadlessLoopingDevice(std::shared_ptr<Lockstep> clock, AudioCapture* capture, const bool* fails)
      : clock_(std::move(clock)), capture_(capture), fails_(fails) {
    clock_->AddObserver([this](Ticks from, Ticks to) { Play(from, to); });
  }

  bool open(const PcmFormat& format) override {
    if (*fails_ || open_ || format.bitsPerSample != 16) return false;
    format_ = format;
    open_ = true;
    return true;
  }
  bool isOpen() const override { return open_; }

  bool start(const std::uint8_t* data, std::size_t bytes) override {
    const auto align = static_cast<std::size_t>(format_.blockAlign());
    if (!open_ || bytes < align) return false;
    loop_.assign(data, data + bytes - bytes % align);
    startSample_ = SampleAt(clock_->Now());
    capturedTo_ = startSample_;
    playing_ = true;
    return true;
  }

  void write(std::size_t offset, const std::uint8_t* data, std::size_t bytes) override {
    if (offset >= loop_.size()) return;
    bytes = std::min(bytes, loop_.size() - offset);
    std::memcpy(loop_.data() + offset, data, bytes);
  }

  std::uint64_t positionBytes() override {
    if (!playing_) return 0;
    return static_cast<std::uint64_t>(SampleAt(clock_->Now()) - startSample_) *
           static_cast<std::uint64_t>(format_.blockAlign());
  }

  void reset() override {
    playing_ = false;
    loop_.clear();
  }
  void close() override {
    reset();
    open_ = false;
  }

 private:
  void Play(Ticks, Ticks to) {
    if (!playing_ || loop_.empty()) return;
    const std::int64_t end = SampleAt(to);
    const int channels = format_.channels;
    const auto loopFrames = static_cast<std::int64_t>(loop_.size() / static_cast<std::size_t>(format_.blockAlign()));
    for (std::int64_t f = capturedTo_; f < end; ++f) {
      const std::int64_t at = (f - startSample_) % loopFrames;
      std::int16_t l, r;
      std::memcpy(&l, loop_.data() + (at * channels) * 2, 2);
      if (channels == 2) {
        std::memcpy(&r, loop_.data() + (at * channels + 1) * 2, 2);
      } else {
        r = l;
      }
      capture_->Add(f, l, r);
    }
    capturedTo_ = std::max(capturedTo_, end);
  }

  std::shared_ptr<Lockstep> clock_;
  AudioCapture* capture_;
  const bool* fails_;
  PcmFormat format_;
  bool open_ = false;
  bool playing_ = false;
  std::vector<std::uint8_t> loop_;
  std::int64_t startSample_ = 0;
  std::int64_t capturedTo_ = 0;
};

class HeadlessThreads final : public ThreadService {
 public:
  explicit HeadlessThreads(std::shared_ptr<Lockstep> clock) : clock_(std::move(clock)) {}
  Handle start(std::function<void()> body, bool) override { return clock_->Spawn(std::move(body)); }
  void join(Handle thread) override {
    if (thread != 0) clock_->Join(thread);
  }
  void sleepMs(int ms) override { clock_->SleepFor(static_cast<Ticks>(std::max(ms, 0)) * 441); }

 private:
  std::shared_ptr<Lockstep> clock_;
};

}  // namespace korveld::platform::headless
