#include "platform/sdl_audio.hpp"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "platform/sound_output.hpp"
#include "platform/system_threads.hpp"

namespace korveld::platform {
namespace {

// Frames SDL asks for at a time: 4096 frames, 93 ms.
constexpr int kDeviceFrames = 4096;
// What a PulseAudio server holds for us. SDL asks it to hold about one
// device buffer (93 ms) and calls back only when the server asks for more;
// on a loaded machine the server's requests (and SDL's thread) can stall for
// 150 to 500 ms, and each stall longer than what it holds is a gap. Told to
// hold 500 ms, the server has about 300 ms to play on through such a stall.
// A music program needs no shorter delay; what the spectrum bars show is
// corrected by it (see LatencyFrames). A latency the user set is kept.
constexpr const char* kServerLatencyMs = "500";
// A callback that finds the tune's queue dry while its player is refilling
// waits this long for it: the server has far more than this to play.
constexpr std::chrono::milliseconds kRefillWait{60};
// A device whose callback has not come for this long has stopped.
constexpr std::int64_t kSilentDeviceNs = 2'000'000'000;
// At the end, the last sounds get this long to play out (the server's hold
// and the fade).
constexpr auto kDrainLimit = std::chrono::milliseconds(700);

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The server's hold in frames, as the environment sets it now.
std::int64_t ServerHoldFrames() {
  const char* ms = std::getenv("PULSE_LATENCY_MSEC");
  const long value = ms ? std::strtol(ms, nullptr, 10) : 0;
  return value > 0 ? std::int64_t{value} * kSoundRate / 1000 : 0;
}

// The audio subsystem is started with the first device and kept until exit.
bool EnsureAudio() {
  if (SDL_WasInit(SDL_INIT_AUDIO)) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "korveld: no sound: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

class SdlSink final : public SoundSink {
 public:
  bool Start(SoundOutput& output) override {
    if (!EnsureAudio()) return false;
    output_ = &output;
    SDL_AudioSpec want{};
    want.freq = kSoundRate;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = kDeviceFrames;
    want.callback = &SdlSink::Fill;
    want.userdata = this;
    SDL_AudioSpec have{};
    dev_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (dev_ == 0) {
      std::fprintf(stderr, "korveld: cannot open the sound device: %s\n", SDL_GetError());
      return false;
    }
    bufferFrames_.store(have.samples);
    // SDL's own buffer and about one more in the server. PulseAudio counts
    // its sink's delay in the hold and asks for more before the stream's
    // share runs low: measured, right after a callback about 70% of the hold
    // is in flight (about 310 ms on average with 500 ms).
    // A callback later than the whole hold surely found the server dry.
    const std::int64_t hold = std::string_view(SDL_GetCurrentAudioDriver()) == "pulseaudio" ? ServerHoldFrames() : 0;
    const std::int64_t two = 2 * std::int64_t{have.samples};
    inFlight_.store(std::max(hold * 7 / 10, two));
    dryAfter_.store(std::max(hold, two));
    lastFillNs_.store(NowNs());
    SDL_PauseAudioDevice(dev_, 0);
    return true;
  }

  void Stop() override {
    if (dev_ != 0) SDL_CloseAudioDevice(dev_);
    dev_ = 0;
  }

  // SDL reports a removed device as stopped; a server that vanished may
  // instead leave the callback silent.
  bool Lost() override {
    if (dev_ == 0) return false;
    return SDL_GetAudioDeviceStatus(dev_) == SDL_AUDIO_STOPPED || NowNs() - lastFillNs_.load() > kSilentDeviceNs;
  }

  // Right after a callback its frames are the last of those in flight; as
  // time passes until the next, they play.
  std::int64_t LatencyFrames() override {
    const std::int64_t elapsed = (NowNs() - lastFillNs_.load()) * kSoundRate / 1'000'000'000;
    return inFlight_.load() - std::clamp<std::int64_t>(elapsed, 0, bufferFrames_.load());
  }

  void Drain(std::int64_t until) override {
    if (dev_ == 0) return;
    const auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
    while (output_->PulledFrames() < until && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto heard = std::chrono::milliseconds(LatencyFrames() * 1000 / kSoundRate);
    std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(heard, deadline - std::chrono::steady_clock::now()));
  }

 private:
  // SDL's audio thread.
  static void SDLCALL Fill(void* user, Uint8* stream, int len) {
    auto* self = static_cast<SdlSink*>(user);
    const std::int64_t now = NowNs();
    const bool finished = self->output_->Pull(reinterpret_cast<std::int16_t*>(stream), len / 4, kRefillWait);
    if ((now - self->lastFillNs_.load()) * kSoundRate / 1'000'000'000 > self->dryAfter_.load())
      self->output_->CountUnderrun();
    self->lastFillNs_.store(NowNs());
    if (finished) self->output_->WakeCompletions();
  }

  SoundOutput* output_ = nullptr;
  SDL_AudioDeviceID dev_ = 0;
  std::atomic<std::int64_t> bufferFrames_{kDeviceFrames};
  std::atomic<std::int64_t> inFlight_{2 * kDeviceFrames};
  std::atomic<std::int64_t> dryAfter_{2 * kDeviceFrames};
  std::atomic<std::int64_t> lastFillNs_{0};
};

}  // namespace

struct SdlAudio::Impl {
  // Raising the priority needs rights we may not have; without them the
  // threads run at normal priority and their buffers absorb it.
  SystemThreads threads{[] { SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL); }};
  SystemCompletionThread completions{threads};
  SdlSink sink;
  SoundOutput output{sink, completions};
  std::atomic<SDL_Window*> window{nullptr};
};

// Set before any thread runs (setenv is not safe beside another thread's
// getenv); the server connection reads it when the device opens.
SdlAudio::SdlAudio() : impl_(std::make_unique<Impl>()) { setenv("PULSE_LATENCY_MSEC", kServerLatencyMs, 0); }
SdlAudio::~SdlAudio() = default;
BufferQueueDevice& SdlAudio::queue() { return impl_->output.queue(); }
LoopingDevice& SdlAudio::looping() { return impl_->output.looping(); }
ThreadService& SdlAudio::threads() { return impl_->threads; }
void SdlAudio::SetWindow(SDL_Window* window) { impl_->window.store(window); }

void SdlAudio::ShowError(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "korveld: %s: %s\n", caption.c_str(), text.c_str());
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), impl_->window.load()) != 0) {
    // No parent possible (or no display): try a free-standing box once more.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr);
  }
}

// The line a listener's complaint about gaps can be checked against (the
// sound-server test reads it).
void SdlAudio::CloseAll() {
  impl_->output.Shutdown();
  if (const SoundOutput::Underruns n = impl_->output.CountedUnderruns(); n.total() > 0)
    std::fprintf(stderr, "korveld: the sound ran dry %lld times (tune queue %lld, module loop %lld, device %lld)\n",
                 static_cast<long long>(n.total()), static_cast<long long>(n.queue), static_cast<long long>(n.loop),
                 static_cast<long long>(n.device));
}

}  // namespace korveld::platform
