// The emulated C64 as the tune player sees it: SID registers and voices,
// filter and step tables, 6510 registers, 64 KiB of RAM, the sample channel
// and the tune's addresses. One plain record, no heap, copied never.
#pragma once

#include <array>
#include <cstdint>

namespace korveld::sid {

inline constexpr int kMixingRate = 44100;
inline constexpr int kFrameSamples = 882;  // one play call per 1/50 s at 44100 Hz

// Last value written to each register, in the chip's own layout
// (voice 1 at 0..6, voice 2 at 8..14, voice 3 at 16..22, filter at 24..27).
struct SidRegisterImage {
  std::array<std::uint8_t, 28> bytes{};
};

enum EnvelopePhase : std::uint8_t { kAttack = 0, kDecay = 1, kSustain = 2, kRelease = 3 };

struct SidVoice {
  std::uint32_t frequencyStep = 0;
  std::uint32_t pulseThreshold = 0;
  std::uint8_t control = 0;
  std::uint8_t filtered = 0;
  std::uint32_t attackStep = 0;
  std::uint32_t decayStep = 0;
  std::uint32_t sustain = 0;
  std::uint32_t releaseStep = 0;
  std::uint32_t accumulator = 0;  // 28 bits used
  std::int32_t envelopeLevel = 0;  // 0..$FFFFFF
  std::uint8_t phase = kAttack;
  std::uint32_t noisePosition = 0;
  std::uint32_t noiseRegister = 0;
  std::uint8_t noiseOutput = 0;
};

// 16.16 fixed point state-variable filter.
struct SidFilter {
  std::int32_t cutoff = 0;
  std::uint8_t lowPass = 0;
  std::uint8_t bandPass = 0;
  std::uint8_t highPass = 0;
  std::uint8_t voice3On = 0;
  std::int32_t volume = 0;
  std::int32_t resonanceTerm = 0;
  std::int32_t high = 0;
  std::int32_t band = 0;
  std::int32_t low = 0;
};

struct SidTables {
  std::uint32_t frequencyMultiplier = 0;
  std::uint32_t filterMultiplier = 0;
  std::uint32_t mixingRate = 0;
  std::array<std::uint32_t, 16> attackSteps{};
  std::array<std::uint32_t, 16> decayReleaseSteps{};
};

struct CpuRegisters {
  std::uint8_t operand = 0;       // scratch: last operand
  std::uint16_t intermediate = 0;  // scratch: last address or sum
  std::uint8_t a = 0;
  std::uint8_t x = 0;
  std::uint8_t y = 0;
  std::uint8_t s = 0xFF;
  std::uint8_t p = 0;
  std::uint16_t pc = 0;
};

struct C64Memory {
  std::array<std::uint8_t, 65536> bytes{};
};

// 4-bit sample playback driven by extended registers above the SID's own.
struct SampleChannel {
  std::int32_t period = 0;
  std::int32_t order = 0;
  std::int32_t start = 0;
  std::int32_t end = 0;
  std::int32_t unused = 0;
  std::int32_t repeatCount = 0;
  std::int32_t repeatAddress = 0;
  std::int32_t active = 0;
  std::int32_t current = 0;
  std::int32_t startCopy = 0;
  std::int32_t endCopy = 0;
  std::int32_t repeatCopy = 0;
  std::int32_t stepAccumulator = 0;
  std::int32_t periodCopy = 0;
  std::int32_t repeatCountCopy = 0;
  std::int32_t orderCopy = 0;
  std::int32_t toggle = 0;
};

struct TuneAddresses {
  std::uint16_t load = 0;
  std::uint16_t init = 0;
  std::uint16_t play = 0;
  std::uint8_t songsMinus1 = 0;
  std::uint8_t startSongMinus1 = 0;
  std::uint8_t speed = 0;
};

// Counters of the routine calls, for tools and tests; nothing reads them
// while playing.
struct CallCounters {
  std::uint32_t lastInstructions = 0;  // instructions of the most recent call
  std::uint32_t budgetExhausted = 0;   // calls stopped by the instruction budget
};

struct SidState {
  SidRegisterImage registers;
  std::array<SidVoice, 3> voices;
  SidFilter filter;
  SidTables tables;
  CpuRegisters cpu;
  C64Memory memory;
  SampleChannel sample;
  TuneAddresses tune;
  CallCounters counters;
  // The sample channel's current level survives every reset: it is the one
  // piece of sound state a new tune inherits from the previous one.
  std::int32_t sampleLevel = 0;
};

}  // namespace korveld::sid
