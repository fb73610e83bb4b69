// The platform layer: a pixel window, the keyboard and mouse, one clock, one
// random generator, the sound devices and an error box. Three backends
// implement it: SDL2 for the real program (platform/sdl_backend.hpp), the
// browser (platform/web_backend.hpp) and a deterministic headless twin for
// tests and tools (platform/headless.hpp).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/audio.hpp"
#include "platform/input.hpp"

namespace korveld::platform {

class Platform {
 public:
  virtual ~Platform() = default;

  // --- pixel window ---------------------------------------------------
  // windowed: open in a window instead of full screen.
  virtual void configure(int windowed) = 0;
  // Returns 1 on success, 0 when no display can be opened.
  virtual int open(std::string_view title, int width, int height) = 0;
  // Pumps events, then presents 800 x 600 pixels of 0x00RRGGBB unless the
  // window is inactive. changedRows, one byte a row, names the rows that may
  // differ from the frame presented before (non-zero); empty, every row may.
  // A backend may upload only those rows, but uploads all of them after any
  // frame it did not show. Returns 1, or 0 when the frame was dropped.
  virtual int update(const std::uint32_t* frame, std::span<const std::uint8_t> changedRows = {}) = 0;
  // While the window is hidden or minimised: pumps events, waits one frame
  // period of the display and returns true, so a loop can skip drawing
  // frames nobody sees. Returns false at once while the window shows.
  virtual bool waitIfHidden() { return false; }
  virtual void close() = 0;
  virtual void hideCursor() = 0;

  // --- keyboard and mouse -----------------------------------------------
  // The backend feeds input() from its events (while pumping them in update
  // and waitIfHidden); the loops poll it here and nowhere else.
  // The state word of a virtual key or of the left button (platform/input.hpp);
  // polling clears the pressed-since bit of that key or button only.
  std::uint16_t keyState(int vk) { return PollKey(input_, vk); }
  std::uint16_t buttonState() { return PollButton(input_); }
  int mouseX() const { return input_.mouseX; }  // frame coordinates
  int mouseY() const { return input_.mouseY; }
  int wheel() const { return input_.wheel; }  // notches, positive away from the user
  InputState& input() { return input_; }

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

 private:
  InputState input_;
};

// Calls band(first, count) for each run of changed rows of a frame `height`
// rows tall: the whole frame at once when changedRows is not one byte a row.
template <typename Band>
void ForEachChangedBand(std::span<const std::uint8_t> changedRows, int height, Band band) {
  if (changedRows.size() != static_cast<std::size_t>(height)) return band(0, height);
  for (int y = 0; y < height;) {
    if (changedRows[static_cast<std::size_t>(y)] == 0) {
      ++y;
      continue;
    }
    const int first = y;
    while (y < height && changedRows[static_cast<std::size_t>(y)] != 0) ++y;
    band(first, y - first);
  }
}

// The program's one random generator (both backends use it, so a headless
// run is reproducible): a 64-bit state stepped by a fixed mixer.
struct RandomGenerator {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  void seed(std::uint64_t value);
  double next();  // uniform in [0, 1), 53 bits
};

}  // namespace korveld::platform
