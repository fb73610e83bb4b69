#include "platform/sound_output.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace korveld::platform {
namespace {

// Frames mixed at a time: the mix buffer is allocated once.
constexpr int kChunkFrames = 512;

bool PlayableFormat(const PcmFormat& f) {
  return f.bitsPerSample == 16 && f.channels >= 1 && f.channels <= 2 && f.samplesPerSecond == kSoundRate;
}

// One frame of 16-bit PCM, mono read as both sides.
void ReadFrame(const std::uint8_t* at, int channels, std::int32_t& left, std::int32_t& right) {
  std::int16_t l, r;
  std::memcpy(&l, at, 2);
  if (channels == 2) {
    std::memcpy(&r, at + 2, 2);
  } else {
    r = l;
  }
  left = l;
  right = r;
}

// The fade-in: frame k of a starting sound is scaled by k / kRampFrames.
void RampIn(int& rampIn, std::int32_t& left, std::int32_t& right) {
  if (rampIn >= kRampFrames) return;
  left = left * rampIn / kRampFrames;
  right = right * rampIn / kRampFrames;
  ++rampIn;
}

}  // namespace

struct SoundOutput::Queue {
  bool open = false;
  bool paused = false;
  int channels = 1;
  WaveDoneCallback callback = nullptr;
  void* instance = nullptr;
  std::deque<WaveHeader*> playing;
  std::uint32_t headOffset = 0;  // bytes of the front buffer already played
  std::deque<WaveHeader*> finished;
  bool inCallback = false;
  int rampIn = 0;
  bool fed = false;  // a buffer came since the last pause or reset: running dry now is an underrun
  // The last frame played, before any ramp; 0 once the queue has run dry.
  std::int32_t lastLeft = 0, lastRight = 0;
  std::uint32_t align() const { return static_cast<std::uint32_t>(2 * channels); }
};

struct SoundOutput::Loop {
  bool open = false;
  bool playing = false;
  int channels = 2;
  std::vector<std::uint8_t> data;
  std::size_t frames = 0;
  std::size_t read = 0;  // the next frame to play
  int rampIn = 0;
  std::int64_t startPulled = 0;  // the stream's frame count at start()
  // Frames since start() whose data is this lap's: the first lap, then as
  // far as the player has rewritten the loop in order. Once it rewrites at
  // all, playing past this replays stale audio.
  std::int64_t fresh = 0;
  bool rewritten = false;
  bool stale = false;  // behind now (counted when it fell behind)
  std::size_t align() const { return static_cast<std::size_t>(2 * channels); }
};

// ---------------------------------------------------------------------------
class QueueDevice final : public BufferQueueDevice {
 public:
  explicit QueueDevice(SoundOutput& o) : o_(o), q_(*o.queue_) {}

  int open(const PcmFormat& format, WaveDoneCallback callback, void* instance) override {
    if (IsOpen()) return kWaveError;
    if (!PlayableFormat(format)) return kWaveBadFormat;
    if (!o_.EnsureSink()) return kWaveBadDevice;
    o_.EnsureCompletionThread();
    std::lock_guard<std::mutex> lock(o_.mutex_);
    q_.open = true;
    q_.paused = false;
    q_.channels = format.channels;
    q_.callback = callback;
    q_.instance = instance;
    q_.headOffset = 0;
    q_.rampIn = 0;
    q_.lastLeft = q_.lastRight = 0;
    return kWaveOk;
  }

  int pause() override {
    std::lock_guard<std::mutex> lock(o_.mutex_);
    if (!q_.open) return kWaveInvalidHandle;
    if (!q_.paused) o_.FadeQueue();
    q_.paused = true;
    q_.fed = false;
    return kWaveOk;
  }

  // A tune starts here: a sink that died meanwhile is opened again.
  int restart() override {
    if (!IsOpen()) return kWaveInvalidHandle;
    o_.EnsureSink();
    {
      std::lock_guard<std::mutex> lock(o_.mutex_);
      q_.paused = false;
    }
    o_.completions_.Wake();
    return kWaveOk;
  }

  int reset() override {
    std::unique_lock<std::mutex> lock(o_.mutex_);
    if (!q_.open) return kWaveInvalidHandle;
    if (!q_.paused) o_.FadeQueue();
    for (WaveHeader* h : q_.playing) q_.finished.push_back(h);
    q_.playing.clear();
    q_.headOffset = 0;
    q_.fed = false;
    lock.unlock();
    o_.completions_.Wake();
    lock.lock();
    o_.completions_.WaitForHandBack(lock, [this] { return q_.finished.empty() && !q_.inCallback; });
    return kWaveOk;
  }

  int close() override {
    std::lock_guard<std::mutex> lock(o_.mutex_);
    if (!q_.open) return kWaveInvalidHandle;
    if (!q_.playing.empty()) return kWaveStillPlaying;
    q_.open = false;
    return kWaveOk;
  }

  int prepare(WaveHeader* header) override { return PrepareWaveHeader(IsOpen(), header); }
  int unprepare(WaveHeader* header) override { return UnprepareWaveHeader(IsOpen(), header); }

  int write(WaveHeader* header) override {
    {
      std::lock_guard<std::mutex> lock(o_.mutex_);
      if (!q_.open) return kWaveInvalidHandle;
      if (!header) return kWaveInvalidParam;
      if (!(header->flags & kHeaderPrepared)) return kWaveUnprepared;
      header->flags = (header->flags & ~kHeaderDone) | kHeaderQueued;
      q_.playing.push_back(header);
      q_.fed = true;
    }
    o_.completions_.Wake();
    return kWaveOk;
  }

 private:
  bool IsOpen() const {
    std::lock_guard<std::mutex> lock(o_.mutex_);
    return q_.open;
  }

  SoundOutput& o_;
  SoundOutput::Queue& q_;
};

// ---------------------------------------------------------------------------
class LoopDevice final : public LoopingDevice {
 public:
  explicit LoopDevice(SoundOutput& o) : o_(o), l_(*o.loop_) {}

  // A tune starts here: a sink that died meanwhile is opened again.
  bool open(const PcmFormat& format) override {
    {
      std::lock_guard<std::mutex> lock(o_.mutex_);
      if (l_.open) return false;
    }
    if (!PlayableFormat(format) || !o_.EnsureSink()) return false;
    std::lock_guard<std::mutex> lock(o_.mutex_);
    l_.open = true;
    l_.playing = false;
    l_.channels = format.channels;
    return true;
  }

  bool start(const std::uint8_t* data, std::size_t bytes) override {
    std::lock_guard<std::mutex> lock(o_.mutex_);
    if (!l_.open || bytes < l_.align()) return false;
    if (l_.playing) o_.FadeLoop();
    l_.data.assign(data, data + (bytes - bytes % l_.align()));
    l_.frames = l_.data.size() / l_.align();
    l_.read = 0;
    l_.rampIn = 0;
    l_.startPulled = o_.pulled_.load(std::memory_order_relaxed);
    l_.fresh = static_cast<std::int64_t>(l_.frames);
    l_.rewritten = l_.stale = false;
    l_.playing = true;
    return true;
  }

  void write(std::size_t offset, const std::uint8_t* data, std::size_t bytes) override {
    std::lock_guard<std::mutex> lock(o_.mutex_);
    if (!l_.playing || offset >= l_.data.size()) return;
    const std::size_t n = std::min(bytes, l_.data.size() - offset);
    std::memcpy(l_.data.data() + offset, data, n);
    if (offset / l_.align() == static_cast<std::size_t>(l_.fresh) % l_.frames) {
      l_.fresh += static_cast<std::int64_t>(n / l_.align());
      l_.rewritten = true;
    }
  }

  // What the listener has heard: the frames pulled since start() less those
  // still in the sink's buffers.
  std::uint64_t positionBytes() override {
    const std::int64_t latency = o_.sink_.LatencyFrames();
    std::lock_guard<std::mutex> lock(o_.mutex_);
    if (!l_.playing) return 0;
    const std::int64_t heard = o_.pulled_.load(std::memory_order_relaxed) - l_.startPulled - latency;
    return static_cast<std::uint64_t>(std::max<std::int64_t>(heard, 0)) * l_.align();
  }

  void reset() override {
    std::lock_guard<std::mutex> lock(o_.mutex_);
    o_.FadeLoop();
  }

  void close() override {
    reset();
    std::lock_guard<std::mutex> lock(o_.mutex_);
    l_.open = false;
  }

 private:
  SoundOutput& o_;
  SoundOutput::Loop& l_;
};

// ---------------------------------------------------------------------------
SoundOutput::SoundOutput(SoundSink& sink, CompletionThread& completions)
    : sink_(sink), completions_(completions), queue_(std::make_unique<Queue>()), loop_(std::make_unique<Loop>()) {
  queueDevice_ = std::make_unique<QueueDevice>(*this);
  loopDevice_ = std::make_unique<LoopDevice>(*this);
  mix_.resize(2 * kChunkFrames);
}

SoundOutput::~SoundOutput() { Shutdown(); }

BufferQueueDevice& SoundOutput::queue() { return *queueDevice_; }
LoopingDevice& SoundOutput::looping() { return *loopDevice_; }

bool SoundOutput::EnsureSink() {
  const bool lost = sinkRunning_ && sink_.Lost();
  if (lost) {
    sink_.Stop();
    sinkRunning_ = false;
  }
  if (!sinkRunning_) {
    sinkRunning_ = sink_.Start(*this);
    if (lost && sinkRunning_) std::fprintf(stderr, "korveld: the sound device had stopped; it plays again\n");
  }
  return sinkRunning_;
}

void SoundOutput::EnsureCompletionThread() {
  if (completionRunning_) return;
  completionRunning_ = true;
  completions_.Start([this] { CompletionLoop(); });
}

std::int64_t SoundOutput::QueueDue() const {
  const Queue& q = *queue_;
  if (!q.open || q.paused || q.playing.empty()) return kNoDue;
  const WaveHeader* h = q.playing.front();
  const std::uint32_t left = h->length > q.headOffset ? h->length - q.headOffset : 0;
  return pulled_.load(std::memory_order_relaxed) + (left + q.align() - 1) / q.align();
}

void SoundOutput::CompletionLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  Queue& q = *queue_;
  for (;;) {
    if (!q.finished.empty()) {
      WaveHeader* h = q.finished.front();
      q.finished.pop_front();
      h->flags = (h->flags & ~kHeaderQueued) | kHeaderDone;
      q.inCallback = true;
      const WaveDoneCallback callback = q.callback;
      void* instance = q.instance;
      lock.unlock();
      callback(instance, h);
      lock.lock();
      q.inCallback = false;
      lock.unlock();
      completions_.Wake();  // a reset may be waiting for the hand-back
      lock.lock();
      continue;
    }
    if (quit_) return;
    completions_.WaitForWork(lock, QueueDue(), [&] { return quit_ || !q.finished.empty(); });
  }
}

void SoundOutput::FadeQueue() {
  Queue& q = *queue_;
  std::deque<WaveHeader*> playing = q.playing;
  std::uint32_t offset = q.headOffset;
  std::int32_t holdLeft = q.lastLeft, holdRight = q.lastRight;
  AddFade(
      [&](std::int32_t& left, std::int32_t& right) {
        // The frames the queue would have played; past its end, the last one held.
        while (!playing.empty() && offset + q.align() > playing.front()->length) {
          playing.pop_front();
          offset = 0;
        }
        if (!playing.empty()) {
          ReadFrame(playing.front()->data + offset, q.channels, holdLeft, holdRight);
          offset += q.align();
        }
        left = holdLeft;
        right = holdRight;
      },
      q.rampIn);
  q.rampIn = 0;
  q.lastLeft = q.lastRight = 0;
}

void SoundOutput::FadeLoop() {
  Loop& l = *loop_;
  if (!l.playing) return;
  std::size_t read = l.read;
  AddFade(
      [&](std::int32_t& left, std::int32_t& right) {
        ReadFrame(l.data.data() + read * l.align(), l.channels, left, right);
        read = read + 1 == l.frames ? 0 : read + 1;
      },
      l.rampIn);
  l.playing = false;
}

void SoundOutput::AddFade(const std::function<void(std::int32_t&, std::int32_t&)>& next, int rampIn) {
  constexpr std::int64_t kScale = std::int64_t{kRampFrames} * kRampFrames;
  for (int n = 0; n < kRampFrames; ++n) {
    std::int32_t left, right;
    next(left, right);
    // The gain the frame would have had (still ramping in, or 1), falling
    // to 1/kRampFrames at the last frame of the fade.
    const std::int64_t gain = std::int64_t{std::min(rampIn + n, kRampFrames)} * (kRampFrames - n);
    const int at = 2 * ((fadeAt_ + n) % kRampFrames);
    fade_[at] += static_cast<std::int32_t>(left * gain / kScale);
    fade_[at + 1] += static_cast<std::int32_t>(right * gain / kScale);
  }
  fadeLeft_ = kRampFrames;
}

bool SoundOutput::Pull(std::int16_t* out, int frames, std::chrono::milliseconds refill) {
  std::unique_lock<std::mutex> lock(mutex_);
  Queue& q = *queue_;
  Loop& l = *loop_;
  bool finished = false;
  for (int done = 0; done < frames;) {
    const int n = std::min(frames - done, kChunkFrames);
    std::fill_n(mix_.begin(), 2 * n, 0);
    int i = 0;
    if (q.open && !q.paused) {
      for (;;) {
        while (i < n && !q.playing.empty()) {
          WaveHeader* h = q.playing.front();
          for (; i < n && q.headOffset + q.align() <= h->length; ++i, q.headOffset += q.align()) {
            ReadFrame(h->data + q.headOffset, q.channels, q.lastLeft, q.lastRight);
            std::int32_t left = q.lastLeft, right = q.lastRight;
            if (q.rampIn == kRampFrames - 1) queueFullAt_.store(pulled_.load(std::memory_order_relaxed) + i + 1);
            RampIn(q.rampIn, left, right);
            mix_[2 * i] += left;
            mix_[2 * i + 1] += right;
          }
          if (q.headOffset + q.align() > h->length) {
            q.playing.pop_front();
            q.finished.push_back(h);
            q.headOffset = 0;
            finished = true;
          }
        }
        const bool handingBack = !q.finished.empty() || q.inCallback;
        if (i == n || !q.fed || !handingBack || refill.count() <= 0) break;
        completions_.Wake();
        completions_.WaitForRefill(lock, refill, [&] {
          return !q.playing.empty() || q.paused || (q.finished.empty() && !q.inCallback);
        });
        refill = {};  // once per pull: a player that stopped queueing costs one wait
        if (q.paused) break;
      }
      if (i < n) {
        q.lastLeft = q.lastRight = 0;
        if (std::exchange(q.fed, false)) queueDry_.fetch_add(1, std::memory_order_relaxed);
      }
    }
    if (l.playing && l.frames > 0) {
      const std::int64_t played = pulled_.load(std::memory_order_relaxed) - l.startPulled + n;
      if (l.rewritten) {
        const bool behind = played > l.fresh;
        if (behind && !l.stale) loopStale_.fetch_add(1, std::memory_order_relaxed);
        l.stale = behind;
      }
      for (i = 0; i < n; ++i) {
        std::int32_t left, right;
        ReadFrame(l.data.data() + l.read * l.align(), l.channels, left, right);
        RampIn(l.rampIn, left, right);
        mix_[2 * i] += left;
        mix_[2 * i + 1] += right;
        l.read = l.read + 1 == l.frames ? 0 : l.read + 1;
      }
    }
    for (i = 0; i < n && fadeLeft_ > 0; ++i, --fadeLeft_) {
      mix_[2 * i] += std::exchange(fade_[2 * fadeAt_], 0);
      mix_[2 * i + 1] += std::exchange(fade_[2 * fadeAt_ + 1], 0);
      fadeAt_ = (fadeAt_ + 1) % kRampFrames;
    }
    for (i = 0; i < 2 * n; ++i) out[2 * done + i] = static_cast<std::int16_t>(std::clamp(mix_[i], -32768, 32767));
    done += n;
    pulled_.fetch_add(n, std::memory_order_release);
  }
  return finished;
}

void SoundOutput::WakeCompletions() { completions_.Wake(); }

void SoundOutput::CountUnderrun() {
  std::lock_guard<std::mutex> lock(mutex_);
  const Queue& q = *queue_;
  if ((q.open && !q.paused && q.fed) || loop_->playing) deviceLate_.fetch_add(1, std::memory_order_relaxed);
}

void SoundOutput::Drain() {
  if (!sinkRunning_) return;
  std::int64_t until;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Queue& q = *queue_;
    if (q.open && !q.paused) {
      FadeQueue();
      q.paused = true;
    }
    FadeLoop();
    until = pulled_.load(std::memory_order_relaxed) + fadeLeft_;
  }
  sink_.Drain(until);
}

void SoundOutput::Shutdown() {
  Drain();
  if (sinkRunning_) {
    sink_.Stop();
    sinkRunning_ = false;
  }
  if (completionRunning_) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    completions_.Wake();
    completions_.Join();
    completionRunning_ = false;
  }
}

}  // namespace korveld::platform
