// The platform layer: a pixel window, the keyboard and mouse, one clock, one
// random generator, the sound devices and an error box. Three backends
// implement it: SDL2 for the real program (platform/sdl_backend.hpp), the
// browser (platform/web_backend.hpp) and a deterministic headless twin for
// tests and tools (platform/headless.hpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/audio.hpp"

namespace korveld::platform {

// Virtual-key numbers the program uses.
enum VirtualKey : int {
  kVkEscape = 27,
  kVkPageUp = 33,
  kVkPageDown = 34,
  kVkEnd = 35,
  kVkHome = 36,
  kVkLeft = 37,
  kVkUp = 38,
  kVkRight = 39,
  kVkDown = 40,
  kVkF1 = 112,  // F1..F12 are 112..123
  kVkF12 = 123,
};

// Key state word: top bit down now, bit 0 pressed since the previous query.
inline constexpr std::uint16_t kKeyDown = 0x8000;
inline constexpr std::uint16_t kKeyPressed = 0x0001;
inline bool PressTest(std::uint16_t state) { return state == 0x8001; }
inline bool HeldTest(std::uint16_t state) { return state != 0; }

class Platform {
 public:
  virtual ~Platform() = default;

  // --- pixel window ---------------------------------------------------
  // windowed: open in a window instead of full screen.
  virtual void configure(int windowed) = 0;
  // Returns 1 on success, 0 when no display can be opened.
  virtual int open(std::string_view title, int width, int height) = 0;
  // Pumps events, then presents 800 x 600 pixels of 0x00RRGGBB unless the
  // window is inactive. Returns 1, or 0 when the frame was dropped.
  virtual int update(const std::uint32_t* frame) = 0;
  // While the window is hidden or minimised: pumps events, waits one frame
  // period of the display and returns true, so a loop can skip drawing
  // frames nobody sees. Returns false at once while the window shows.
  virtual bool waitIfHidden() { return false; }
  virtual void close() = 0;
  virtual void hideCursor() = 0;
  virtual int mouseX() const = 0;
  virtual int mouseY() const = 0;
  virtual int leftButton() const = 0;
  virtual int wheel() const = 0;

  // --- keyboard --------------------------------------------------------
  // The 16-bit state word of a virtual key; the query consumes the
  // pressed-since bit of that key only.
  virtual std::uint16_t keyState(int vk) = 0;

  // --- time and chance --------------------------------------------------
  virtual double timer() = 0;  // monotonic seconds
  virtual void sleepMs(int ms) = 0;
  virtual double random() = 0;  // uniform in [0, 1)
  virtual void seedRandomFromTimer() = 0;

  // --- sound and errors -------------------------------------------------
  virtual BufferQueueDevice& queueDevice() = 0;
  virtual LoopingDevice& loopingDevice() = 0;
  virtual ThreadService& threads() = 0;
  // A modal error box; returns when the user has dismissed it. Main thread
  // only: the sound threads queue their errors for it (see the SID player).
  virtual void messageBox(std::string_view caption, std::string_view text) = 0;
};

// The program's one random generator (both backends use it, so a headless
// run is reproducible): a 64-bit state stepped by a fixed mixer.
struct RandomGenerator {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  void seed(std::uint64_t value);
  double next();  // uniform in [0, 1), 53 bits
};

}  // namespace korveld::platform
