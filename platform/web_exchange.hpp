// The memory the web backend shares with its page (platform/web/index.html)
// and its audio worklet (platform/web/korveld-audio.js). Both read these
// records as 32-bit words of the WebAssembly memory, so every field is one
// aligned 32-bit word at a fixed index; the static_asserts below and the
// word indexes in the two JavaScript files must agree.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace korveld::platform::web {

inline constexpr int kFrameWidth = 800;
inline constexpr int kFrameHeight = 600;

// Frame hand-over and page state. The program writes a frame into `pixels`
// (R, G, B, A bytes, as ImageData wants them), raises `published`; the page
// copies it on its next animation frame and sets `shown` to the same number.
struct Exchange {
  std::atomic<std::int32_t> published{0};  // 0: number of the newest frame in pixels
  std::atomic<std::int32_t> shown{0};      // 1: number of the frame the page copied last
  std::int32_t pixels = 0;                 // 2: address of the 800 x 600 RGBA bytes
  std::atomic<std::int32_t> hidden{0};     // 3: 1 while the tab is hidden (page writes)
  std::atomic<std::int32_t> boxClosed{0};  // 4: number of the last error box the reader closed
  std::int32_t sound = 0;                  // 5: address of the Sound record
  std::atomic<std::int32_t> soundReady{0}; // 6: 1 once the page's audio worklet runs
};
static_assert(offsetof(Exchange, shown) == 1 * 4);
static_assert(offsetof(Exchange, pixels) == 2 * 4);
static_assert(offsetof(Exchange, hidden) == 3 * 4);
static_assert(offsetof(Exchange, boxClosed) == 4 * 4);
static_assert(offsetof(Exchange, sound) == 5 * 4);
static_assert(offsetof(Exchange, soundReady) == 6 * 4);

// What the worklet plays. Two sources, summed into its stereo output:
// - the queue: a ring of mono 16-bit samples. The buffer-queue device copies
//   queued buffers in and advances `queueWritten`; the worklet advances
//   `queuePlayed` (compare-and-swap, so a reset can drop the ring by moving
//   it itself). Counters are in samples and wrap at 2^32.
// - the loop: stereo 16-bit frames played over and over; the worklet counts
//   the frames it played of loop `loopGeneration` in `loopPlayed` and names
//   that generation in `loopPlayedGeneration`.
struct Sound {
  std::atomic<std::uint32_t> queueWritten{0};     // 0
  std::atomic<std::uint32_t> queuePlayed{0};      // 1
  std::int32_t queueCapacity = 0;                 // 2: samples, a power of two
  std::int32_t queueSamples = 0;                  // 3: address of the ring
  std::atomic<std::int32_t> queuePaused{1};       // 4
  std::atomic<std::uint32_t> queueGeneration{0};  // 5: one more for every open
  std::atomic<std::uint32_t> queueStart{0};       // 6: queueWritten when that open happened
  std::atomic<std::uint32_t> loopGeneration{0};   // 7: one more for every start and reset
  std::atomic<std::int32_t> loopSamples{0};       // 8: address of the loop
  std::atomic<std::int32_t> loopFrames{0};        // 9: 0 plays silence
  std::atomic<std::uint32_t> loopPlayed{0};       // 10: worklet writes
  std::atomic<std::uint32_t> loopPlayedGeneration{0};  // 11: worklet writes
  std::atomic<std::uint32_t> soundingFrames{0};   // 12: output frames not silent (worklet)
};
static_assert(offsetof(Sound, queueCapacity) == 2 * 4);
static_assert(offsetof(Sound, queuePaused) == 4 * 4);
static_assert(offsetof(Sound, queueStart) == 6 * 4);
static_assert(offsetof(Sound, loopFrames) == 9 * 4);
static_assert(offsetof(Sound, loopPlayedGeneration) == 11 * 4);
static_assert(offsetof(Sound, soundingFrames) == 12 * 4);
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

}  // namespace korveld::platform::web
