// From channel to voice: the period tables, the tick length and the hand-over
// of a channel's pitch, volume, pan and triggers to its MixVoice.
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>

#include "xm/xm_player.hpp"

namespace korveld::xm {
namespace {

constexpr std::int32_t kAmigaClock = 14317056;
constexpr float kLinearBase = 4608.0f;
constexpr float kLinearScale = 0.0013020834f;  // 1/768: 768 units per octave
constexpr float kVolumeScale = 7.4214768e-9f;  // 127.5 / (64 * 64 * 65536 * 64)
constexpr std::int32_t kMinimumStepHz = 100;
// Voice volumes stay far from the 24.8 ramp arithmetic's limits even for
// absurd envelope or effect values.
constexpr long double kVolumeLimit = 1 << 20;
// Slides without a limit (2xx, X2y, E2y, the volume column's pan slides) may
// run for hours; holding period and pan this far out keeps their sums from
// overflowing while every value beyond the audible range sounds the same.
constexpr std::int32_t kPeriodLimit = 1 << 24;
constexpr std::int32_t kPanLimit = 1 << 20;
// The Amiga table's exponents notes reach (-139..133), with room; at 300 the
// largest entry, 2^25 x 13.375, still fits 32 bits (past 327 it would not).
constexpr int kAmigaTableReach = 300;
// The linear table's arguments from 0 Hz up to the 32-bit clamp.
constexpr std::int32_t kLinearTableLow = -14615;
constexpr std::int32_t kLinearTableHigh = 9196;

// The pitch and tempo formulas below use pow, exp2 and long double, which
// differ between the native build (glibc, 80-bit x87 long double) and the
// WebAssembly build (musl, 128-bit long double). Their results differ in the
// last bits at most, and after the truncation to an integer they are equal
// for every input a module can reach, checked with both builds: k in
// -300..300 here (notes reach -139..133), every LinearHz argument in
// -2^20..2^20 (outside -14614..9193 the result is 0 or the clamp), every bpm
// in 1..2^21 (past 55125 a tick is one sample). The volume product is exact
// in both: integers up to 2^35 times a 24-bit float fit a 64-bit mantissa.
std::int32_t ComputeAmigaTableEntry(int k) {
  return static_cast<std::int32_t>(std::pow(2.0, static_cast<double>(k) * static_cast<double>(0.083333336f)) * 13.375);
}

// A note's period takes two or three of these powers, on every new note and
// every arpeggio tick; the ones notes reach are looked up in a table computed
// once by the same formula.
std::int32_t AmigaTableEntry(int k) {
  static const std::array<std::int32_t, 2 * kAmigaTableReach + 1> table = [] {
    std::array<std::int32_t, 2 * kAmigaTableReach + 1> t{};
    for (int i = -kAmigaTableReach; i <= kAmigaTableReach; ++i) t[i + kAmigaTableReach] = ComputeAmigaTableEntry(i);
    return t;
  }();
  if (k < -kAmigaTableReach || k > kAmigaTableReach) return ComputeAmigaTableEntry(k);
  return table[static_cast<std::size_t>(k + kAmigaTableReach)];
}

void SetVoiceStep(MixVoice& voice, std::int32_t hz) {
  voice.frequency = hz;
  const std::int64_t f = std::max(hz, kMinimumStepHz);
  voice.stepInteger = static_cast<std::uint32_t>(f / kMixRate);
  voice.stepFraction = static_cast<std::uint32_t>(((f % kMixRate) << 32) / kMixRate);
}

std::int32_t ComputeLinearHz(std::int32_t periodPlusOffsetNegated) {
  const long double exponent =
      (static_cast<long double>(kLinearBase) + periodPlusOffsetNegated) * static_cast<long double>(kLinearScale);
  long double hz = 8363.0L * std::exp2(exponent);
  if (hz > static_cast<long double>(INT32_MAX)) hz = INT32_MAX;
  return static_cast<std::int32_t>(hz);
}

// Every channel asks for its frequency on every tick, and the power above
// costs more than the rest of a channel's tick; so the arguments between
// 0 Hz and the clamp (every note and its slides and vibratos) are looked up,
// each computed by the same formula the first time it is asked for (a song
// uses a few hundred of the 24k). An entry holds the value plus one, 0 until
// computed; players on several threads may compute the same entry, and all
// store the same value.
std::int32_t LinearHz(std::int32_t periodPlusOffsetNegated) {
  static std::atomic<std::uint32_t> table[kLinearTableHigh - kLinearTableLow + 1];
  if (periodPlusOffsetNegated < kLinearTableLow || periodPlusOffsetNegated > kLinearTableHigh) {
    return ComputeLinearHz(periodPlusOffsetNegated);
  }
  std::atomic<std::uint32_t>& entry = table[periodPlusOffsetNegated - kLinearTableLow];
  std::uint32_t stored = entry.load(std::memory_order_relaxed);
  if (stored == 0) {
    stored = static_cast<std::uint32_t>(ComputeLinearHz(periodPlusOffsetNegated)) + 1;
    entry.store(stored, std::memory_order_relaxed);
  }
  return static_cast<std::int32_t>(stored - 1);
}

// (volume + offset) x envelope x fadeout x global volume x kVolumeScale,
// truncated and held within the limit. The scale is exactly 255 / 2^35, so
// while the integer product stays below 2^54 (every module's stays below
// 2^35) the result is an integer multiply and shift, far cheaper than the
// long double product it equals.
std::int32_t VoiceVolume(const XmChannel& channel, const XmSong& song) {
  static_assert(kVolumeScale * 34359738368.0f == 255.0f);
  const std::int64_t factors[] = {std::int64_t{channel.volume} + channel.volumeOffset, channel.volumeEnvelope.current,
                                  channel.fadeoutVolume, song.globalVolume};
  std::int64_t product = 1;
  for (const std::int64_t f : factors) {
    if (f <= -(1 << 20) || f >= (1 << 20) || product <= -(1ll << 34) || product >= (1ll << 34)) {
      long double v = static_cast<long double>(channel.volume + channel.volumeOffset) * channel.volumeEnvelope.current *
                      channel.fadeoutVolume * song.globalVolume * static_cast<long double>(kVolumeScale);
      return static_cast<std::int32_t>(std::clamp(v, -kVolumeLimit, kVolumeLimit));
    }
    product *= f;
  }
  const std::int64_t magnitude =
      std::min(((product < 0 ? -product : product) * 255) >> 35, static_cast<std::int64_t>(kVolumeLimit));
  return static_cast<std::int32_t>(product < 0 ? -magnitude : magnitude);
}

}  // namespace

std::int32_t AmigaPeriod(std::int32_t note, std::int32_t finetune) {
  const std::int32_t p = AmigaTableEntry(132 - note);
  if (finetune < 0 && note != 0) return p + (std::abs(finetune) * (p - AmigaTableEntry(133 - note))) / -128;
  return p + ((p - AmigaTableEntry(131 - note)) * finetune) / -128;
}

void SetBpm(XmSong& song, std::int32_t bpm) {
  // The format allows 1..255; stay positive for anything a header may hold.
  bpm = std::max(bpm, 1);
  song.bpm = bpm;
  const long double ms = 1000.0L / (bpm * static_cast<long double>(0.4f));
  std::int32_t samples = static_cast<std::int32_t>(ms * kMixRate * static_cast<long double>(0.001f));
  song.samplesPerTick = std::max(samples, 1);
}

void CommitChannel(XmPlayer& player, XmChannel& channel, const XmSample* sample, const XmSong& song) {
  channel.period = std::clamp(channel.period, -kPeriodLimit, kPeriodLimit);
  channel.pan = std::clamp(channel.pan, -kPanLimit, kPanLimit);
  std::uint8_t requests = channel.requests;
  if (channel.period + channel.frequencyOffset == 0) requests &= static_cast<std::uint8_t>(~kRequestFrequency);

  if (requests & kRequestTrigger) {
    MixVoice* voice = &player.voices[static_cast<std::size_t>(channel.voice)];
    if (voice->sample != nullptr) {
      // The old note ramps out on the other voice of the pair.
      const int other = channel.voice < kChannels ? channel.voice + kChannels : channel.voice - kChannels;
      MixVoice& copy = player.voices[static_cast<std::size_t>(other)];
      copy = *voice;
      copy.number = other;
      voice->volume = 0;
      voice->leftVolume = 0;
      voice->rightVolume = 0;
      channel.voice = other;
      voice = &copy;
    }
    voice->sample = sample;
    if (voice->startOffset >= sample->loopEnd()) voice->startOffset = 0;
    voice->position = voice->startOffset;
    voice->fraction = 0;
    voice->direction = 1;
    voice->startOffset = 0;
    voice->currentLeft = 0;
    voice->currentRight = 0;
    voice->rampCount = 0;
  }

  MixVoice& voice = player.voices[static_cast<std::size_t>(channel.voice)];
  if (requests & kRequestVolume) {
    const std::int32_t volume = VoiceVolume(channel, song);
    voice.volume = volume;
    voice.actualVolume = volume;
    voice.leftVolume = voice.pan * volume / 255;
    voice.rightVolume = (255 - voice.pan) * volume / 255;
  }
  if (requests & kRequestPan) {
    int p = channel.pan + (channel.panningEnvelope.current - 32) * ((128 - std::abs(channel.pan - 128)) / 32);
    p = std::clamp(p, 0, 255);
    voice.pan = p;
    voice.actualPan = p;
    voice.leftVolume = voice.volume * p / 255;
    voice.rightVolume = (255 - p) * voice.volume / 255;
  }
  if (requests & kRequestFrequency) {
    std::int32_t hz;
    if (song.linear()) {
      hz = LinearHz(-channel.period + channel.frequencyOffset);
    } else {
      hz = kAmigaClock / (channel.period + channel.frequencyOffset);
    }
    SetVoiceStep(voice, hz);
  }
  if (requests & kRequestRewind) {
    voice.position = 0;
    voice.fraction = 0;
    voice.startOffset = 0;
  }
  channel.requests = requests;
}

}  // namespace korveld::xm
