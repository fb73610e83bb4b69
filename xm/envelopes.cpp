// Per-channel modulation: envelopes, vibrato, tremolo, auto-vibrato, tremor
// and the tone portamento slide, plus the instrument reset of a new note.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "xm/envelopes.hpp"

namespace korveld::xm {
namespace {

// Envelope values stay between the lowest and the highest point (0..64) for
// any envelope whose points rise in x; the limit only bites on points out of
// order, which would otherwise slide the value without end.
constexpr std::int64_t kEnvelopeValueMax = std::int64_t{kEnvelopeMaxY} << 16;
// Past the largest point x (65535) the tick matters no more; holding it
// there keeps a stalled envelope from counting forever.
constexpr std::int32_t kEnvelopeTickMax = 1 << 20;

// The two sines below take few arguments (position -128..127, the
// auto-vibrato's 0..255); the native and the WebAssembly C libraries give
// the same integers for all of them, checked with both builds.
int SineValue(int position) {
  return static_cast<int>(std::fabs(std::sin(static_cast<double>(2 * position) * static_cast<double>(0.049087375f))) *
                          256.0);
}

int RampValue(int position) {
  return position >= 0 ? (8 * position) & 255 : 255 - ((8 * position) & 255);
}

}  // namespace

void ResetInstrument(XmChannel& channel, const XmSample* sample) {
  channel.volume = sample->defaultVolume;
  channel.pan = sample->defaultPanning;
  channel.volumeEnvelope = EnvelopeState{};
  channel.volumeEnvelope.current = 64;
  channel.volumeEnvelope.value = 64 << 16;
  channel.panningEnvelope = EnvelopeState{};
  channel.panningEnvelope.current = 32;
  channel.panningEnvelope.value = 32 << 16;
  channel.keyOff = 0;
  channel.fadeoutVolume = 65536;
  channel.autoVibratoPosition = 0;
  channel.autoVibratoSweep = 0;
  if ((channel.waveControl & 0x04) == 0) channel.vibratoPosition = 0;
  if ((channel.waveControl & 0x40) == 0) channel.tremoloPosition = 0;
  channel.tremorPosition = 0;
  channel.requests |= kRequestVolume | kRequestPan;
}

void ProcessEnvelope(XmChannel& channel, EnvelopeState& state, const Envelope& envelope, std::uint8_t request) {
  const int count = envelope.count;
  const auto& pts = envelope.points;
  if (state.point < count) {
    if (state.tick == pts[static_cast<std::size_t>(state.point)].x) {
      if ((envelope.type & kEnvelopeLoop) && state.point == envelope.loopEnd && envelope.loopStart < count) {
        state.point = envelope.loopStart;
        state.tick = pts[envelope.loopStart].x;
      }
      const int i = state.point;
      if (i == count - 1) {
        state.current = pts[static_cast<std::size_t>(i)].y;
        state.stopped = 1;
        channel.requests |= request;
        return;
      }
      if ((envelope.type & kEnvelopeSustain) && i == envelope.sustain && channel.keyOff == 0) {
        state.current = pts[static_cast<std::size_t>(i)].y;
        channel.requests |= request;
        return;
      }
      const auto& a = pts[static_cast<std::size_t>(i)];
      const auto& b = pts[static_cast<std::size_t>(i + 1)];
      const int dx = b.x - a.x;
      state.step = dx == 0 ? 0 : static_cast<std::int32_t>((std::int64_t{b.y - a.y} * 65536) / dx);
      state.value = a.y * 65536;
      state.point = i + 1;
    } else {
      state.value = static_cast<std::int32_t>(
          std::clamp<std::int64_t>(std::int64_t{state.value} + state.step, 0, kEnvelopeValueMax));
    }
  }
  state.current = state.value >> 16;
  if (state.tick < kEnvelopeTickMax) state.tick += 1;
  channel.requests |= request;
}

void AdvanceEnvelopes(XmChannel& channel, const XmInstrument& instrument) {
  if ((instrument.volumeEnvelope.type & kEnvelopeOn) && !channel.volumeEnvelope.stopped) {
    ProcessEnvelope(channel, channel.volumeEnvelope, instrument.volumeEnvelope, kRequestVolume);
  }
  if ((instrument.panningEnvelope.type & kEnvelopeOn) && !channel.panningEnvelope.stopped) {
    ProcessEnvelope(channel, channel.panningEnvelope, instrument.panningEnvelope, kRequestPan);
  }
  if (channel.keyOff) {
    channel.fadeoutVolume = std::max(channel.fadeoutVolume - instrument.fadeout, 0);
    channel.requests |= kRequestVolume;
  }
}

void ToneSlide(XmChannel& channel) {
  const int speed = 4 * channel.tonePortaSpeed;
  if (channel.period < channel.tonePortaTarget) {
    channel.period += speed;
    if (channel.period > channel.tonePortaTarget) channel.period = channel.tonePortaTarget;
  } else if (channel.period > channel.tonePortaTarget) {
    channel.period -= speed;
    if (channel.period < channel.tonePortaTarget) channel.period = channel.tonePortaTarget;
  }
  channel.requests |= kRequestFrequency;
}

void Vibrato(XmChannel& channel) {
  const int pos = channel.vibratoPosition;
  int value = 255;
  switch (channel.waveControl & 3) {
    case 0: value = SineValue(pos); break;
    case 1: value = RampValue(pos); break;
    default: value = 255; break;
  }
  int offset = ((value * channel.vibratoDepth) >> 5) & ~3;
  if (pos >= 0) offset = -offset;
  channel.frequencyOffset = offset;
  channel.requests |= kRequestFrequency;
}

void VibratoTick(XmChannel& channel) {
  Vibrato(channel);
  channel.vibratoPosition = AdvanceWavePosition(channel.vibratoPosition, channel.vibratoSpeed);
}

void Tremolo(XmChannel& channel) {
  const int pos = channel.tremoloPosition;
  int value = 255;
  switch ((channel.waveControl >> 4) & 3) {
    case 0:
    case 3: value = SineValue(pos); break;
    case 1: value = RampValue(pos & 31); break;
    default: value = 255; break;
  }
  int offset = (value * channel.tremoloDepth) >> 6;
  if (pos >= 0) {
    if (channel.volume + offset > 64) offset = 64 - channel.volume;
  } else {
    if (static_cast<std::int16_t>(channel.volume - offset) < 0) offset = channel.volume;
    offset = -offset;
  }
  channel.volumeOffset = offset;
  channel.tremoloPosition = AdvanceWavePosition(channel.tremoloPosition, channel.tremoloSpeed);
  channel.requests |= kRequestVolume;
}

void AutoVibrato(XmChannel& channel, const XmInstrument& instrument) {
  const int pos = channel.autoVibratoPosition;
  int value = 0;
  // Without depth the wave is multiplied by 0: the sine is not worth taking.
  switch (instrument.vibratoDepth == 0 ? -1 : instrument.vibratoType) {
    case -1: break;
    case 1: value = pos < 128 ? 64 : -64; break;
    case 2: value = (128 - ((pos + 128) % 256)) >> 1; break;
    case 3: value = (128 - ((384 - pos) % 256)) >> 1; break;
    default:  // 0, and the types the format does not define
      value = static_cast<int>(std::sin(static_cast<double>(pos) * static_cast<double>(0.024543688f)) * 64.0);
      break;
  }
  int v = instrument.vibratoDepth * value;
  if (instrument.vibratoSweep != 0) v = (channel.autoVibratoSweep * v) / instrument.vibratoSweep;
  channel.frequencyOffset += v >> 6;
  channel.autoVibratoSweep += 1;
  if (channel.autoVibratoSweep > instrument.vibratoSweep) channel.autoVibratoSweep = instrument.vibratoSweep;
  channel.autoVibratoPosition += instrument.vibratoRate;
  if (channel.autoVibratoPosition > 255) channel.autoVibratoPosition -= 256;
  channel.requests |= kRequestFrequency;
}

void Tremor(XmChannel& channel) {
  if (channel.tremorPosition >= channel.tremorOn) channel.volumeOffset = -channel.volume;
  channel.tremorPosition = static_cast<std::uint8_t>(channel.tremorPosition + 1);
  if (channel.tremorPosition >= channel.tremorOn + channel.tremorOff) channel.tremorPosition = 0;
  channel.requests |= kRequestVolume;
}

}  // namespace korveld::xm
