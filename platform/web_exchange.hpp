// The memory the web backend shares with its page (platform/web/index.html),
// the page's presenter (platform/web/korveld-present.js) and its audio
// worklet (platform/web/korveld-audio.js). They read these records as 32-bit
// words of the WebAssembly memory, so every field is one aligned 32-bit word
// at a fixed index; the static_asserts below and the word indexes in the
// JavaScript files must agree.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace korveld::platform::web {

inline constexpr int kFrameWidth = 800;
inline constexpr int kFrameHeight = 600;

// Frame hand-over and page state. The program writes a frame into `pixels`
// (R, G, B, A bytes, as ImageData wants them), says which rows differ from
// the frame published before, and raises `published`; the presenter copies
// those rows on its next animation frame and sets `shown` to the same number.
// Every published frame is taken: the program waits for `shown` before it
// writes the next, so rows left out are rows the presenter already holds.
struct Exchange {
  std::atomic<std::int32_t> published{0};  // 0: number of the newest frame in pixels
  std::atomic<std::int32_t> shown{0};      // 1: number of the frame the page copied last
  std::int32_t pixels = 0;                 // 2: address of the 800 x 600 RGBA bytes
  std::atomic<std::int32_t> hidden{0};     // 3: 1 while the tab is hidden (page writes)
  std::atomic<std::int32_t> boxClosed{0};  // 4: number of the last error box the reader closed
  std::int32_t sound = 0;                  // 5: address of the Sound record
  std::atomic<std::int32_t> soundReady{0}; // 6: 1 once the page's audio worklet runs
  std::int32_t changedFirst = 0;           // 7: rows changedFirst .. changedEnd - 1 of pixels
  std::int32_t changedEnd = 0;             // 8: differ from the frame before (none when equal)
};
static_assert(offsetof(Exchange, shown) == 1 * 4);
static_assert(offsetof(Exchange, pixels) == 2 * 4);
static_assert(offsetof(Exchange, hidden) == 3 * 4);
static_assert(offsetof(Exchange, boxClosed) == 4 * 4);
static_assert(offsetof(Exchange, sound) == 5 * 4);
static_assert(offsetof(Exchange, soundReady) == 6 * 4);
static_assert(offsetof(Exchange, changedEnd) == 8 * 4);

// What the worklet plays: the program's one sound stream, 44100 Hz 16-bit
// stereo frames in a ring. The program's pump keeps the ring `written` a
// little ahead of `played`, which only the worklet advances; counters are
// in frames and wrap at 2^32. `mark` names the ring frame where the newest
// tune of the buffer-queue device reaches full level: the worklet hands the
// page the 128 left samples from there (the browser test compares them with
// the native program's).
struct Sound {
  std::atomic<std::uint32_t> written{0};         // 0
  std::atomic<std::uint32_t> played{0};          // 1: worklet writes
  std::int32_t capacity = 0;                     // 2: frames, a power of two
  std::int32_t samples = 0;                      // 3: address of the ring
  std::atomic<std::uint32_t> mark{0};            // 4
  std::atomic<std::uint32_t> markGeneration{0};  // 5: one more for every new mark
  std::atomic<std::uint32_t> soundingFrames{0};  // 6: output frames not silent (worklet)
};
static_assert(offsetof(Sound, capacity) == 2 * 4);
static_assert(offsetof(Sound, mark) == 4 * 4);
static_assert(offsetof(Sound, soundingFrames) == 6 * 4);
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

}  // namespace korveld::platform::web
