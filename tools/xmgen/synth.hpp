// Instrument synthesis for the generated modules: oscillators, noise,
// plucked strings and simple filters, rendered at kSynthRate so that a sample
// with relative note +12 sounds at its written pitch.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/xmgen/xm_writer.hpp"

namespace korveld::xmgen {

inline constexpr double kSynthRate = 16726.0;  // C-4 with relative note +12
inline constexpr double kC4 = kSynthRate / 64.0;  // 64 samples per cycle
inline constexpr double kPi = 3.14159265358979323846;

using Wave = std::vector<double>;

// Deterministic noise in -1..1.
struct Noise {
  std::uint32_t state = 0x12345678;
  double next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
  }
};

// Sum of harmonics of a cycle of `period` samples, `cycles` cycles long (a
// seamless loop); amplitudes[k] belongs to harmonic k + 1.
Wave Additive(const std::vector<double>& amplitudes, int period, int cycles, const std::vector<double>& phases = {});
// Band-limited saw and square by additive synthesis.
Wave Saw(int period, int cycles, int harmonics);
Wave Square(int period, int cycles, int harmonics, double duty = 0.5);
// Two oscillators whose cycle counts differ by `beat` over the loop: a chorus
// that still loops seamlessly.
Wave Detuned(const std::vector<double>& amplitudes, int period, int cycles, int beat);
// Plucked string (delay line with averaging), `seconds` long.
Wave Pluck(double frequency, double seconds, double damping, std::uint32_t seed);
// Two-operator FM with an exponentially decaying index.
Wave Fm(double frequency, double ratio, double index, double indexDecay, double seconds);

void Lowpass(Wave& w, double cutoffHz);
void Highpass(Wave& w, double cutoffHz);
void DecayEnvelope(Wave& w, double attackSeconds, double decayPerSecond);
void FadeOut(Wave& w, double seconds);
void Normalize(Wave& w, double peak);
Wave Concat(const Wave& a, const Wave& b);

// A sample from a wave in -1..1, 8- or 16-bit, with an optional loop.
Sample MakeSample(const Wave& w, bool sixteenBit, Loop loop = Loop::None, std::uint32_t loopStart = 0,
                  std::uint32_t loopLength = 0);

}  // namespace korveld::xmgen
