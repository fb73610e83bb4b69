// Per-channel modulation shared by rows and ticks: envelopes and fade-out,
// vibrato, tremolo, auto-vibrato, tremor, the tone portamento slide and the
// instrument reset of a new note.
#pragma once

#include "xm/xm_player.hpp"

namespace korveld::xm {

void ResetInstrument(XmChannel& channel, const XmSample* sample);
void ProcessEnvelope(XmChannel& channel, EnvelopeState& state, const Envelope& envelope, std::uint8_t request);
// One tick of the volume and panning envelopes that are on and not stopped,
// then the fade-out of a released note.
void AdvanceEnvelopes(XmChannel& channel, const XmInstrument& instrument);
void ToneSlide(XmChannel& channel);
void Vibrato(XmChannel& channel);
// Vibrato on a tick after the row's first: the offset, then the next position.
void VibratoTick(XmChannel& channel);
void Tremolo(XmChannel& channel);
void AutoVibrato(XmChannel& channel, const XmInstrument& instrument);
void Tremor(XmChannel& channel);

// position += speed in the -32..31 range of the vibrato and tremolo tables.
inline std::int8_t AdvanceWavePosition(std::int8_t position, std::uint8_t speed) {
  int p = position + speed;
  if (p > 31) p -= 64;
  return static_cast<std::int8_t>(p);
}

}  // namespace korveld::xm
