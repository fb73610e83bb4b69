// SID synthesis: three voices, envelopes, the filter, the master volume and
// the 4-bit sample channel, rendered as 16-bit mono samples.
#pragma once

#include <cstdint>

#include "sid/sid_state.hpp"

namespace korveld::sid {

// Full attack and full decay/release durations in seconds per nibble value.
extern const float kAttackTimes[16];
extern const float kDecayReleaseTimes[16];

void SidBuildTables(SidState& s, std::uint32_t mixingRate);
void SidWriteRegister(SidState& s, int reg, std::uint8_t value);
// Decodes a CPU store to $D419-$D7FF into the sample channel registers.
void SampleChannelWrite(SidState& s, std::uint16_t address, std::uint8_t value);
void SidRender(SidState& s, std::int16_t* out, int count);
std::int32_t SampleChannelMix(SidState& s, std::int32_t value);

// The value last written to SID register 0..24 (for register dumps).
std::uint8_t SidRegisterValue(const SidState& s, int reg);

}  // namespace korveld::sid
