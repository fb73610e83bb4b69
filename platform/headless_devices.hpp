// The headless backend's sound and threads on the virtual clock: the sound
// capture, the sink and completion thread of the sound output, and the
// thread service. Used by HeadlessPlatform (platform/headless.cpp) only.
#pragma once

#include <algorithm>
#include <array>
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
#include "platform/sound_output.hpp"

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

// The sink of the headless backend: the clock's observer pulls every frame
// at the virtual moment it is played and adds it to the capture. Nothing is
// buffered, so what is pulled has been heard.
class HeadlessSink final : public SoundSink {
 public:
  HeadlessSink(std::shared_ptr<Lockstep> clock, AudioCapture* capture, const bool* fails)
      : clock_(std::move(clock)), capture_(capture), fails_(fails) {
    clock_->AddObserver([this](Ticks, Ticks to) { Play(to); });
  }

  bool Start(SoundOutput& output) override {
    if (*fails_) return false;
    output_ = &output;
    base_ = SampleAt(clock_->Now()) - output.PulledFrames();
    running_ = true;
    return true;
  }
  void Stop() override { running_ = false; }
  bool Lost() override { return false; }
  std::int64_t LatencyFrames() override { return 0; }
  void Drain(std::int64_t until) override {
    if (running_) clock_->SleepUntil(TicksOf(until));
  }

  // The virtual time at which the stream has been pulled to frame `frame`.
  Ticks TicksOf(std::int64_t frame) const { return (base_ + frame) * Lockstep::kTicksPerSample; }

 private:
  // Runs inside the clock's hand-over: pulls up to the new time; the
  // completion thread wakes by the clock, not from here.
  void Play(Ticks to) {
    if (!running_) return;
    const std::int64_t end = SampleAt(to);
    for (std::int64_t at = base_ + output_->PulledFrames(); at < end;) {
      const int n = static_cast<int>(std::min<std::int64_t>(end - at, kPullFrames));
      output_->Pull(block_.data(), n);
      for (int i = 0; i < n; ++i) capture_->Add(at + i, block_[2 * i], block_[2 * i + 1]);
      at += n;
    }
  }

  static constexpr int kPullFrames = 1024;
  std::shared_ptr<Lockstep> clock_;
  AudioCapture* capture_;
  const bool* fails_;
  SoundOutput* output_ = nullptr;
  bool running_ = false;
  std::int64_t base_ = 0;  // the absolute frame of the stream's frame 0
  std::array<std::int16_t, 2 * kPullFrames> block_{};
};

// The completion thread as a participant of the clock: it sleeps until the
// moment the head buffer has been played, or until woken.
class LockstepCompletionThread final : public CompletionThread {
 public:
  LockstepCompletionThread(std::shared_ptr<Lockstep> clock, const HeadlessSink& sink)
      : clock_(std::move(clock)), sink_(sink) {}
  void Start(std::function<void()> body) override { id_ = clock_->Spawn(std::move(body)); }
  void Join() override {
    if (id_ != 0) clock_->Join(id_);
    id_ = 0;
  }
  void WaitForWork(std::unique_lock<std::mutex>& lock, std::int64_t due, const std::function<bool()>& ready) override {
    if (ready()) return;
    lock.unlock();
    clock_->SleepUntil(due == kNoDue ? Lockstep::kNever : sink_.TicksOf(due));
    lock.lock();
  }
  void WaitForHandBack(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready) override {
    while (!ready()) {
      lock.unlock();
      clock_->SleepFor(0);  // the completion thread, woken for now, runs first
      lock.lock();
    }
  }
  void Wake() override {
    if (id_ != 0) clock_->Wake(id_, clock_->Now());
  }

 private:
  std::shared_ptr<Lockstep> clock_;
  const HeadlessSink& sink_;
  int id_ = 0;
};

class HeadlessThreads final : public ThreadService {
 public:
  explicit HeadlessThreads(std::shared_ptr<Lockstep> clock) : clock_(std::move(clock)) {}
  Handle start(std::function<void()> body) override { return clock_->Spawn(std::move(body)); }
  void join(Handle thread) override {
    if (thread != 0) clock_->Join(thread);
  }
  void sleepMs(int ms) override { clock_->SleepFor(static_cast<Ticks>(std::max(ms, 0)) * 441); }

 private:
  std::shared_ptr<Lockstep> clock_;
};

}  // namespace korveld::platform::headless
