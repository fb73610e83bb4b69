#include "tools/xmgen/synth.hpp"

#include <algorithm>
#include <cmath>

namespace korveld::xmgen {

Wave Additive(const std::vector<double>& amplitudes, int period, int cycles, const std::vector<double>& phases) {
  Wave w(static_cast<std::size_t>(period * cycles), 0.0);
  for (std::size_t k = 0; k < amplitudes.size(); ++k) {
    if (amplitudes[k] == 0.0) continue;
    const double phase = k < phases.size() ? phases[k] : 0.0;
    const double h = static_cast<double>(k + 1);
    for (std::size_t i = 0; i < w.size(); ++i) {
      w[i] += amplitudes[k] * std::sin(2.0 * kPi * h * static_cast<double>(i) / period + phase);
    }
  }
  return w;
}

Wave Saw(int period, int cycles, int harmonics) {
  std::vector<double> a;
  for (int k = 1; k <= harmonics; ++k) a.push_back(1.0 / k);
  return Additive(a, period, cycles);
}

Wave Square(int period, int cycles, int harmonics, double duty) {
  std::vector<double> a;
  std::vector<double> p;
  for (int k = 1; k <= harmonics; ++k) {
    // Pulse of the given duty: harmonic k has amplitude sin(pi k d) / k.
    a.push_back(std::sin(kPi * k * duty) / k);
    p.push_back(kPi / 2 - kPi * k * duty);
  }
  return Additive(a, period, cycles, p);
}

Wave Detuned(const std::vector<double>& amplitudes, int period, int cycles, int beat) {
  const int length = period * cycles;
  Wave w(static_cast<std::size_t>(length), 0.0);
  for (std::size_t k = 0; k < amplitudes.size(); ++k) {
    const double h = static_cast<double>(k + 1);
    for (int i = 0; i < length; ++i) {
      const double t = static_cast<double>(i) / length;
      w[static_cast<std::size_t>(i)] += amplitudes[k] * (std::sin(2.0 * kPi * h * cycles * t) +
                                                         std::sin(2.0 * kPi * h * (cycles + beat) * t + 1.3 * h));
    }
  }
  return w;
}

Wave Pluck(double frequency, double seconds, double damping, std::uint32_t seed) {
  const int length = static_cast<int>(seconds * kSynthRate);
  const int delay = std::max(2, static_cast<int>(std::lround(kSynthRate / frequency)));
  Noise noise{seed};
  std::vector<double> line(static_cast<std::size_t>(delay));
  for (double& v : line) v = noise.next();
  Wave w(static_cast<std::size_t>(length));
  std::size_t at = 0;
  for (int i = 0; i < length; ++i) {
    const double current = line[at];
    const double next = line[(at + 1) % line.size()];
    line[at] = damping * 0.5 * (current + next);
    w[static_cast<std::size_t>(i)] = current;
    at = (at + 1) % line.size();
  }
  return w;
}

Wave Fm(double frequency, double ratio, double index, double indexDecay, double seconds) {
  const int length = static_cast<int>(seconds * kSynthRate);
  Wave w(static_cast<std::size_t>(length));
  for (int i = 0; i < length; ++i) {
    const double t = i / kSynthRate;
    const double mod = index * std::exp(-indexDecay * t) * std::sin(2.0 * kPi * frequency * ratio * t);
    w[static_cast<std::size_t>(i)] = std::sin(2.0 * kPi * frequency * t + mod);
  }
  return w;
}

void Lowpass(Wave& w, double cutoffHz) {
  const double a = 1.0 - std::exp(-2.0 * kPi * cutoffHz / kSynthRate);
  double y = 0.0;
  for (double& v : w) {
    y += a * (v - y);
    v = y;
  }
}

void Highpass(Wave& w, double cutoffHz) {
  const double a = 1.0 - std::exp(-2.0 * kPi * cutoffHz / kSynthRate);
  double low = 0.0;
  for (double& v : w) {
    low += a * (v - low);
    v -= low;
  }
}

void DecayEnvelope(Wave& w, double attackSeconds, double decayPerSecond) {
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kSynthRate;
    const double attack = attackSeconds > 0 ? std::min(1.0, t / attackSeconds) : 1.0;
    w[i] *= attack * std::exp(-decayPerSecond * t);
  }
}

void FadeOut(Wave& w, double seconds) {
  const std::size_t n = std::min(w.size(), static_cast<std::size_t>(seconds * kSynthRate));
  for (std::size_t i = 0; i < n; ++i) w[w.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(n);
}

void Normalize(Wave& w, double peak) {
  double m = 0.0;
  for (double v : w) m = std::max(m, std::fabs(v));
  if (m == 0.0) return;
  for (double& v : w) v *= peak / m;
}

Wave Concat(const Wave& a, const Wave& b) {
  Wave w = a;
  w.insert(w.end(), b.begin(), b.end());
  return w;
}

Sample MakeSample(const Wave& w, bool sixteenBit, Loop loop, std::uint32_t loopStart, std::uint32_t loopLength) {
  Sample s;
  s.sixteenBit = sixteenBit;
  s.values.reserve(w.size());
  for (double v : w) {
    const double scaled = std::clamp(v, -1.0, 1.0) * 32767.0;
    auto q = static_cast<std::int16_t>(std::lround(scaled));
    if (!sixteenBit) q = static_cast<std::int16_t>(std::clamp<long>(std::lround(scaled / 256.0), -128, 127) * 256);
    s.values.push_back(q);
  }
  s.loop = loop;
  s.loopStart = loopStart;
  s.loopLength = loopLength;
  s.relativeNote = 12;
  return s;
}

}  // namespace korveld::xmgen
