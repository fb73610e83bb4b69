// What rows and ticks share about a pattern cell: the effect numbers and the
// instrument and sample a channel plays.
#pragma once

#include "xm/xm_player.hpp"

namespace korveld::xm {

// Effects 0..F are written as hex digits, the later ones as letters (G = 16).
enum Effect : std::uint8_t {
  kArpeggio = 0x0,
  kPortaUp = 0x1,
  kPortaDown = 0x2,
  kTonePorta = 0x3,
  kVibrato = 0x4,
  kTonePortaVolumeSlide = 0x5,
  kVibratoVolumeSlide = 0x6,
  kTremolo = 0x7,
  kSetPanning = 0x8,
  kSampleOffset = 0x9,
  kVolumeSlide = 0xA,
  kPositionJump = 0xB,
  kSetVolume = 0xC,
  kPatternBreak = 0xD,
  kExtended = 0xE,
  kSetSpeed = 0xF,
  kSetGlobalVolume = 16,  // G
  kGlobalVolumeSlide = 17,  // H
  kKeyOff = 20,  // K
  kEnvelopePosition = 21,  // L
  kPanningSlide = 25,  // P
  kMultiRetrigger = 27,  // R
  kTremor = 29,  // T
  kExtraFinePorta = 33,  // X
};

// Sub-commands of the extended effect E (the parameter's high digit).
enum ExtendedEffect : int {
  kFinePortaUp = 0x1,
  kFinePortaDown = 0x2,
  kVibratoWave = 0x4,
  kSetFinetune = 0x5,
  kPatternLoop = 0x6,
  kTremoloWave = 0x7,
  kSetPanningCoarse = 0x8,
  kRetriggerNote = 0x9,
  kFineVolumeUp = 0xA,
  kFineVolumeDown = 0xB,
  kNoteCut = 0xC,
  kNoteDelay = 0xD,
  kPatternDelay = 0xE,
};

// A delayed note's row and its waiting ticks leave the voice untouched.
inline constexpr std::uint8_t kRequestsCleared = static_cast<std::uint8_t>(
    ~(kRequestFrequency | kRequestVolume | kRequestPan | kRequestTrigger));

struct Resolved {
  const XmInstrument* instrument;
  XmSample* sample;
};

// The channel's instrument and the sample its keymap gives the channel's
// note; the dummy records for an instrument the song does not have.
inline Resolved Resolve(const XmSong& song, const XmChannel& channel) {
  if (channel.instrument < song.instrumentCount) {
    const XmInstrument& instrument = song.instruments[channel.instrument];
    const std::uint8_t slot = channel.note < 96 ? instrument.keymap[channel.note] : 0;
    XmSample* sample = slot < 16 ? instrument.samples[slot] : DummySample();
    return {&instrument, sample};
  }
  return {&DummyInstrument(), DummySample()};
}

// The song's current row: one cell per channel.
inline const PatternCell* CurrentRow(const XmSong& song) {
  const XmPattern& pattern = song.patternAt(song.order);
  return pattern.cells.data() + static_cast<std::size_t>(song.row) * song.channelCount;
}

}  // namespace korveld::xm
