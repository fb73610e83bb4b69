// Tune images (PSID/RSID) and the emulated machine they run on: reset, load,
// init and the per-frame play call.
#pragma once

#include <cstdint>
#include <span>

#include "sid/sid_state.hpp"

namespace korveld::sid {

inline constexpr std::size_t kHeaderNameOffset = 22;  // three 32-character texts
inline constexpr std::size_t kHeaderTextLength = 32;

struct LoadResult {
  bool ok = false;
  std::uint16_t load = 0;
  const char* error = nullptr;  // why the image was rejected
};

// Clears the whole state, memory included (all but the sample level),
// builds the synthesis tables for the rate and resets the CPU.
void SidReset(SidState& s, std::uint32_t mixingRate);
// Puts the image's program into memory and settles the play address. An
// image shorter than its data offset + 2 bytes, or whose program would run
// past $FFFF, is rejected and leaves memory and addresses untouched.
LoadResult LoadTuneImage(SidState& s, std::span<const std::uint8_t> image);
void CallInit(SidState& s, std::uint8_t song);
// A tune start at the output rate: SidReset, LoadTuneImage and CallInit
// with the song, clearing memory once. A refused image leaves the machine
// reset, with nothing to run.
LoadResult StartTune(SidState& s, std::span<const std::uint8_t> image, std::uint8_t song);
// One play call, then count samples.
void RenderFrame(SidState& s, std::int16_t* out, int count);

}  // namespace korveld::sid
