// Helpers the replay shares between its files: per-channel effects,
// envelopes and the instrument reset.
#pragma once

#include "xm/xm_player.hpp"

namespace korveld::xm {

void ResetInstrument(XmChannel& channel, const XmSample* sample);
void ApplyVolumeColumn(XmChannel& channel, std::uint8_t volume);
void ProcessEnvelope(XmChannel& channel, EnvelopeState& state, const Envelope& envelope, std::uint8_t request);
void ToneSlide(XmChannel& channel);
void Vibrato(XmChannel& channel);
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
