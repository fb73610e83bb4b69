// The program's one sound stream: the buffer-queue device (the intro's C64
// tunes) and the looping device (the viewer's modules), written once for
// every backend, summed into 44100 Hz 16-bit stereo.
//
// A backend supplies only a sink that moves samples: it pulls the stream in
// blocks of its own size, on its own thread or clock. Everything else lives
// here: the queue's order and hand-back, the loop's copy and position, the
// short ramps where the program starts or stops a sound, and reopening a
// sink that died. Between ramps the stream is the players' samples, summed
// and saturated, bit for bit.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio.hpp"

namespace korveld::platform {

inline constexpr int kSoundRate = 44100;
// A sound the program starts or stops fades in or out over this many frames
// (5.8 ms): short enough to keep every note's attack, long enough that the
// step between two samples is a 256th of the signal.
inline constexpr int kRampFrames = 256;
inline constexpr std::int64_t kNoDue = -1;

class SoundOutput;

// A backend's end of the stream.
class SoundSink {
 public:
  virtual ~SoundSink() = default;
  // Starts pulling from `output` on the sink's own thread or clock; false
  // (with one line on stderr) when no device can be opened.
  virtual bool Start(SoundOutput& output) = 0;
  virtual void Stop() = 0;
  // True once a started stream has died (device removed, server gone).
  virtual bool Lost() = 0;
  // Frames pulled that the listener has not heard yet.
  virtual std::int64_t LatencyFrames() = 0;
  // Waits until the stream has been pulled to frame `until` and the
  // listener has heard it (bounded: a stalled device does not hold the exit).
  virtual void Drain(std::int64_t until) = 0;
};

// The thread that hands finished buffers back, and how threads wait for it:
// on real time, woken by the sink's pulls, or on the virtual clock.
class CompletionThread {
 public:
  virtual ~CompletionThread() = default;
  virtual void Start(std::function<void()> body) = 0;
  virtual void Join() = 0;
  // On the completion thread with `lock` held: waits until `ready()`, or
  // until the stream has been pulled to frame `due` (kNoDue: no such time).
  virtual void WaitForWork(std::unique_lock<std::mutex>& lock, std::int64_t due,
                           const std::function<bool()>& ready) = 0;
  // On another thread with `lock` held: lets the completion thread run until
  // `ready()`.
  virtual void WaitForHandBack(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready) = 0;
  // There is new work for the completion thread (called without the lock).
  virtual void Wake() = 0;
  // On the sink's thread with `lock` held: waits at most `limit` until
  // `ready()`. A thread on a virtual clock does not wait.
  virtual void WaitForRefill(std::unique_lock<std::mutex>&, std::chrono::milliseconds,
                             const std::function<bool()>&) {}
};

class SoundOutput {
 public:
  SoundOutput(SoundSink& sink, CompletionThread& completions);
  ~SoundOutput();
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

  BufferQueueDevice& queue();
  LoopingDevice& looping();

  // The sink's side: the next `frames` frames, interleaved left and right.
  // Returns true when a queued buffer finished: the sink then calls
  // WakeCompletions() (the headless sink need not: its completion thread
  // wakes by the clock). A sink with audio to spare in its device passes
  // `refill`: when the queue runs dry while its player is being handed a
  // buffer back, the pull waits up to that long for the player to queue
  // the next, rather than play silence (a pull of a whole device buffer
  // can outrun the player's two buffers).
  bool Pull(std::int16_t* out, int frames, std::chrono::milliseconds refill = {});
  void WakeCompletions();
  std::int64_t PulledFrames() const { return pulled_.load(std::memory_order_acquire); }
  // The stream frame where the queue's newest sound reached full level (its
  // fade-in ended), -1 before any: from there on the stream is the player's
  // samples as rendered.
  std::int64_t QueueFullLevelAt() const { return queueFullAt_.load(); }
  // Times the stream had nothing new to play while a sound was on: the queue
  // ran dry under a playing tune, or the loop came round to a part its
  // player had not yet rewritten. Each spell counts once.
  struct Underruns {
    std::int64_t queue = 0, loop = 0, device = 0;
    std::int64_t total() const { return queue + loop + device; }
  };
  Underruns CountedUnderruns() const {
    return {queueDry_.load(std::memory_order_relaxed), loopStale_.load(std::memory_order_relaxed),
            deviceLate_.load(std::memory_order_relaxed)};
  }
  // A sink that knows its device ran dry (the callback came too late) adds
  // it; counted only while a sound plays (a gap in silence is not heard).
  void CountUnderrun();

  // Fades out whatever still sounds and waits until the fades have been
  // heard; the program's last sound before the window closes.
  void Drain();
  // Drain, then the sink stops and the completion thread ends.
  void Shutdown();

  struct Queue;
  struct Loop;

 private:
  friend class QueueDevice;
  friend class LoopDevice;
  // Main thread: a running, healthy sink, started (or restarted after a
  // loss) on demand. False when no device can be opened.
  bool EnsureSink();
  void EnsureCompletionThread();
  void CompletionLoop();
  // With mutex_ held: the next kRampFrames frames a source would have
  // played, fading from its present gain to silence, go into the fade ring.
  void AddFade(const std::function<void(std::int32_t& left, std::int32_t& right)>& next, int rampIn);
  // With mutex_ held: fade the queue's or the loop's next frames out; the
  // next sound from that source fades in.
  void FadeQueue();
  void FadeLoop();
  std::int64_t QueueDue() const;  // with mutex_ held

  SoundSink& sink_;
  CompletionThread& completions_;
  bool sinkRunning_ = false;  // main thread only
  bool completionRunning_ = false;
  bool quit_ = false;

  mutable std::mutex mutex_;
  std::unique_ptr<Queue> queue_;  // state guarded by mutex_
  std::unique_ptr<Loop> loop_;
  std::unique_ptr<BufferQueueDevice> queueDevice_;
  std::unique_ptr<LoopingDevice> loopDevice_;
  std::array<std::int32_t, 2 * kRampFrames> fade_{};  // ring of fading tails, from fadeAt_
  int fadeAt_ = 0;
  int fadeLeft_ = 0;  // frames until the fade ring is silent again
  std::atomic<std::int64_t> pulled_{0};
  std::atomic<std::int64_t> queueFullAt_{-1};
  std::atomic<std::int64_t> queueDry_{0}, loopStale_{0}, deviceLate_{0};
  std::vector<std::int32_t> mix_;
};

}  // namespace korveld::platform
