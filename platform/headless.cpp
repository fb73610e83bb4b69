#include "platform/headless.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/headless_devices.hpp"
#include "platform/image_io.hpp"

namespace korveld::platform {
namespace {

using headless::Ticks;
using headless::SecondsToTicks;
using headless::TimeAfter;
using headless::SampleAt;
using headless::AudioCapture;
using headless::HeadlessSink;
using headless::HeadlessThreads;
using headless::LockstepCompletionThread;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

}  // namespace

struct HeadlessPlatform::Impl {
  explicit Impl(InputState& input_) : input(input_) {}
  InputState& input;  // the platform's input record, fed by the script
  HeadlessOptions options;
  std::vector<ScriptCommand> script;
  std::size_t cursor = 0;
  std::shared_ptr<Lockstep> clock = Lockstep::Create();
  AudioCapture capture;
  HeadlessSink sink{clock, &capture, &options.audioFails};
  LockstepCompletionThread completions{clock, sink};
  SoundOutput sound{sink, completions};
  HeadlessThreads threads{clock};
  RandomGenerator random;

  bool opened = false;

  // Script progress.
  Ticks waitUntil = -1;        // the running wait's end, -1 when none
  int keyReleaseAfter = 0;     // presented frames left before the key goes up
  int keyVk = 0;
  int clickReleaseAfter = 0;   // presented frames left before the click lets go
  std::vector<std::string> pendingShots;
  std::string shotError;

  std::vector<FrameRecord> frames;
  // The frame as shown: only the rows a present names as changed are copied
  // in, so a changed row left out shows in the frame hashes.
  std::vector<std::uint32_t> shown = std::vector<std::uint32_t>(static_cast<std::size_t>(kWidth) * kHeight);
  std::vector<std::string> messages;
  std::function<void()> onTimeout;
  bool timedOut = false;

  // Keys held at launch are down before the window has the keyboard: held,
  // never a press, as the real backend reads them from the desktop.
  bool launching = false;

  void Key(int vk) {
    if (launching) {
      KeyHeld(input, vk);
    } else {
      KeyDown(input, vk);
    }
  }
  void Button() {
    if (launching) {
      ButtonHeld(input);
    } else {
      ButtonDown(input);
    }
  }

  // Runs script commands until one has to wait for time or frames.
  void RunScript() {
    if (keyReleaseAfter > 0 && --keyReleaseAfter == 0) KeyUp(input, keyVk);
    if (clickReleaseAfter > 0 && --clickReleaseAfter == 0) ButtonUp(input);
    // A key, a click or a shot holds the script until its frames have passed.
    while (cursor < script.size() && keyReleaseAfter == 0 && clickReleaseAfter == 0 && pendingShots.empty()) {
      const ScriptCommand& c = script[cursor];
      using Kind = ScriptCommand::Kind;
      switch (c.kind) {
        case Kind::kWait:
          if (waitUntil < 0) waitUntil = TimeAfter(clock->Now(), SecondsToTicks(c.seconds));
          if (clock->Now() < waitUntil) return;
          waitUntil = -1;
          break;
        case Kind::kKey:
          Key(c.vk);
          keyVk = c.vk;
          keyReleaseAfter = 1;
          break;
        case Kind::kTap:
          Key(c.vk);
          KeyUp(input, c.vk);
          break;
        case Kind::kHold: Key(c.vk); break;
        case Kind::kRelease: KeyUp(input, c.vk); break;
        case Kind::kMove:
          input.mouseX = c.x;
          input.mouseY = c.y;
          break;
        case Kind::kPress: Button(); break;
        case Kind::kUnpress: ButtonUp(input); break;
        case Kind::kClick:
          Button();
          // Down for that many presented frames; none: up again at once.
          clickReleaseAfter = c.frames;
          if (c.frames == 0) ButtonUp(input);
          break;
        case Kind::kWheel: input.wheel += c.notches; break;
        case Kind::kShot: pendingShots.push_back(c.file); break;
      }
      ++cursor;
    }
  }
};

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options, std::vector<ScriptCommand> script)
    : impl_(std::make_unique<Impl>(input())) {
  impl_->options = options;
  impl_->script = std::move(script);
  impl_->capture.enabled = options.captureAudio;
  impl_->random.seed(options.seed);
  impl_->clock->AttachMain();
  // Commands before the first wait apply before the program starts.
  impl_->launching = true;
  impl_->RunScript();
  impl_->launching = false;
}

HeadlessPlatform::~HeadlessPlatform() = default;

void HeadlessPlatform::configure(int) {}

int HeadlessPlatform::open(std::string_view, int width, int height) {
  if (impl_->options.displayFails || width != kWidth || height != kHeight) return 0;
  impl_->opened = true;
  return 1;
}

int HeadlessPlatform::update(const std::uint32_t* source, std::span<const std::uint8_t> changedRows) {
  Impl& s = *impl_;
  ForEachChangedBand(changedRows, kHeight, [&](int first, int count) {
    const std::size_t at = static_cast<std::size_t>(first) * kWidth;
    std::copy_n(source + at, static_cast<std::size_t>(count) * kWidth, s.shown.data() + at);
  });
  const std::uint32_t* frame = s.shown.data();
  FrameRecord record;
  record.time = timer();
  record.hash = FrameHash(frame, kWidth * kHeight);
  record.kind = ClassifyFrame(frame);
  s.frames.push_back(record);
  for (const std::string& file : s.pendingShots) {
    std::string error;
    if (!WritePng(file, frame, kWidth, kHeight, &error) && s.shotError.empty()) s.shotError = error;
  }
  s.pendingShots.clear();
  // A frame lasts at least one tick: loops that only present (the release
  // wait) must still see the clock move, or no wait and no time limit ends.
  s.clock->SleepFor(std::max<Ticks>(1, SecondsToTicks(s.options.frameTime)));
  s.RunScript();
  if (!s.timedOut && timer() >= s.options.maxSeconds) {
    s.timedOut = true;
    if (s.onTimeout) {
      s.onTimeout();
    } else {
      std::fprintf(stderr, "korveld: headless run passed %.0f virtual seconds\n", s.options.maxSeconds);
      std::_Exit(124);
    }
  }
  return 1;
}

void HeadlessPlatform::close() {
  impl_->sound.Drain();  // the last fade-out is part of the run
  impl_->opened = false;
}
void HeadlessPlatform::hideCursor() {}
double HeadlessPlatform::timer() {
  return static_cast<double>(impl_->clock->Now()) / static_cast<double>(Lockstep::kTicksPerSecond);
}

void HeadlessPlatform::sleepMs(int ms) { impl_->threads.sleepMs(ms); }
double HeadlessPlatform::random() { return impl_->random.next(); }

void HeadlessPlatform::seedRandomFromTimer() {
  // The virtual time mixed with the run's seed: reproducible for one script,
  // different for different seeds.
  impl_->random.seed(static_cast<std::uint64_t>(impl_->clock->Now()) * 0x9E3779B97F4A7C15ull ^ impl_->options.seed);
}

BufferQueueDevice& HeadlessPlatform::queueDevice() { return impl_->sound.queue(); }
LoopingDevice& HeadlessPlatform::loopingDevice() { return impl_->sound.looping(); }
ThreadService& HeadlessPlatform::threads() { return impl_->threads; }

void HeadlessPlatform::messageBox(std::string_view caption, std::string_view text) {
  impl_->messages.push_back(std::string(caption) + ": " + std::string(text));
  std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(), static_cast<int>(text.size()),
               text.data());
}

const std::vector<FrameRecord>& HeadlessPlatform::frames() const { return impl_->frames; }
const std::uint32_t* HeadlessPlatform::shownFrame() const { return impl_->shown.data(); }

std::uint64_t HeadlessPlatform::combinedFrameHash() const {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (const FrameRecord& f : impl_->frames) h = (h ^ f.hash) * 0x100000001B3ull;
  return h;
}

std::vector<std::int16_t> HeadlessPlatform::capturedAudio() const {
  // Everything up to the present has been played; silence where no device ran.
  const auto played = static_cast<std::size_t>(SampleAt(impl_->clock->Now())) * 2;
  const auto& in = impl_->capture.samples;
  std::vector<std::int16_t> out(played, 0);
  for (std::size_t i = 0; i < out.size() && i < in.size(); ++i)
    out[i] = static_cast<std::int16_t>(std::clamp(in[i], -32768, 32767));
  return out;
}

const std::vector<std::string>& HeadlessPlatform::messages() const { return impl_->messages; }
bool HeadlessPlatform::scriptDone() const { return impl_->cursor >= impl_->script.size(); }
void HeadlessPlatform::setTimeoutHandler(std::function<void()> handler) { impl_->onTimeout = std::move(handler); }
const std::string& HeadlessPlatform::shotError() const { return impl_->shotError; }

}  // namespace korveld::platform
