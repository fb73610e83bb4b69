// Row processing: on a row's first tick each channel takes its note and
// instrument, its volume column and one envelope tick, then sets up its
// effect: memories and targets for the ticks that follow, one-off changes,
// and the jumps, breaks and loops that choose the next row.
#include "xm/rows.hpp"

#include <algorithm>

#include "xm/effects.hpp"
#include "xm/envelopes.hpp"
#include "xm/volume_column.hpp"

namespace korveld::xm {
namespace {

constexpr std::uint8_t kNoteKeyOff = 255;
constexpr std::uint8_t kSlideRequestsCleared = static_cast<std::uint8_t>(~(kRequestFrequency | kRequestTrigger));

bool ValidNote(std::uint8_t note) { return note >= 1 && note <= 96; }

std::int32_t NotePeriod(const XmSong& song, std::uint8_t realNote, std::int8_t finetune) {
  if (song.linear()) return 7680 - 64 * realNote - finetune / 2;
  return AmigaPeriod(realNote, finetune);
}

// A parameter of 0 repeats the effect with the value it had last time.
void Remember(std::uint8_t& memory, int parameter) {
  if (parameter) memory = static_cast<std::uint8_t>(parameter);
}

// What one channel's effect works on during the row.
struct RowEffect {
  XmPlayer& player;
  XmSong& song;
  XmChannel& channel;
  const XmInstrument& instrument;
  XmSample* sample;
  int parameter;
  int x;  // high digit of the parameter
  int y;  // low digit
};

// The channel as it was before its row, for a delayed note: its row must
// leave the voice as if the cell were empty.
struct ChannelBefore {
  std::int32_t period;
  std::int32_t volume;
  std::int32_t pan;
};

// --- the tone and pitch effects ------------------------------------------

void TonePortaRow(RowEffect& e) {
  Remember(e.channel.tonePortaSpeed, e.parameter);
  e.channel.tonePortaTarget = e.channel.notePeriod;
  e.channel.requests &= kSlideRequestsCleared;
}

void TonePortaVolumeSlideRow(RowEffect& e) {
  e.channel.tonePortaTarget = e.channel.notePeriod;
  Remember(e.channel.volumeSlideMemory, e.parameter);
  e.channel.requests &= kSlideRequestsCleared;
}

void VibratoRow(RowEffect& e) {
  if (e.x) e.channel.vibratoSpeed = static_cast<std::uint8_t>(e.x);
  if (e.y) e.channel.vibratoDepth = static_cast<std::uint8_t>(e.y);
  Vibrato(e.channel);
}

void ExtraFinePorta(RowEffect& e) {
  XmChannel& channel = e.channel;
  if (e.x == 1) {
    Remember(channel.extraFineUpMemory, e.y);
    channel.period -= channel.extraFineUpMemory;
  } else if (e.x == 2) {
    Remember(channel.extraFineDownMemory, e.y);
    channel.period += channel.extraFineDownMemory;
  }
}

// --- volume, panning and sample --------------------------------------------

void TremoloRow(RowEffect& e) {
  if (e.x) e.channel.tremoloSpeed = static_cast<std::uint8_t>(e.x);
  if (e.y) e.channel.tremoloDepth = static_cast<std::uint8_t>(e.y);
}

void SampleOffset(RowEffect& e) {
  XmChannel& channel = e.channel;
  if (e.parameter) channel.sampleOffsetMemory = static_cast<std::uint32_t>(e.parameter);
  const std::uint32_t offset = channel.sampleOffsetMemory * 256;
  if (offset < e.sample->loopEnd()) {
    e.player.voices[static_cast<std::size_t>(channel.voice)].startOffset = offset;
  } else {
    // An offset past the sample's end plays nothing: the voice rewinds
    // instead of starting the note.
    channel.requests &= static_cast<std::uint8_t>(~kRequestTrigger);
    channel.requests |= kRequestRewind;
  }
}

void SetGlobalVolume(RowEffect& e) {
  e.song.globalVolume = std::min(e.parameter, 64);
  e.channel.requests |= kRequestVolume;
}

void PanningSlideRow(RowEffect& e) {
  if (e.parameter) {
    e.channel.panSlideMemory = static_cast<std::uint8_t>(e.parameter);
    e.channel.requests |= kRequestPan;
  }
}

void MultiRetriggerRow(RowEffect& e) {
  if (e.parameter) {
    e.channel.retriggerVolume = static_cast<std::uint8_t>(e.x);
    e.channel.retriggerInterval = static_cast<std::uint8_t>(e.y);
  }
}

void TremorRow(RowEffect& e) {
  if (e.parameter) {
    e.channel.tremorOn = static_cast<std::uint8_t>(e.x + 1);
    e.channel.tremorOff = static_cast<std::uint8_t>(e.y + 1);
    Tremor(e.channel);
  }
}

// Moves the volume envelope to tick `parameter`, as if it had run there.
void SetEnvelopePosition(RowEffect& e) {
  const Envelope& envelope = e.instrument.volumeEnvelope;
  if ((envelope.type & kEnvelopeOn) == 0) return;
  const int parameter = e.parameter;
  const int count = envelope.count;
  const auto& pts = envelope.points;
  int i = 0;
  while (i < count && i + 1 < kEnvelopePoints && pts[static_cast<std::size_t>(i + 1)].x < parameter) ++i;
  EnvelopeState& state = e.channel.volumeEnvelope;
  if (i < count - 1) {
    const auto& a = pts[static_cast<std::size_t>(i)];
    const auto& b = pts[static_cast<std::size_t>(i + 1)];
    const int dx = b.x - a.x;
    state.stopped = 0;
    state.tick = parameter;
    state.step = dx == 0 ? 0 : static_cast<std::int32_t>((std::int64_t{b.y - a.y} * 65536) / dx);
    state.point = i + 1;
    // A parameter before the first point extrapolates; keep the value in the
    // envelope's range (the product needs more than 32 bits).
    const std::int64_t value = std::int64_t{parameter - a.x} * state.step + std::int64_t{a.y} * 65536;
    state.value = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, std::int64_t{kEnvelopeMaxY} << 16));
    state.current = state.value >> 16;
  } else {
    state.current = count > 0 ? pts[static_cast<std::size_t>(count - 1)].y : 0;
    state.stopped = 1;
  }
}

// --- song flow -------------------------------------------------------------

// jumped: an earlier channel of this row jumped; a break then keeps the
// jump's order and only chooses the row.
void PositionJump(RowEffect& e, bool& jumped) {
  XmSong& song = e.song;
  song.nextRow = 0;
  song.nextOrder = e.parameter < song.songLength ? e.parameter : 0;
  jumped = true;
}

void PatternBreak(RowEffect& e, bool jumped) {
  XmSong& song = e.song;
  song.nextRow = 10 * e.x + e.y;
  if (song.nextRow > 63) song.nextRow = 0;
  if (!jumped) song.nextOrder = song.order + 1;
  if (song.nextOrder >= song.songLength) song.nextOrder = 0;
}

void SetSpeed(RowEffect& e) {
  if (e.parameter < 32) {
    e.song.speed = e.parameter;
  } else {
    SetBpm(e.song, e.parameter);
  }
}

// --- the extended effect E -------------------------------------------------

void FineVolumeUp(XmChannel& channel, int y) {
  Remember(channel.fineVolumeSlideMemory, y);
  channel.volume = std::min(channel.volume + channel.fineVolumeSlideMemory, 64);
  channel.requests |= kRequestVolume;
}

void FineVolumeDown(XmChannel& channel, int y) {
  Remember(channel.fineVolumeSlideMemory, y);
  channel.volume = std::max(channel.volume - channel.fineVolumeSlideMemory, 0);
  channel.requests |= kRequestVolume;
}

// E60 marks the loop start; E6y plays the rows since the mark y more times.
void PatternLoop(XmSong& song, XmChannel& channel, int y) {
  if (y == 0) {
    channel.patternLoopRow = song.row;
    return;
  }
  if (channel.patternLoopCount == 0) {
    channel.patternLoopCount = y;
  } else {
    channel.patternLoopCount -= 1;
  }
  if (channel.patternLoopCount != 0) song.nextRow = channel.patternLoopRow;
}

// The note starts on tick y (see the tick effects); its row changes nothing.
void NoteDelayRow(XmChannel& channel, const ChannelBefore& before) {
  channel.requests &= kRequestsCleared;
  channel.period = before.period;
  channel.volume = before.volume;
  channel.pan = before.pan;
}

void ExtendedRow(RowEffect& e, const ChannelBefore& before) {
  XmChannel& channel = e.channel;
  const int y = e.y;
  switch (e.x) {
    case kFinePortaUp:
      Remember(channel.finePortaUpMemory, y);
      channel.period -= 4 * channel.finePortaUpMemory;
      break;
    case kFinePortaDown:
      Remember(channel.finePortaDownMemory, y);
      channel.period += 4 * channel.finePortaDownMemory;
      break;
    case kVibratoWave: channel.waveControl = static_cast<std::uint8_t>((channel.waveControl & 0xF0) | y); break;
    case kSetFinetune:
      // The shared dummy record stays all zero.
      if (e.sample != DummySample()) e.sample->finetune = static_cast<std::int8_t>(y);
      break;
    case kPatternLoop: PatternLoop(e.song, channel, y); break;
    case kTremoloWave: channel.waveControl = static_cast<std::uint8_t>((channel.waveControl & 0x0F) | (y << 4)); break;
    case kSetPanningCoarse:
      channel.pan = 16 * y;
      channel.requests |= kRequestPan;
      break;
    case kFineVolumeUp: FineVolumeUp(channel, y); break;
    case kFineVolumeDown: FineVolumeDown(channel, y); break;
    case kNoteDelay: NoteDelayRow(channel, before); break;
    case kPatternDelay: e.song.patternDelay = e.song.speed * y; break;
    default: break;
  }
}

void ApplyRowEffect(RowEffect& e, std::uint8_t effect, const ChannelBefore& before, bool& jumped) {
  XmChannel& channel = e.channel;
  switch (effect) {
    case kPortaUp: Remember(channel.portaUpMemory, e.parameter); break;
    case kPortaDown: Remember(channel.portaDownMemory, e.parameter); break;
    case kTonePorta: TonePortaRow(e); break;
    case kVibrato: VibratoRow(e); break;
    case kTonePortaVolumeSlide: TonePortaVolumeSlideRow(e); break;
    case kVibratoVolumeSlide:
      Remember(channel.volumeSlideMemory, e.parameter);
      Vibrato(channel);
      break;
    case kTremolo: TremoloRow(e); break;
    case kSetPanning:
      channel.pan = e.parameter;
      channel.requests |= kRequestPan;
      break;
    case kSampleOffset: SampleOffset(e); break;
    case kVolumeSlide: Remember(channel.volumeSlideMemory, e.parameter); break;
    case kPositionJump: PositionJump(e, jumped); break;
    case kSetVolume:
      channel.volume = e.parameter;
      channel.requests |= kRequestVolume;
      break;
    case kPatternBreak: PatternBreak(e, jumped); break;
    case kExtended: ExtendedRow(e, before); break;
    case kSetSpeed: SetSpeed(e); break;
    case kSetGlobalVolume: SetGlobalVolume(e); break;
    case kGlobalVolumeSlide: Remember(e.song.globalVolumeSlide, e.parameter); break;
    case kEnvelopePosition: SetEnvelopePosition(e); break;
    case kPanningSlide: PanningSlideRow(e); break;
    case kMultiRetrigger: MultiRetriggerRow(e); break;
    case kTremor: TremorRow(e); break;
    case kExtraFinePorta: ExtraFinePorta(e); break;
    default: break;
  }
}

// --- the cell's note, instrument and volume column ---------------------------

// With tone portamento the note and instrument only set the slide's target.
Resolved TakeNoteAndInstrument(const XmSong& song, XmChannel& channel, const PatternCell& cell, bool tonePorta) {
  if (cell.instrument != 0 && !tonePorta) channel.instrument = static_cast<std::uint8_t>(cell.instrument - 1);
  if (ValidNote(cell.note) && !tonePorta) channel.note = static_cast<std::uint8_t>(cell.note - 1);
  const Resolved r = Resolve(song, channel);
  if (r.instrument != &DummyInstrument() && !tonePorta) channel.sample = r.sample;
  return r;
}

void StartNote(const XmSong& song, XmChannel& channel, const PatternCell& cell, const XmSample& sample,
               bool tonePorta) {
  channel.realNote = static_cast<std::uint8_t>(cell.note + sample.relativeNote - 1);
  channel.notePeriod = NotePeriod(song, channel.realNote, sample.finetune);
  if (!tonePorta) channel.period = channel.notePeriod;
  channel.requests = kRequestTrigger;
}

}  // namespace

void ProcessRow(XmPlayer& player, XmSong& song) {
  song.nextOrder = -1;
  song.nextRow = -1;
  bool jumped = false;
  const PatternCell* cells = CurrentRow(song);

  for (int c = 0; c < song.channelCount; ++c) {
    const PatternCell& cell = cells[c];
    XmChannel& channel = player.channels[static_cast<std::size_t>(c)];
    const bool tonePorta = cell.effect == kTonePorta || cell.effect == kTonePortaVolumeSlide;
    const Resolved r = TakeNoteAndInstrument(song, channel, cell, tonePorta);
    const XmInstrument& instrument = *r.instrument;
    XmSample* sample = r.sample;
    const ChannelBefore before{channel.period, channel.volume, channel.pan};

    // Tremolo's offset stays in the volume when the next row drops the effect.
    if (channel.previousEffect == kTremolo && cell.effect != kTremolo) channel.volume += channel.volumeOffset;
    channel.volumeOffset = 0;
    channel.requests = 0;
    channel.previousEffect = cell.effect;

    if (ValidNote(cell.note)) StartNote(song, channel, cell, *sample, tonePorta);
    channel.frequencyOffset = 0;
    channel.requests |= kRequestFrequency | kRequestVolume;

    if (cell.instrument != 0) ResetInstrument(channel, sample);
    if (cell.volume != 0) ApplyVolumeColumn(channel, cell.volume);
    if (cell.note == kNoteKeyOff || cell.effect == kKeyOff) channel.keyOff = 1;

    // Without a volume envelope a released note is silent at once.
    if ((instrument.volumeEnvelope.type & kEnvelopeOn) == 0 && channel.keyOff) channel.volumeEnvelope.current = 0;
    AdvanceEnvelopes(channel, instrument);

    RowEffect effect{player, song, channel, instrument, sample, cell.parameter, cell.parameter >> 4,
                     cell.parameter & 15};
    ApplyRowEffect(effect, cell.effect, before, jumped);

    AutoVibrato(channel, instrument);
    CommitChannel(player, channel, sample, song);
  }
}

}  // namespace korveld::xm
