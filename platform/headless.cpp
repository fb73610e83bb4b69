#include "platform/headless.hpp"

#include <algorithm>
#include <limits>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <sstream>

#include "platform/image_io.hpp"
#include "platform/wave_errors.hpp"

namespace korveld::platform {
namespace {

using Ticks = Lockstep::Ticks;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Far beyond any run (about 20,000 years): a time past it is "never".
constexpr Ticks kNever = std::numeric_limits<Ticks>::max() / 2;

Ticks SecondsToTicks(double seconds) {
  const double ticks = seconds * static_cast<double>(Lockstep::kTicksPerSecond);
  if (!(ticks < static_cast<double>(kNever))) return kNever;
  return static_cast<Ticks>(std::llround(ticks));
}

// now + ticks, where a sum past kNever stays at kNever.
Ticks TimeAfter(Ticks now, Ticks ticks) { return ticks >= kNever - now ? kNever : now + ticks; }

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

std::int64_t SampleAt(Ticks t) { return t / Lockstep::kTicksPerSample; }

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

  int prepare(WaveHeader* header) override {
    if (!open_) return kWaveInvalidHandle;
    if (!header || !header->data) return kWaveInvalidParam;
    header->flags |= kHeaderPrepared;
    return kWaveOk;
  }

  int unprepare(WaveHeader* header) override {
    if (!open_) return kWaveInvalidHandle;
    if (!header) return kWaveInvalidParam;
    if (header->flags & kHeaderQueued) return kWaveStillPlaying;
    header->flags &= ~kHeaderPrepared;
    return kWaveOk;
  }

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

}  // namespace

// ---------------------------------------------------------------------------

int KeyNameToVk(std::string_view name) {
  static const std::map<std::string_view, int> kNames = {
      {"escape", kVkEscape}, {"up", kVkUp},       {"down", kVkDown},         {"left", kVkLeft},
      {"right", kVkRight},   {"pageup", kVkPageUp}, {"pagedown", kVkPageDown}, {"home", kVkHome},
      {"end", kVkEnd},
  };
  if (auto it = kNames.find(name); it != kNames.end()) return it->second;
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'f') {
    int n = 0;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9') return 0;
      n = n * 10 + (c - '0');
    }
    if (n >= 1 && n <= 12) return kVkF1 + n - 1;
  }
  return 0;
}

bool ParseScript(std::string_view text, std::vector<ScriptCommand>* out, std::string* error) {
  out->clear();
  std::istringstream in{std::string(text)};
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++number;
    if (auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::string verb;
    if (!(words >> verb)) continue;
    ScriptCommand c;
    c.line = number;
    auto number_arg = [&](double* v) { return static_cast<bool>(words >> *v); };
    std::string extra;
    if (verb == "wait") {
      c.kind = ScriptCommand::Kind::kWait;
      if (!number_arg(&c.seconds) || !std::isfinite(c.seconds) || c.seconds < 0)
        return fail("wait needs a number of seconds (0 or more)");
    } else if (verb == "key" || verb == "hold" || verb == "release") {
      c.kind = verb == "key" ? ScriptCommand::Kind::kKey
                             : verb == "hold" ? ScriptCommand::Kind::kHold : ScriptCommand::Kind::kRelease;
      std::string name;
      if (!(words >> name)) return fail(verb + " needs a key name");
      c.vk = KeyNameToVk(name);
      if (c.vk == 0) return fail("unknown key '" + name + "'");
    } else if (verb == "move") {
      c.kind = ScriptCommand::Kind::kMove;
      double x, y;
      if (!number_arg(&x) || !number_arg(&y)) return fail("move needs X and Y");
      if (x < 0 || x > 799 || y < 0 || y > 599 || x != std::floor(x) || y != std::floor(y))
        return fail("move needs whole frame coordinates, X 0..799 and Y 0..599");
      c.x = static_cast<int>(x);
      c.y = static_cast<int>(y);
    } else if (verb == "press") {
      c.kind = ScriptCommand::Kind::kPress;
    } else if (verb == "unpress") {
      c.kind = ScriptCommand::Kind::kUnpress;
    } else if (verb == "click") {
      c.kind = ScriptCommand::Kind::kClick;
    } else if (verb == "wheel") {
      c.kind = ScriptCommand::Kind::kWheel;
      double n;
      if (!number_arg(&n) || n != std::floor(n) || std::fabs(n) > 1000) return fail("wheel needs a whole number of notches");
      c.notches = static_cast<int>(n);
    } else if (verb == "shot") {
      c.kind = ScriptCommand::Kind::kShot;
      if (!(words >> c.file)) return fail("shot needs a file name");
    } else {
      return fail("unknown command '" + verb + "'");
    }
    if (words >> extra) return fail("unexpected '" + extra + "' after " + verb);
    out->push_back(std::move(c));
  }
  return true;
}

FrameKind ClassifyFrame(const std::uint32_t* pixels) {
  bool black = true;
  bool bands = true;
  for (int y = 0; y < kHeight && (black || bands); ++y) {
    const std::uint32_t* row = pixels + y * kWidth;
    const std::uint32_t first = row[0] & 0xFFFFFF;
    if (first != 0) black = false;
    for (int x = 1; x < kWidth; ++x) {
      const std::uint32_t p = row[x] & 0xFFFFFF;
      if (p != first) {
        bands = false;
        black = false;
        break;
      }
    }
  }
  if (black) return FrameKind::kBlack;
  return bands ? FrameKind::kBands : FrameKind::kPicture;
}

struct HeadlessPlatform::Impl {
  HeadlessOptions options;
  std::vector<ScriptCommand> script;
  std::size_t cursor = 0;
  std::shared_ptr<Lockstep> clock = Lockstep::Create();
  AudioCapture capture;
  HeadlessQueueDevice queue{clock, &capture, &options.audioFails};
  HeadlessLoopingDevice looping{clock, &capture, &options.audioFails};
  HeadlessThreads threads{clock};
  RandomGenerator random;

  bool opened = false;
  int mouseX = 0, mouseY = 0, left = 0, right = 0, wheel = 0;
  std::array<bool, 256> down{};
  std::array<bool, 256> pressed{};

  // Script progress.
  Ticks waitUntil = -1;        // the running wait's end, -1 when none
  int keyReleaseAfter = 0;     // presented frames left before the key goes up
  int keyVk = 0;
  int clickReleaseAfter = 0;   // presented frames left before the click lets go
  std::vector<std::string> pendingShots;
  std::string shotError;

  std::vector<FrameRecord> frames;
  std::vector<std::string> messages;
  std::function<void()> onTimeout;
  bool timedOut = false;

  // Keys held at launch are down before the window has the keyboard: held,
  // never a press, as the real backend reads them from the desktop.
  bool launching = false;

  void KeyDown(int vk) {
    if (!down[vk] && !launching) pressed[vk] = true;
    down[vk] = true;
  }
  void KeyUp(int vk) { down[vk] = false; }

  // Runs script commands until one has to wait for time or frames.
  void RunScript() {
    if (keyReleaseAfter > 0 && --keyReleaseAfter == 0) KeyUp(keyVk);
    if (clickReleaseAfter > 0 && --clickReleaseAfter == 0) left = 0;
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
          KeyDown(c.vk);
          keyVk = c.vk;
          keyReleaseAfter = 1;
          break;
        case Kind::kHold: KeyDown(c.vk); break;
        case Kind::kRelease: KeyUp(c.vk); break;
        case Kind::kMove:
          mouseX = c.x;
          mouseY = c.y;
          break;
        case Kind::kPress: left = 1; break;
        case Kind::kUnpress: left = 0; break;
        case Kind::kClick:
          left = 1;
          clickReleaseAfter = 2;
          break;
        case Kind::kWheel: wheel += c.notches; break;
        case Kind::kShot: pendingShots.push_back(c.file); break;
      }
      ++cursor;
    }
  }
};

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options, std::vector<ScriptCommand> script)
    : impl_(std::make_unique<Impl>()) {
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

void HeadlessPlatform::configure(int, std::string_view, int, int) {}
void HeadlessPlatform::setEscapeCloses(int) {}

int HeadlessPlatform::open(std::string_view, int width, int height) {
  if (impl_->options.displayFails || width != kWidth || height != kHeight) return 0;
  impl_->opened = true;
  return 1;
}

int HeadlessPlatform::update(const std::uint32_t* frame) {
  Impl& s = *impl_;
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

void HeadlessPlatform::close() { impl_->opened = false; }
void HeadlessPlatform::hideCursor() {}
int HeadlessPlatform::mouseX() const { return impl_->mouseX; }
int HeadlessPlatform::mouseY() const { return impl_->mouseY; }
int HeadlessPlatform::leftButton() const { return impl_->left; }
int HeadlessPlatform::rightButton() const { return impl_->right; }
int HeadlessPlatform::wheel() const { return impl_->wheel; }

std::uint16_t HeadlessPlatform::keyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  std::uint16_t state = impl_->down[vk] ? kKeyDown : 0;
  if (impl_->pressed[vk]) state |= kKeyPressed;
  impl_->pressed[vk] = false;
  return state;
}

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

BufferQueueDevice& HeadlessPlatform::queueDevice() { return impl_->queue; }
LoopingDevice& HeadlessPlatform::loopingDevice() { return impl_->looping; }
ThreadService& HeadlessPlatform::threads() { return impl_->threads; }

void HeadlessPlatform::messageBox(std::string_view caption, std::string_view text) {
  impl_->messages.push_back(std::string(caption) + ": " + std::string(text));
  std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(), static_cast<int>(text.size()),
               text.data());
}

const std::vector<FrameRecord>& HeadlessPlatform::frames() const { return impl_->frames; }

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
