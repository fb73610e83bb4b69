#include "sid/synthesis.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace korveld::sid {
namespace {

// Two's complement arithmetic that wraps at 32 bits, as the filter and the
// mix are defined to do.
inline std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t WrapSub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline std::int32_t WrapMul(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
inline std::int32_t WrapShl16(std::int32_t a) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) << 16);
}
inline std::int32_t FixedMul(std::int32_t a, std::int32_t b) { return WrapMul(a >> 8, b >> 8); }

constexpr std::uint32_t kAccumulatorMask = 0x0FFFFFFF;
constexpr std::uint32_t kAccumulatorHalf = 0x8000000;
constexpr std::int32_t kEnvelopeTop = 0xFFFFFF;
constexpr std::int32_t kReleaseFloor = 0x40000;
constexpr std::uint32_t kNoiseSeed = 0xFFFFFF;

constexpr std::uint8_t kGate = 0x01, kSync = 0x02, kRing = 0x04, kTest = 0x08;
constexpr std::uint8_t kTriangle = 0x10, kSawtooth = 0x20, kPulse = 0x40, kNoise = 0x80;

// Register image offsets of the three voices and the filter block.
constexpr int kVoiceBase[3] = {0, 8, 16};
constexpr int kCutoffLow = 24, kCutoffHigh = 25, kResonanceRouting = 26, kModeVolume = 27;

inline std::uint8_t NoiseOutputOf(std::uint32_t r) {
  return static_cast<std::uint8_t>(((r >> 22) & 1) << 7 | ((r >> 20) & 1) << 6 | ((r >> 16) & 1) << 5 |
                                   ((r >> 13) & 1) << 4 | ((r >> 11) & 1) << 3 | ((r >> 7) & 1) << 2 |
                                   ((r >> 4) & 1) << 1 | ((r >> 2) & 1));
}

// Out-of-range sums clip at the 16-bit limits: wrapping would turn an
// overload into a full-scale jump of the opposite sign.
inline std::int16_t Saturate16(std::int32_t v) {
  if (v > 32767) return 32767;
  if (v < -32768) return -32768;
  return static_cast<std::int16_t>(v);
}


// The envelope times below are given by their exact bit patterns. The builtin
// rather than std::bit_cast: the WebAssembly toolchain's C++ library lacks it.
constexpr float FloatBits(std::uint32_t bits) { return __builtin_bit_cast(float, bits); }

// A voice's flag tests, made once per call (see SidRender).
struct VoicePlan {
  std::uint32_t triangle, sawtooth, pulse, noise;  // 0: this wave is on
  std::int32_t unfiltered, filtered;               // -1: the voice adds into that sum
  bool test, sync, ring;
};

// What a voice changes sample by sample, held apart from the state for the
// length of a call so that it stays in registers.
struct VoiceRun {
  std::uint32_t accumulator, frequencyStep, pulseThreshold, noisePosition, noiseRegister, noiseOutput;
  std::int32_t level;
  int phase;
  std::uint32_t attackStep, decayStep, releaseStep;
  std::int32_t sustainLevel;
  bool noiseOutputStale;  // the register moved while its output was not needed
};

// Waves: the waveform bits (control >> 4) when known at compile time, so only
// the waves that sound are computed and the noise output byte is worked out
// only while noise sounds (once at the end of the call otherwise); kAnyWaves
// takes them from the plan's masks.
constexpr int kAnyWaves = -1;

// One sample of a voice's oscillator (with test, sync against the voice
// before it, ring) and waveform: its 8-bit output. MaybeTest: whether the
// test bit may be set (a voice without it skips the test); Reads: whether
// the voice syncs or rings (one that does neither skips both).
template <int Waves, bool MaybeTest, bool Reads>
[[gnu::always_inline]] inline std::uint32_t Oscillate(VoiceRun& v, const VoicePlan& plan, std::uint32_t refAccumulator,
                                                      std::uint32_t refStep) {
  std::uint32_t a = (v.accumulator + v.frequencyStep) & kAccumulatorMask;
  if (MaybeTest && plan.test) {
    a = 0;
    v.noisePosition = 0;
    v.noiseRegister = kNoiseSeed;
  }
  if (Reads && plan.sync && refAccumulator < refStep) a = (refAccumulator * v.frequencyStep) / refStep;
  v.accumulator = a;
  std::uint32_t tri = (a >> 19) & 0xFF;
  if (a >= kAccumulatorHalf) tri ^= 0xFF;
  const std::uint32_t saw = (a >> 20) & 0xFF;
  const std::uint32_t pulse = a <= v.pulseThreshold ? 0xFF : 0x00;
  if ((a >> 23) != v.noisePosition) {
    v.noisePosition = a >> 23;
    std::uint32_t r = v.noiseRegister;
    r = (((r >> 22) ^ (r >> 17)) & 1) | (r << 1);
    v.noiseRegister = r;
    if (Waves == kAnyWaves || (Waves & 8) != 0) {
      v.noiseOutput = NoiseOutputOf(r);
    } else {
      v.noiseOutputStale = true;
    }
  }
  if (Reads && plan.ring && refAccumulator < kAccumulatorHalf) tri ^= 0xFF;
  std::uint32_t o;
  if constexpr (Waves == kAnyWaves) {
    o = (tri | plan.triangle) & (saw | plan.sawtooth) & (pulse | plan.pulse) & (v.noiseOutput | plan.noise);
  } else {
    o = 0xFF;
    if constexpr ((Waves & 1) != 0) o &= tri;
    if constexpr ((Waves & 2) != 0) o &= saw;
    if constexpr ((Waves & 4) != 0) o &= pulse;
    if constexpr ((Waves & 8) != 0) o &= v.noiseOutput;
  }
  return o;
}

// One sample of a voice's envelope.
[[gnu::always_inline]] inline void StepEnvelope(VoiceRun& v) {
  switch (v.phase) {
    case kAttack:
      v.level += static_cast<std::int32_t>(v.attackStep);
      if (v.level >= kEnvelopeTop) {
        v.level = kEnvelopeTop;
        v.phase = kDecay;
      }
      break;
    case kDecay:
      v.level -= static_cast<std::int32_t>(v.decayStep);
      if (v.level <= v.sustainLevel) {
        v.level = v.sustainLevel;
        v.phase = kSustain;
      }
      break;
    case kSustain:
      if (v.level != v.sustainLevel) v.phase = kDecay;
      break;
    default:
      v.level -= static_cast<std::int32_t>(v.releaseStep);
      if (v.level < kReleaseFloor) v.level = kReleaseFloor;
      break;
  }
}

// The signed contribution of an 8-bit output at an envelope level.
inline std::int32_t Contribution(std::uint32_t o, std::int32_t level) {
  return (static_cast<std::int32_t>(o) - 128) * level >> 22;
}

// One sample of a voice: oscillator, waveform, envelope.
template <int Waves, bool MaybeTest, bool Reads>
[[gnu::always_inline]] inline std::int32_t StepVoice(VoiceRun& v, const VoicePlan& plan, std::uint32_t refAccumulator,
                                                     std::uint32_t refStep) {
  const std::uint32_t o = Oscillate<Waves, MaybeTest, Reads>(v, plan, refAccumulator, refStep);
  StepEnvelope(v);
  return Contribution(o, v.level);
}

// How many of the next samples (at most n) the envelope stays in its phase
// with its level moving by the same delta each sample, as StepEnvelope would
// move it; 0 when the next sample may change the phase or clamp the level.
inline int SteadyEnvelopeRun(const VoiceRun& v, int n, std::int32_t& delta) {
  std::int32_t step;
  std::int64_t room;  // how far the level moves before the phase changes or it clamps
  switch (v.phase) {
    case kAttack:
      step = static_cast<std::int32_t>(v.attackStep);
      delta = step;
      room = std::int64_t{kEnvelopeTop} - 1 - v.level;
      break;
    case kDecay:
      step = static_cast<std::int32_t>(v.decayStep);
      delta = -step;
      room = std::int64_t{v.level} - v.sustainLevel - 1;
      break;
    case kSustain:
      delta = 0;
      return v.level == v.sustainLevel ? n : 0;
    default:
      step = static_cast<std::int32_t>(v.releaseStep);
      if (v.level == kReleaseFloor && step >= 0) {
        delta = 0;  // each step takes it below the floor and the floor lifts it back
        return n;
      }
      delta = -step;
      room = std::int64_t{v.level} - kReleaseFloor;
      break;
  }
  if (step <= 0 || room < 0) return 0;
  return static_cast<int>(std::min<std::int64_t>(n, room / step));
}

// The filter and the mix of one sample, once both sums are complete.
struct FilterPass {
  std::int32_t high, band, low;
  std::int32_t cutoff, resonance, volume;
  std::int32_t lowMask, bandMask, highMask;  // -1: that pass is heard
  const std::int32_t* unfiltered;
  const std::int32_t* filtered;
  std::int16_t* out;
  SidState* sampled;  // the state while the sample channel adds in, else null
};

[[gnu::always_inline]] inline void FilterSample(FilterPass& p, int i) {
  p.high = WrapSub(WrapSub(WrapShl16(p.filtered[i]), WrapMul(p.band >> 8, p.resonance)), p.low);
  p.band = WrapAdd(FixedMul(p.cutoff, p.high), p.band);
  p.low = WrapAdd(FixedMul(p.cutoff, p.band), p.low);
  const std::int32_t filterOut =
      ((p.low >> 16) & p.lowMask) + ((p.band >> 16) & p.bandMask) + ((p.high >> 16) & p.highMask);
  const std::int32_t mixed = WrapMul(WrapAdd(p.unfiltered[i], filterOut), p.volume);
  p.out[i] = Saturate16(p.sampled != nullptr ? SampleChannelMix(*p.sampled, mixed) : mixed);
}

// A voice through a chunk, adding into its sum. A voice that syncs or rings
// reads the accumulator of the voice before it, sample by sample, from
// reference[i]; every voice leaves its own accumulators in accumulators[i],
// for a voice that reads it. The samples go in runs in which the envelope
// moves by a fixed step (SteadyEnvelopeRun), with a full envelope step for
// each sample between runs. Filters: the voice is the chunk's last, and
// each sample goes on through the filter as soon as its sums are complete;
// the filter is one long chain of dependent steps, and beside the voice's
// work it costs little more than the voice alone.
template <int Waves, bool Reads, bool MaybeTest, bool Filters>
void RunVoice(VoiceRun& v, const VoicePlan& plan, int n, std::int32_t* sum, const std::uint32_t* reference,
              std::uint32_t refStep, std::uint32_t* accumulators, FilterPass* filter) {
  VoiceRun run = v;
  FilterPass pass;
  if constexpr (Filters) pass = *filter;
  int i = 0;
  while (i < n) {
    std::int32_t delta = 0;
    const int end = i + SteadyEnvelopeRun(run, n - i, delta);
    for (; i < end; ++i) {
      const std::uint32_t o = Oscillate<Waves, MaybeTest, Reads>(run, plan, Reads ? reference[i] : 0, Reads ? refStep : 0);
      accumulators[i] = run.accumulator;
      run.level += delta;
      sum[i] += Contribution(o, run.level);
      if constexpr (Filters) FilterSample(pass, i);
    }
    if (i < n) {
      sum[i] += StepVoice<Waves, MaybeTest, Reads>(run, plan, Reads ? reference[i] : 0, Reads ? refStep : 0);
      accumulators[i] = run.accumulator;
      if constexpr (Filters) FilterSample(pass, i);
      ++i;
    }
  }
  v = run;
  if constexpr (Filters) *filter = pass;
}

using RunVoiceFunction = void (*)(VoiceRun&, const VoicePlan&, int, std::int32_t*, const std::uint32_t*, std::uint32_t,
                                  std::uint32_t*, FilterPass*);
template <bool Reads, bool Filters, std::size_t... Waves>
constexpr std::array<RunVoiceFunction, sizeof...(Waves)> RunVoiceTable(std::index_sequence<Waves...>) {
  return {&RunVoice<static_cast<int>(Waves), Reads, false, Filters>...};
}
// [filters][reads][waves]
constexpr std::array<RunVoiceFunction, 16> kRunVoice[2][2] = {
    {RunVoiceTable<false, false>(std::make_index_sequence<16>{}),
     RunVoiceTable<true, false>(std::make_index_sequence<16>{})},
    {RunVoiceTable<false, true>(std::make_index_sequence<16>{}),
     RunVoiceTable<true, true>(std::make_index_sequence<16>{})}};
// A voice with its test bit set, any waves: [filters][reads].
constexpr RunVoiceFunction kRunTestVoice[2][2] = {
    {&RunVoice<kAnyWaves, false, true, false>, &RunVoice<kAnyWaves, true, true, false>},
    {&RunVoice<kAnyWaves, false, true, true>, &RunVoice<kAnyWaves, true, true, true>}};

}  // namespace

const float kAttackTimes[16] = {
    FloatBits(0x3B13A4BBu), FloatBits(0x3C033C33u), FloatBits(0x3C812F42u),
    FloatBits(0x3CC2CD5Bu), FloatBits(0x3D18C413u), FloatBits(0x3D618F77u),
    FloatBits(0x3D88DFC9u), FloatBits(0x3DA0749Au), FloatBits(0x3DC8F42Du),
    FloatBits(0x3E7A6C5Fu), FloatBits(0x3EFA6C5Fu), FloatBits(0x3F485022u),
    FloatBits(0x3F7A4B8Fu), FloatBits(0x403BC0DFu), FloatBits(0x409C7354u),
    FloatBits(0x40FA53C3u)};

const float kDecayReleaseTimes[16] = {
    FloatBits(0x3C121BDEu), FloatBits(0x3CC97977u), FloatBits(0x3D465292u),
    FloatBits(0x3D958724u), FloatBits(0x3DEA8584u), FloatBits(0x3E2D22E0u),
    FloatBits(0x3E521FCDu), FloatBits(0x3E765342u), FloatBits(0x3E9A3F8Eu),
    FloatBits(0x3F40383Fu), FloatBits(0x3FC03837u), FloatBits(0x4019C186u),
    FloatBits(0x40401F04u), FloatBits(0x41101D8Cu), FloatBits(0x41702D0Cu),
    FloatBits(0x41C0254Cu)};

void SidBuildTables(SidState& s, std::uint32_t mixingRate) {
  SidTables& t = s.tables;
  t.mixingRate = mixingRate;
  t.frequencyMultiplier = 15872000u / mixingRate;
  const float filterConstant = 21.533203125f;
  t.filterMultiplier = static_cast<std::uint32_t>(static_cast<double>(filterConstant) * 65536.0) / mixingRate;
  s.sample.stepAccumulator = 0;
  const double rate = static_cast<double>(static_cast<float>(mixingRate));
  for (int i = 0; i < 16; ++i) {
    t.attackSteps[i] = static_cast<std::uint32_t>(16777216.0 / (static_cast<double>(kAttackTimes[i]) * rate));
    t.decayReleaseSteps[i] =
        static_cast<std::uint32_t>(16777216.0 / (static_cast<double>(kDecayReleaseTimes[i]) * rate));
  }
  s.registers = SidRegisterImage{};
  for (SidVoice& v : s.voices) {
    v = SidVoice{};
    v.noiseRegister = kNoiseSeed;
  }
  s.filter = SidFilter{};
}

void SidWriteRegister(SidState& s, int reg, std::uint8_t value) {
  if (reg < 0 || reg > 24) return;
  if (reg >= 21) {
    s.registers.bytes[kCutoffLow + (reg - 21)] = value;
    return;
  }
  const int voice = reg / 7;
  const int field = reg % 7;
  s.registers.bytes[kVoiceBase[voice] + field] = value;
  if (field == 4) {
    SidVoice& v = s.voices[voice];
    // The gate acts at once; gate 1 only restarts a released voice.
    if ((value & kGate) == 0) {
      v.phase = kRelease;
    } else if (v.phase == kRelease) {
      v.phase = kAttack;
    }
  }
}

std::uint8_t SidRegisterValue(const SidState& s, int reg) {
  if (reg < 0 || reg > 24) return 0;
  if (reg >= 21) return s.registers.bytes[kCutoffLow + (reg - 21)];
  return s.registers.bytes[kVoiceBase[reg / 7] + reg % 7];
}

void SidRender(SidState& s, std::int16_t* out, int count) {
  const auto& reg = s.registers.bytes;
  const SidTables& t = s.tables;
  for (int v = 0; v < 3; ++v) {
    SidVoice& voice = s.voices[v];
    const int b = kVoiceBase[v];
    voice.frequencyStep = static_cast<std::uint32_t>(reg[b] | reg[b + 1] << 8) * t.frequencyMultiplier;
    voice.pulseThreshold = static_cast<std::uint32_t>((reg[b + 2] | reg[b + 3] << 8) & 0xFFF) << 16;
    voice.filtered = (reg[kResonanceRouting] >> v) & 1;
    voice.attackStep = t.attackSteps[reg[b + 5] >> 4];
    voice.decayStep = t.decayReleaseSteps[reg[b + 5] & 15];
    voice.sustain = reg[b + 6] & 0xF0;
    voice.releaseStep = t.decayReleaseSteps[reg[b + 6] & 15];
    voice.control = reg[b + 4];
  }
  SidFilter& f = s.filter;
  const std::uint32_t cutoff =
      (static_cast<std::uint32_t>(reg[kCutoffHigh]) * 16 + (reg[kCutoffLow] & 7)) * t.filterMultiplier;
  f.cutoff = cutoff > 65536 ? 65536 : static_cast<std::int32_t>(cutoff);
  f.lowPass = (reg[kModeVolume] >> 4) & 1;
  f.bandPass = (reg[kModeVolume] >> 5) & 1;
  f.highPass = (reg[kModeVolume] >> 6) & 1;
  f.voice3On = (reg[kModeVolume] & 0x80) == 0 ? 1 : 0;
  f.volume = reg[kModeVolume] & 15;
  const std::int32_t resonanceBase = static_cast<std::int32_t>(1.2f * 65536.0f);
  const std::int32_t resonanceSlope = static_cast<std::int32_t>(0.04f * 65536.0f);
  f.resonanceTerm = (resonanceBase - resonanceSlope * (reg[kResonanceRouting] >> 4)) >> 8;

  // The control registers do not change within a call: each voice's flag
  // tests are made once here. A waveform bit becomes a mask that lets its
  // wave through (0) or leaves the other waves alone (0xFF), so the output
  // is the AND of the four; the routing becomes two masks, one for the
  // unfiltered and one for the filtered sum (voice 3 switched off: neither).
  VoicePlan plans[3];
  VoiceRun runs[3];
  for (int v = 0; v < 3; ++v) {
    const SidVoice& voice = s.voices[v];
    const std::uint8_t c = voice.control;
    auto pass = [c](std::uint8_t bit) { return (c & bit) != 0 ? 0u : 0xFFu; };
    const bool heard = v < 2 || f.voice3On != 0;
    plans[v] = {pass(kTriangle), pass(kSawtooth), pass(kPulse), pass(kNoise),
                heard && voice.filtered == 0 ? -1 : 0, heard && voice.filtered != 0 ? -1 : 0,
                (c & kTest) != 0, (c & kSync) != 0, (c & kRing) != 0};
    runs[v] = {voice.accumulator, voice.frequencyStep, voice.pulseThreshold, voice.noisePosition,
               voice.noiseRegister, voice.noiseOutput, voice.envelopeLevel, voice.phase,
               voice.attackStep, voice.decayStep, voice.releaseStep,
               static_cast<std::int32_t>(voice.sustain << 16), false};
  }
  FilterPass filter = {f.high, f.band, f.low, f.cutoff, f.resonanceTerm, f.volume,
                       f.lowPass != 0 ? -1 : 0, f.bandPass != 0 ? -1 : 0, f.highPass != 0 ? -1 : 0,
                       nullptr, nullptr, nullptr, s.sample.active != 0 ? &s : nullptr};

  constexpr int kChunk = 256;
  std::int32_t unfiltered[kChunk];
  std::int32_t filtered[kChunk];
  std::int32_t unheard[kChunk];  // voice 3 switched off adds here
  std::uint32_t accumulators[3][kChunk + 1];
  filter.unfiltered = unfiltered;
  filter.filtered = filtered;
  for (int first = 0; first < count; first += kChunk) {
    const int n = std::min(kChunk, count - first);
    filter.out = out + first;
    // Each voice's sync and ring read the voice before it: voice 1 reads
    // voice 3 as it was before this sample, voices 2 and 3 read theirs after.
    // Unless all three read, the voices run one after another through the
    // chunk, starting after one that reads none, each reader finding the
    // accumulators of the voice it reads already made.
    int firstVoice = -1;
    for (int v = 0; v < 3 && firstVoice < 0; ++v) {
      if (!plans[v].sync && !plans[v].ring) firstVoice = v;
    }
    if (firstVoice < 0) {
      for (int i = 0; i < n; ++i) {
        const std::int32_t x0 = StepVoice<kAnyWaves, true, true>(runs[0], plans[0], runs[2].accumulator, runs[2].frequencyStep);
        const std::int32_t x1 = StepVoice<kAnyWaves, true, true>(runs[1], plans[1], runs[0].accumulator, runs[0].frequencyStep);
        const std::int32_t x2 = StepVoice<kAnyWaves, true, true>(runs[2], plans[2], runs[1].accumulator, runs[1].frequencyStep);
        unfiltered[i] = (x0 & plans[0].unfiltered) + (x1 & plans[1].unfiltered) + (x2 & plans[2].unfiltered);
        filtered[i] = (x0 & plans[0].filtered) + (x1 & plans[1].filtered) + (x2 & plans[2].filtered);
        FilterSample(filter, i);
      }
    } else {
      std::fill_n(unfiltered, n, 0);
      std::fill_n(filtered, n, 0);
      for (int k = 0; k < 3; ++k) {
        const int v = (firstVoice + k) % 3;
        const int ref = (v + 2) % 3;
        const unsigned waves = s.voices[v].control >> 4;
        // accumulators[v][0] is where the voice stood before the chunk, [i + 1] after sample i.
        accumulators[v][0] = runs[v].accumulator;
        std::int32_t* sum = plans[v].filtered != 0 ? filtered : plans[v].unfiltered != 0 ? unfiltered : unheard;
        if (sum == unheard) std::fill_n(unheard, n, 0);
        const bool reads = plans[v].sync || plans[v].ring;
        const int last = k == 2 ? 1 : 0;
        const RunVoiceFunction run = plans[v].test ? kRunTestVoice[last][reads ? 1 : 0]
                                                   : kRunVoice[last][reads ? 1 : 0][waves];
        const std::uint32_t* reference = v == 0 ? accumulators[ref] : accumulators[ref] + 1;
        run(runs[v], plans[v], n, sum, reads ? reference : nullptr, reads ? runs[ref].frequencyStep : 0,
            accumulators[v] + 1, &filter);
      }
    }
  }
  f.high = filter.high;
  f.band = filter.band;
  f.low = filter.low;
  for (int v = 0; v < 3; ++v) {
    SidVoice& voice = s.voices[v];
    const VoiceRun& run = runs[v];
    voice.accumulator = run.accumulator;
    voice.noisePosition = run.noisePosition;
    voice.noiseRegister = run.noiseRegister;
    voice.noiseOutput = static_cast<std::uint8_t>(run.noiseOutputStale ? NoiseOutputOf(run.noiseRegister) : run.noiseOutput);
    voice.envelopeLevel = run.level;
    voice.phase = static_cast<std::uint8_t>(run.phase);
  }
}

}  // namespace korveld::sid
