#include "platform/sdl_audio.hpp"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
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

// The audio subsystem is started with the first device and kept until exit.
bool EnsureAudio() {
  if (SDL_WasInit(SDL_INIT_AUDIO)) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "korveld: no sound: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

SDL_AudioDeviceID OpenDevice(const PcmFormat& format, SDL_AudioCallback callback, void* user) {
  if (!EnsureAudio()) return 0;
  SDL_AudioSpec want{};
  want.freq = format.samplesPerSecond;
  want.format = AUDIO_S16LSB;
  want.channels = static_cast<Uint8>(format.channels);
  want.samples = 1024;
  want.callback = callback;
  want.userdata = user;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (dev == 0) std::fprintf(stderr, "korveld: cannot open the sound device: %s\n", SDL_GetError());
  return dev;
}

// ---------------------------------------------------------------------------
class SdlQueueDevice final : public BufferQueueDevice {
 public:
  ~SdlQueueDevice() override {
    if (dev_) {
      reset();
      close();
    }
  }

  int open(const PcmFormat& format, WaveDoneCallback callback, void* instance) override {
    if (dev_) return kWaveError;
    if (format.bitsPerSample != 16) return kWaveBadFormat;
    format_ = format;
    finished_.callback = callback;
    finished_.instance = instance;
    quit_ = false;
    dev_ = OpenDevice(format, &SdlQueueDevice::Fill, this);
    if (!dev_) return kWaveBadDevice;
    notifier_ = std::thread([this] { NotifierLoop(); });
    SDL_PauseAudioDevice(dev_, 0);
    return kWaveOk;
  }

  bool isOpen() const override { return dev_ != 0; }

  int pause() override {
    if (!dev_) return kWaveInvalidHandle;
    SDL_PauseAudioDevice(dev_, 1);
    return kWaveOk;
  }

  int restart() override {
    if (!dev_) return kWaveInvalidHandle;
    SDL_PauseAudioDevice(dev_, 0);
    return kWaveOk;
  }

  int reset() override {
    if (!dev_) return kWaveInvalidHandle;
    SDL_LockAudioDevice(dev_);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (WaveHeader* h : queue_) finished_.queue.push_back(h);
    }
    queue_.clear();
    headOffset_ = 0;
    SDL_UnlockAudioDevice(dev_);
    finished_.changed.notify_all();
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.WaitUntilHandedBack(lock);
    return kWaveOk;
  }

  int close() override {
    if (!dev_) return kWaveInvalidHandle;
    SDL_LockAudioDevice(dev_);
    const bool busy = !queue_.empty();
    SDL_UnlockAudioDevice(dev_);
    if (busy) return kWaveStillPlaying;
    SDL_CloseAudioDevice(dev_);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    finished_.changed.notify_all();
    if (notifier_.joinable()) notifier_.join();
    dev_ = 0;
    return kWaveOk;
  }

  int prepare(WaveHeader* header) override { return PrepareWaveHeader(dev_ != 0, header); }
  int unprepare(WaveHeader* header) override { return UnprepareWaveHeader(dev_ != 0, header); }

  int write(WaveHeader* header) override {
    if (!dev_) return kWaveInvalidHandle;
    if (!header) return kWaveInvalidParam;
    if (!(header->flags & kHeaderPrepared)) return kWaveUnprepared;
    header->flags = (header->flags & ~kHeaderDone) | kHeaderQueued;
    SDL_LockAudioDevice(dev_);
    queue_.push_back(header);
    SDL_UnlockAudioDevice(dev_);
    return kWaveOk;
  }

  std::string errorText(int code) const override { return WaveErrorText(code); }

 private:
  // SDL's audio thread, under the device lock: play queued buffers back to
  // back, silence when none is queued.
  static void SDLCALL Fill(void* user, Uint8* stream, int len) {
    auto* self = static_cast<SdlQueueDevice*>(user);
    int at = 0;
    while (at < len) {
      if (self->queue_.empty()) {
        std::memset(stream + at, 0, static_cast<std::size_t>(len - at));
        break;
      }
      WaveHeader* h = self->queue_.front();
      const std::size_t left = h->length - self->headOffset_;
      const std::size_t n = std::min<std::size_t>(left, static_cast<std::size_t>(len - at));
      std::memcpy(stream + at, h->data + self->headOffset_, n);
      at += static_cast<int>(n);
      self->headOffset_ += n;
      if (self->headOffset_ >= h->length) {
        self->queue_.pop_front();
        self->headOffset_ = 0;
        {
          std::lock_guard<std::mutex> lock(self->mutex_);
          self->finished_.queue.push_back(h);
        }
        self->finished_.changed.notify_all();
      }
    }
  }

  void NotifierLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      finished_.changed.wait(lock, [&] { return quit_ || !finished_.queue.empty(); });
      if (!finished_.HandBackOne(lock)) return;  // quit with nothing left
    }
  }

  SDL_AudioDeviceID dev_ = 0;
  PcmFormat format_;
  std::deque<WaveHeader*> queue_;  // guarded by the SDL device lock
  std::size_t headOffset_ = 0;
  std::mutex mutex_;
  FinishedBuffers finished_;  // guarded by mutex_
  bool quit_ = false;
  std::thread notifier_;
};

// ---------------------------------------------------------------------------
class SdlLoopingDevice final : public LoopingDevice {
 public:
  ~SdlLoopingDevice() override { close(); }

  bool open(const PcmFormat& format) override {
    if (dev_ || format.bitsPerSample != 16) return false;
    format_ = format;
    dev_ = OpenDevice(format, &SdlLoopingDevice::Fill, this);
    return dev_ != 0;
  }
  bool isOpen() const override { return dev_ != 0; }

  bool start(const std::uint8_t* data, std::size_t bytes) override {
    if (!dev_ || bytes == 0) return false;
    SDL_LockAudioDevice(dev_);
    loop_.assign(data, data + bytes);
    readAt_ = 0;
    played_.store(0, std::memory_order_relaxed);
    SDL_UnlockAudioDevice(dev_);
    SDL_PauseAudioDevice(dev_, 0);
    return true;
  }

  void write(std::size_t offset, const std::uint8_t* data, std::size_t bytes) override {
    if (!dev_) return;
    SDL_LockAudioDevice(dev_);
    if (offset < loop_.size()) std::memcpy(loop_.data() + offset, data, std::min(bytes, loop_.size() - offset));
    SDL_UnlockAudioDevice(dev_);
  }

  std::uint64_t positionBytes() override { return played_.load(std::memory_order_acquire); }

  void reset() override {
    if (!dev_) return;
    SDL_PauseAudioDevice(dev_, 1);
    SDL_LockAudioDevice(dev_);
    loop_.clear();
    readAt_ = 0;
    SDL_UnlockAudioDevice(dev_);
  }

  void close() override {
    if (!dev_) return;
    SDL_CloseAudioDevice(dev_);
    dev_ = 0;
    loop_.clear();
  }

 private:
  static void SDLCALL Fill(void* user, Uint8* stream, int len) {
    auto* self = static_cast<SdlLoopingDevice*>(user);
    if (self->loop_.empty()) {
      std::memset(stream, 0, static_cast<std::size_t>(len));
      return;
    }
    int at = 0;
    while (at < len) {
      const std::size_t n = std::min<std::size_t>(self->loop_.size() - self->readAt_, static_cast<std::size_t>(len - at));
      std::memcpy(stream + at, self->loop_.data() + self->readAt_, n);
      self->readAt_ = (self->readAt_ + n) % self->loop_.size();
      at += static_cast<int>(n);
    }
    self->played_.fetch_add(static_cast<std::uint64_t>(len), std::memory_order_release);
  }

  SDL_AudioDeviceID dev_ = 0;
  PcmFormat format_;
  std::vector<std::uint8_t> loop_;  // guarded by the SDL device lock
  std::size_t readAt_ = 0;
  std::atomic<std::uint64_t> played_{0};
};


}  // namespace

struct SdlAudio::Impl {
  SdlQueueDevice queue;
  SdlLoopingDevice looping;
  // Raising the priority needs rights we may not have; without them the
  // thread runs at normal priority and the two-second buffer absorbs it.
  SystemThreads threads{[] { SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL); }};
  std::atomic<SDL_Window*> window{nullptr};
};

SdlAudio::SdlAudio() : impl_(std::make_unique<Impl>()) {}
SdlAudio::~SdlAudio() = default;
BufferQueueDevice& SdlAudio::queue() { return impl_->queue; }
LoopingDevice& SdlAudio::looping() { return impl_->looping; }
ThreadService& SdlAudio::threads() { return impl_->threads; }
void SdlAudio::SetWindow(SDL_Window* window) { impl_->window.store(window); }

void SdlAudio::ShowError(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "korveld: %s: %s\n", caption.c_str(), text.c_str());
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), impl_->window.load()) != 0) {
    // No parent possible (or no display): try a free-standing box once more.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr);
  }
}

void SdlAudio::CloseAll() {
  if (impl_->queue.isOpen()) {
    impl_->queue.reset();
    impl_->queue.close();
  }
  impl_->looping.close();
}

}  // namespace korveld::platform
