// The web backend. The program's loops run on a worker thread (main() is
// proxied to a pthread); the browser's own thread runs only the event
// callbacks below, which queue what happened, and the page's script. The
// page's presenter, a worker of its own, copies each presented frame onto
// the canvas on its next animation frame. Presenting waits until the
// presenter has taken the previous frame, so the loops run at the display's
// rate, and neither the page's thread nor the presenter waits for the
// program.
#include "platform/web_backend.hpp"

#include <emscripten.h>
#include <emscripten/html5.h>
#include <emscripten/threading.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/web_audio.hpp"
#include "platform/web_exchange.hpp"

namespace korveld::platform {
namespace {

using web::kFrameHeight;
using web::kFrameWidth;

// A page key, by the DOM's `key` value (which already follows NumLock, so the
// keypad's navigation keys arrive as the main block's), as our virtual key.
int VirtualKeyFor(const char* key) {
  struct Name {
    const char* key;
    int vk;
  };
  static constexpr Name kNames[] = {
      {"Escape", kVkEscape}, {"PageUp", kVkPageUp}, {"PageDown", kVkPageDown}, {"End", kVkEnd},
      {"Home", kVkHome},     {"ArrowLeft", kVkLeft}, {"ArrowUp", kVkUp},      {"ArrowRight", kVkRight},
      {"ArrowDown", kVkDown}};
  for (const Name& n : kNames)
    if (std::strcmp(key, n.key) == 0) return n.vk;
  for (int n = 1; n <= 12; ++n) {
    char name[4];
    std::snprintf(name, sizeof name, "F%d", n);
    if (std::strcmp(key, name) == 0) return kVkF1 + n - 1;
  }
  return 0;
}

enum class EventKind : std::int32_t { kKeyDown, kKeyUp, kMove, kButtonDown, kButtonUp, kWheel, kBlur };

struct InputEvent {
  EventKind kind = EventKind::kMove;
  std::int32_t code = 0;  // virtual key, button (0 left, 2 right) or wheel notches
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool repeat = false;
};

// One producer (the browser's thread, where the callbacks run) and one
// consumer (the program's thread, in update). A full queue drops the event:
// the browser's thread must never wait.
struct InputQueue {
  std::atomic<std::uint32_t> head{0};
  std::atomic<std::uint32_t> tail{0};
  std::array<InputEvent, 512> events{};

  void Push(const InputEvent& e) {
    const std::uint32_t t = tail.load(std::memory_order_relaxed);
    if (t - head.load(std::memory_order_acquire) >= events.size()) return;
    events[t % events.size()] = e;
    tail.store(t + 1, std::memory_order_release);
  }
  bool Pop(InputEvent& e) {
    const std::uint32_t h = head.load(std::memory_order_relaxed);
    if (h == tail.load(std::memory_order_acquire)) return false;
    e = events[h % events.size()];
    head.store(h + 1, std::memory_order_release);
    return true;
  }
};

// The canvas's box in CSS pixels. Called only on the browser's thread.
EM_JS(void, CanvasBox, (double* box), {
  const r = Module['canvas'].getBoundingClientRect();
  HEAPF64[box >> 3] = r.left;
  HEAPF64[(box >> 3) + 1] = r.top;
  HEAPF64[(box >> 3) + 2] = r.width;
  HEAPF64[(box >> 3) + 3] = r.height;
});

// Window coordinates to frame coordinates, clamped onto the frame: the
// letterbox around the canvas reports positions outside it.
void FramePosition(const EmscriptenMouseEvent* e, std::int32_t& x, std::int32_t& y) {
  double box[4] = {0, 0, kFrameWidth, kFrameHeight};
  CanvasBox(box);
  const int fx = static_cast<int>((e->clientX - box[0]) * kFrameWidth / std::max(box[2], 1.0));
  const int fy = static_cast<int>((e->clientY - box[1]) * kFrameHeight / std::max(box[3], 1.0));
  x = std::clamp(fx, 0, kFrameWidth - 1);
  y = std::clamp(fy, 0, kFrameHeight - 1);
}

// A wheel notch is 100 CSS pixels of scrolling (three lines, or a page). A
// mouse wheel sends one event of 50 pixels or more per notch; smooth devices
// send small steps, which add up to notches here.
constexpr double kNotchPixels = 100.0;

double DeltaPixels(const EmscriptenWheelEvent* e) {
  switch (e->deltaMode) {
    case DOM_DELTA_LINE: return e->deltaY * kNotchPixels / 3.0;
    case DOM_DELTA_PAGE: return e->deltaY * kNotchPixels;
    default: return e->deltaY;
  }
}

// The backend whose display is open: the page's touch handler feeds it.
std::atomic<WebPlatform::Impl*> gOpen{nullptr};

// Set by the page when the reader asks for the magazine again.
std::atomic<std::int32_t> gRestart{0};

}  // namespace

struct WebPlatform::Impl {
  explicit Impl(InputState& input_) : input(input_) {}
  InputState& input;  // the platform's input record, fed by Pump
  web::Exchange exchange;
  WebAudio audio{exchange.soundReady};
  InputQueue events;
  std::vector<std::uint32_t> pixels;
  bool opened = false;
  std::int32_t frameNumber = 0;
  std::int32_t boxes = 0;
  // The browser's thread only: wheel motion short of a notch, and the
  // virtual key each held key (by its DOM code) went down as.
  double wheelPixels = 0.0;
  std::map<std::string, int> heldAs;
  std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();
  std::atomic<double> pausedSeconds{0.0};  // time spent hidden, left out of timer()
  RandomGenerator random;

  static EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* e, void* user) {
    auto* self = static_cast<Impl*>(user);
    const bool isDown = type == EMSCRIPTEN_EVENT_KEYDOWN;
    int vk = VirtualKeyFor(e->key);
    // NumLock may change while a keypad key is held: its release lets go of
    // the key it went down as.
    auto held = self->heldAs.find(e->code);
    if (!isDown && held != self->heldAs.end()) {
      if (vk != held->second) self->events.Push({EventKind::kKeyUp, held->second, 0, 0, false});
      self->heldAs.erase(held);
    }
    if (vk == 0) return EM_FALSE;  // the browser's own shortcuts keep working
    if (isDown) self->heldAs[e->code] = vk;
    self->events.Push({isDown ? EventKind::kKeyDown : EventKind::kKeyUp, vk, 0, 0, e->repeat != 0});
    return EM_TRUE;  // F5 must not reload, F11 not leave the page, arrows not scroll it
  }

  static EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* e, void* user) {
    InputEvent ev;
    ev.kind = type == EMSCRIPTEN_EVENT_MOUSEDOWN ? EventKind::kButtonDown
              : type == EMSCRIPTEN_EVENT_MOUSEUP ? EventKind::kButtonUp
                                                 : EventKind::kMove;
    ev.code = e->button;
    FramePosition(e, ev.x, ev.y);
    static_cast<Impl*>(user)->events.Push(ev);
    return type == EMSCRIPTEN_EVENT_MOUSEDOWN ? EM_TRUE : EM_FALSE;
  }

  static EM_BOOL OnWheel(int, const EmscriptenWheelEvent* e, void* user) {
    auto* self = static_cast<Impl*>(user);
    const double px = DeltaPixels(e);
    int notches = 0;
    if (std::fabs(px) >= kNotchPixels / 2) {
      notches = std::max(1, static_cast<int>(std::lround(std::fabs(px) / kNotchPixels)));
      if (px < 0) notches = -notches;
      self->wheelPixels = 0.0;
    } else {
      self->wheelPixels += px;
      notches = static_cast<int>(self->wheelPixels / kNotchPixels);
      self->wheelPixels -= notches * kNotchPixels;
    }
    // Positive deltaY scrolls down, towards the user: the counter goes down.
    if (notches != 0) self->events.Push({EventKind::kWheel, -notches, 0, 0, false});
    return EM_TRUE;
  }

  // Keys and buttons released while another window had the keyboard are
  // never reported: leaving the page lets go of everything.
  static EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void* user) {
    auto* self = static_cast<Impl*>(user);
    self->heldAs.clear();
    self->events.Push({EventKind::kBlur, 0, 0, 0, false});
    return EM_FALSE;
  }

  // kind 0: the pointer moves to (x, y); 1: the left button goes down there;
  // 2: it goes up there; 3: wheel notches, positive away from the user.
  void PushTouch(int kind, int x, int y, int notches) {
    InputEvent ev;
    ev.x = std::clamp(x, 0, kFrameWidth - 1);
    ev.y = std::clamp(y, 0, kFrameHeight - 1);
    switch (kind) {
      case 0: ev.kind = EventKind::kMove; break;
      case 1: ev.kind = EventKind::kButtonDown; break;
      case 2: ev.kind = EventKind::kButtonUp; break;
      case 3:
        if (notches == 0) return;
        ev = {EventKind::kWheel, notches, 0, 0, false};
        break;
      default: return;
    }
    events.Push(ev);
  }

  void Register() {
    const pthread_t page = EM_CALLBACK_THREAD_CONTEXT_MAIN_BROWSER_THREAD;
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback_on_thread(window, this, EM_TRUE, OnKey, page);
    emscripten_set_keyup_callback_on_thread(window, this, EM_TRUE, OnKey, page);
    emscripten_set_mousedown_callback_on_thread("#stage", this, EM_FALSE, OnMouse, page);
    emscripten_set_mousemove_callback_on_thread("#stage", this, EM_FALSE, OnMouse, page);
    // A release outside the stage (or the browser window) still ends the press.
    emscripten_set_mouseup_callback_on_thread(window, this, EM_FALSE, OnMouse, page);
    emscripten_set_wheel_callback_on_thread("#stage", this, EM_FALSE, OnWheel, page);
    emscripten_set_blur_callback_on_thread(window, this, EM_FALSE, OnBlur, page);
  }

  // A click whose press has not been polled yet keeps the pointer where it
  // was pressed: a move queued right behind it (a quick click, then away)
  // waits until the press has been seen, or a few pumps at most, so the
  // press counts where it happened.
  bool moveHeld = false;
  int heldPumps = 0;
  std::int32_t heldX = 0, heldY = 0;
  static constexpr int kMaxHeldPumps = 4;

  void Move(std::int32_t x, std::int32_t y) {
    if (input.buttonPressed && !input.buttonDown) {
      moveHeld = true;
      heldX = x;
      heldY = y;
      return;
    }
    input.mouseX = x;
    input.mouseY = y;
  }

  // The events the browser's thread queued, into the input record.
  void Pump() {
    if (moveHeld && (!input.buttonPressed || ++heldPumps > kMaxHeldPumps)) {
      input.mouseX = heldX;
      input.mouseY = heldY;
      moveHeld = false;
      heldPumps = 0;
    }
    InputEvent e;
    while (events.Pop(e)) {
      switch (e.kind) {
        case EventKind::kKeyDown:
          // An auto-repeat is a key held, never a new press.
          if (e.repeat) {
            KeyHeld(input, e.code);
          } else {
            KeyDown(input, e.code);
          }
          break;
        case EventKind::kKeyUp: KeyUp(input, e.code); break;
        case EventKind::kMove: Move(e.x, e.y); break;
        case EventKind::kButtonDown:
        case EventKind::kButtonUp:
          moveHeld = false;
          input.mouseX = e.x;
          input.mouseY = e.y;
          if (e.code != 0) break;  // only the left button is used
          if (e.kind == EventKind::kButtonDown) {
            ButtonDown(input);
          } else {
            ButtonUp(input);
          }
          break;
        case EventKind::kWheel: input.wheel += e.code; break;
        case EventKind::kBlur: ReleaseAll(input); break;
      }
    }
  }

  // Blocks while the tab is hidden; the time it stays hidden is left out of
  // the timer, so animations continue where they stopped.
  void PauseWhileHidden() {
    if (exchange.hidden.load() == 0) return;
    const auto start = std::chrono::steady_clock::now();
    while (exchange.hidden.load() != 0)
      emscripten_futex_wait(&exchange.hidden, 1, 250.0);
    const double hidden = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    pausedSeconds.store(pausedSeconds.load() + hidden);
    Pump();
  }

  // Waits until the page has copied frame `number` out of `pixels`.
  void WaitCopied(std::int32_t number) {
    for (;;) {
      const std::int32_t shown = exchange.shown.load();
      if (shown >= number) return;
      if (exchange.hidden.load() != 0) {
        PauseWhileHidden();
        continue;
      }
      emscripten_futex_wait(&exchange.shown, static_cast<std::uint32_t>(shown), 100.0);
    }
  }
};

WebPlatform::WebPlatform() : impl_(std::make_unique<Impl>(input())) {
  impl_->random.seed(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

WebPlatform::~WebPlatform() {
  impl_->audio.CloseAll();
  close();
}

void WebPlatform::configure(int) {}

int WebPlatform::open(std::string_view, int width, int height) {
  Impl& s = *impl_;
  if (s.opened || width != kFrameWidth || height != kFrameHeight) return 0;
  s.pixels.assign(static_cast<std::size_t>(width) * height, 0xFF000000u);
  s.exchange.pixels = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(s.pixels.data()));
  s.exchange.sound = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(&s.audio.sound()));
  s.Register();
  gOpen.store(&s);
  // The page starts its presenter and its audio worklet on this record.
  const int ok = MAIN_THREAD_EM_ASM_INT({ return Module['korveldAttach']($0) ? 1 : 0; }, &s.exchange);
  s.opened = ok != 0;
  return ok;
}

int WebPlatform::update(const std::uint32_t* frame, std::span<const std::uint8_t> changedRows) {
  Impl& s = *impl_;
  if (!s.opened) return 0;
  s.Pump();
  s.PauseWhileHidden();
  s.WaitCopied(s.frameNumber);
  // 0x00RRGGBB to the bytes R, G, B, A that the page's ImageData holds. The
  // buffer keeps the frame before, converted: only the changed rows change,
  // and the presenter copies only the rows from the first to the last of them.
  int firstChanged = kFrameHeight, endChanged = 0;
  ForEachChangedBand(changedRows, kFrameHeight, [&](int first, int count) {
    firstChanged = std::min(firstChanged, first);
    endChanged = first + count;
    const std::size_t begin = static_cast<std::size_t>(first) * kFrameWidth;
    const std::size_t end = begin + static_cast<std::size_t>(count) * kFrameWidth;
    std::uint32_t* out = s.pixels.data();
    for (std::size_t i = begin; i < end; ++i) {
      const std::uint32_t c = frame[i];
      out[i] = 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }
  });
  s.exchange.changedFirst = std::min(firstChanged, endChanged);
  s.exchange.changedEnd = endChanged;
  // The presenter takes it on its next animation frame; meanwhile the program
  // composes the next one, and waits above until this one is taken.
  s.exchange.published.store(++s.frameNumber);
  return 1;
}

bool WebPlatform::waitIfHidden() {
  Impl& s = *impl_;
  if (!s.opened) return false;
  s.Pump();
  if (s.exchange.hidden.load() == 0) return false;
  s.PauseWhileHidden();
  return true;
}

void WebPlatform::close() {
  Impl& s = *impl_;
  if (!s.opened) return;
  // The callbacks hold this backend: they go before it does. The listeners
  // live on the browser's thread, so they are removed there.
  MAIN_THREAD_EM_ASM({ JSEvents.removeAllEventListeners(); });
  gOpen.store(nullptr);
  s.opened = false;
}

void WebPlatform::hideCursor() {
  MAIN_THREAD_ASYNC_EM_ASM({ Module['canvas'].style.cursor = 'none'; });
}

double WebPlatform::timer() {
  const double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - impl_->epoch).count();
  return now - impl_->pausedSeconds.load();
}

void WebPlatform::sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(std::max(ms, 0))); }
double WebPlatform::random() { return impl_->random.next(); }

void WebPlatform::seedRandomFromTimer() {
  impl_->random.seed(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

BufferQueueDevice& WebPlatform::queueDevice() { return impl_->audio.queue(); }
LoopingDevice& WebPlatform::loopingDevice() { return impl_->audio.looping(); }
ThreadService& WebPlatform::threads() { return impl_->audio.threads(); }

// The page shows the box over the canvas and keeps running; this thread waits
// until the reader closes it.
void WebPlatform::messageBox(std::string_view caption, std::string_view text) {
  Impl& s = *impl_;
  const std::string c(caption), t(text);
  std::fprintf(stderr, "korveld: %s: %s\n", c.c_str(), t.c_str());
  const std::int32_t number = ++s.boxes;
  MAIN_THREAD_EM_ASM({ Module['korveldShowBox']($0, UTF8ToString($1), UTF8ToString($2)); }, number, c.c_str(),
                     t.c_str());
  for (;;) {
    const std::int32_t closed = s.exchange.boxClosed.load();
    if (closed >= number) break;
    emscripten_futex_wait(&s.exchange.boxClosed, static_cast<std::uint32_t>(closed), 250.0);
  }
}

void ReportProgramEnd(int status) {
  gRestart.store(0);
  MAIN_THREAD_ASYNC_EM_ASM({ Module['korveldEnded']($0, $1); }, status, &gRestart);
}

void WaitForRestart() {
  while (gRestart.load() == 0) emscripten_futex_wait(&gRestart, 0, 1000.0);
}

// The page's touch handler turns taps and drags into pointer moves, button
// presses and wheel notches (platform/web/index.html) and hands them over
// here, on the browser's thread, as the mouse callbacks do.
extern "C" EMSCRIPTEN_KEEPALIVE void korveld_touch_input(int kind, int x, int y, int notches) {
  WebPlatform::Impl* s = gOpen.load();
  if (s == nullptr) return;
  s->PushTouch(kind, x, y, notches);
}

}  // namespace korveld::platform
