// The replay: one tick at a time, rows on tick 0 and the continuing effects
// on the other ticks, each channel handing its result to its voice.
#include <algorithm>

#include "xm/replay_internal.hpp"

namespace korveld::xm {
namespace {

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

constexpr std::uint8_t kNoteKeyOff = 255;
constexpr int kMinPortaUpPeriod = 56;
constexpr std::uint8_t kRequestsCleared = static_cast<std::uint8_t>(
    ~(kRequestFrequency | kRequestVolume | kRequestPan | kRequestTrigger));

bool ValidNote(std::uint8_t note) { return note >= 1 && note <= 96; }

struct Resolved {
  const XmInstrument* instrument;
  XmSample* sample;
};

Resolved Resolve(const XmSong& song, const XmChannel& channel) {
  if (channel.instrument < song.instrumentCount) {
    const XmInstrument& instrument = song.instruments[channel.instrument];
    const std::uint8_t slot = channel.note < 96 ? instrument.keymap[channel.note] : 0;
    XmSample* sample = slot < 16 ? instrument.samples[slot] : DummySample();
    return {&instrument, sample};
  }
  return {&DummyInstrument(), DummySample()};
}

std::int32_t NotePeriod(const XmSong& song, std::uint8_t realNote, std::int8_t finetune) {
  if (song.linear()) return 7680 - 64 * realNote - finetune / 2;
  return AmigaPeriod(realNote, finetune);
}

void VolumeSlide(XmChannel& channel) {
  const int x = channel.volumeSlideMemory >> 4;
  const int y = channel.volumeSlideMemory & 15;
  if (x != 0) {
    channel.volume = std::min(channel.volume + x, 64);
  } else {
    channel.volume = std::max(channel.volume - y, 0);
  }
  channel.requests |= kRequestVolume;
}

void VolumeColumnOtherTick(XmChannel& channel, std::uint8_t volume) {
  const int y = volume & 15;
  switch (volume >> 4) {
    case 0x6:
      channel.volume = std::max(channel.volume - y, 0);
      channel.requests |= kRequestVolume;
      break;
    case 0x7:
      channel.volume = std::min(channel.volume + y, 64);
      channel.requests |= kRequestVolume;
      break;
    case 0xB:
      channel.vibratoDepth = static_cast<std::uint8_t>(y);
      Vibrato(channel);
      channel.vibratoPosition = AdvanceWavePosition(channel.vibratoPosition, channel.vibratoSpeed);
      break;
    case 0xD:
      channel.pan -= y;
      channel.requests |= kRequestPan;
      break;
    case 0xE:
      channel.pan += y;
      channel.requests |= kRequestPan;
      break;
    case 0xF: ToneSlide(channel); break;
    default: break;
  }
}

int RetriggerVolume(int v, int change) {
  switch (change) {
    case 1: return v - 1;
    case 2: return v - 2;
    case 3: return v - 4;
    case 4: return v - 8;
    case 5: return v - 16;
    case 6: return v * 2 / 3;
    case 7: return v / 2;
    case 9: return v + 1;
    case 0xA: return v + 2;
    case 0xB: return v + 4;
    case 0xC: return v + 8;
    case 0xD: return v + 16;
    case 0xE: return v * 3 / 2;
    case 0xF: return v * 2;
    default: return v;
  }
}

void SetEnvelopePosition(XmChannel& channel, const XmInstrument& instrument, int parameter) {
  const Envelope& envelope = instrument.volumeEnvelope;
  if ((envelope.type & kEnvelopeOn) == 0) return;
  const int count = envelope.count;
  const auto& pts = envelope.points;
  int i = 0;
  while (i < count && i + 1 < kEnvelopePoints && pts[static_cast<std::size_t>(i + 1)].x < parameter) ++i;
  EnvelopeState& state = channel.volumeEnvelope;
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

// Tick-0 half of the E sub-commands.
void ExtendedRow(XmSong& song, XmChannel& channel, XmSample* sample, int y, int sub, int& loopRow) {
  switch (sub) {
    case 0x1:
      if (y) channel.finePortaUpMemory = static_cast<std::uint8_t>(y);
      channel.period -= 4 * channel.finePortaUpMemory;
      break;
    case 0x2:
      if (y) channel.finePortaDownMemory = static_cast<std::uint8_t>(y);
      channel.period += 4 * channel.finePortaDownMemory;
      break;
    case 0x4: channel.waveControl = static_cast<std::uint8_t>((channel.waveControl & 0xF0) | y); break;
    case 0x5:
      // The shared dummy record stays all zero.
      if (sample != DummySample()) sample->finetune = static_cast<std::int8_t>(y);
      break;
    case 0x6:
      if (y == 0) {
        channel.patternLoopRow = song.row;
      } else {
        if (channel.patternLoopCount == 0) {
          channel.patternLoopCount = y;
        } else {
          channel.patternLoopCount -= 1;
        }
        if (channel.patternLoopCount != 0) loopRow = channel.patternLoopRow;
      }
      break;
    case 0x7: channel.waveControl = static_cast<std::uint8_t>((channel.waveControl & 0x0F) | (y << 4)); break;
    case 0x8:
      channel.pan = 16 * y;
      channel.requests |= kRequestPan;
      break;
    case 0xA:
      if (y) channel.fineVolumeSlideMemory = static_cast<std::uint8_t>(y);
      channel.volume = std::min(channel.volume + channel.fineVolumeSlideMemory, 64);
      channel.requests |= kRequestVolume;
      break;
    case 0xB:
      if (y) channel.fineVolumeSlideMemory = static_cast<std::uint8_t>(y);
      channel.volume = std::max(channel.volume - channel.fineVolumeSlideMemory, 0);
      channel.requests |= kRequestVolume;
      break;
    case 0xE: song.patternDelay = song.speed * y; break;
    default: break;
  }
}

}  // namespace

void ApplyVolumeColumn(XmChannel& channel, std::uint8_t volume) {
  const int y = volume & 15;
  if (volume >= 0x10 && volume <= 0x50) {
    channel.volume = volume - 16;
    channel.requests |= kRequestVolume;
    return;
  }
  switch (volume >> 4) {
    case 0x6:
    case 0x8:
      channel.volume = std::max(channel.volume - y, 0);
      channel.requests |= kRequestVolume;
      break;
    case 0x7:
    case 0x9:
      channel.volume = std::min(channel.volume + y, 64);
      channel.requests |= kRequestVolume;
      break;
    case 0xA: channel.vibratoSpeed = static_cast<std::uint8_t>(y); break;
    case 0xB: channel.vibratoDepth = static_cast<std::uint8_t>(y); break;
    case 0xC:
      channel.pan = 16 * y;
      channel.requests |= kRequestPan;
      break;
    case 0xD:
      channel.pan -= y;
      channel.requests |= kRequestPan;
      break;
    case 0xE:
      channel.pan += y;
      channel.requests |= kRequestPan;
      break;
    case 0xF:
      if (y) channel.tonePortaSpeed = static_cast<std::uint8_t>(16 * y);
      channel.tonePortaTarget = channel.notePeriod;
      channel.requests &= static_cast<std::uint8_t>(~kRequestTrigger);
      break;
    default: break;
  }
}

void ProcessRow(XmPlayer& player, XmSong& song) {
  song.nextOrder = -1;
  song.nextRow = -1;
  bool jumped = false;
  const XmPattern& pattern = song.patternAt(song.order);
  const PatternCell* cells = pattern.cells.data() + static_cast<std::size_t>(song.row) * song.channelCount;

  for (int c = 0; c < song.channelCount; ++c) {
    const PatternCell& cell = cells[c];
    XmChannel& channel = player.channels[static_cast<std::size_t>(c)];
    const int parameter = cell.parameter;
    const int x = parameter >> 4;
    const int y = parameter & 15;
    const bool tonePorta = cell.effect == kTonePorta || cell.effect == kTonePortaVolumeSlide;
    const bool hasNote = ValidNote(cell.note);

    if (cell.instrument != 0 && !tonePorta) channel.instrument = static_cast<std::uint8_t>(cell.instrument - 1);
    if (hasNote && !tonePorta) channel.note = static_cast<std::uint8_t>(cell.note - 1);

    Resolved r = Resolve(song, channel);
    if (r.instrument != &DummyInstrument() && !tonePorta) channel.sample = r.sample;
    const XmInstrument& instrument = *r.instrument;
    XmSample* sample = r.sample;

    const std::int32_t savedPeriod = channel.period;
    const std::int32_t savedVolume = channel.volume;
    const std::int32_t savedPan = channel.pan;

    if (channel.previousEffect == kTremolo && cell.effect != kTremolo) channel.volume += channel.volumeOffset;
    channel.volumeOffset = 0;
    channel.requests = 0;
    channel.previousEffect = cell.effect;

    if (hasNote) {
      channel.realNote = static_cast<std::uint8_t>(cell.note + sample->relativeNote - 1);
      channel.notePeriod = NotePeriod(song, channel.realNote, sample->finetune);
      if (!tonePorta) channel.period = channel.notePeriod;
      channel.requests = kRequestTrigger;
    }
    channel.frequencyOffset = 0;
    channel.requests |= kRequestFrequency | kRequestVolume;

    if (cell.instrument != 0) ResetInstrument(channel, sample);
    if (cell.volume != 0) ApplyVolumeColumn(channel, cell.volume);
    if (cell.note == kNoteKeyOff || cell.effect == kKeyOff) channel.keyOff = 1;

    const Envelope& volEnv = instrument.volumeEnvelope;
    const Envelope& panEnv = instrument.panningEnvelope;
    if ((volEnv.type & kEnvelopeOn) == 0) {
      if (channel.keyOff) channel.volumeEnvelope.current = 0;
    } else if (!channel.volumeEnvelope.stopped) {
      ProcessEnvelope(channel, channel.volumeEnvelope, volEnv, kRequestVolume);
    }
    if ((panEnv.type & kEnvelopeOn) && !channel.panningEnvelope.stopped) {
      ProcessEnvelope(channel, channel.panningEnvelope, panEnv, kRequestPan);
    }
    if (channel.keyOff) {
      channel.fadeoutVolume = std::max(channel.fadeoutVolume - instrument.fadeout, 0);
      channel.requests |= kRequestVolume;
    }

    switch (cell.effect) {
      case kPortaUp:
        if (parameter) channel.portaUpMemory = static_cast<std::uint8_t>(parameter);
        break;
      case kPortaDown:
        if (parameter) channel.portaDownMemory = static_cast<std::uint8_t>(parameter);
        break;
      case kTonePorta:
        if (parameter) channel.tonePortaSpeed = static_cast<std::uint8_t>(parameter);
        channel.tonePortaTarget = channel.notePeriod;
        channel.requests &= static_cast<std::uint8_t>(~(kRequestFrequency | kRequestTrigger));
        break;
      case kVibrato:
        if (x) channel.vibratoSpeed = static_cast<std::uint8_t>(x);
        if (y) channel.vibratoDepth = static_cast<std::uint8_t>(y);
        Vibrato(channel);
        break;
      case kTonePortaVolumeSlide:
        channel.tonePortaTarget = channel.notePeriod;
        if (parameter) channel.volumeSlideMemory = static_cast<std::uint8_t>(parameter);
        channel.requests &= static_cast<std::uint8_t>(~(kRequestFrequency | kRequestTrigger));
        break;
      case kVibratoVolumeSlide:
        if (parameter) channel.volumeSlideMemory = static_cast<std::uint8_t>(parameter);
        Vibrato(channel);
        break;
      case kTremolo:
        if (x) channel.tremoloSpeed = static_cast<std::uint8_t>(x);
        if (y) channel.tremoloDepth = static_cast<std::uint8_t>(y);
        break;
      case kSetPanning:
        channel.pan = parameter;
        channel.requests |= kRequestPan;
        break;
      case kSampleOffset: {
        if (parameter) channel.sampleOffsetMemory = static_cast<std::uint32_t>(parameter);
        const std::uint32_t offset = channel.sampleOffsetMemory * 256;
        if (offset < sample->loopEnd()) {
          player.voices[static_cast<std::size_t>(channel.voice)].startOffset = offset;
        } else {
          channel.requests &= static_cast<std::uint8_t>(~kRequestTrigger);
          channel.requests |= kRequestRewind;
        }
        break;
      }
      case kVolumeSlide:
        if (parameter) channel.volumeSlideMemory = static_cast<std::uint8_t>(parameter);
        break;
      case kPositionJump:
        song.nextRow = 0;
        song.nextOrder = parameter < song.songLength ? parameter : 0;
        jumped = true;
        break;
      case kSetVolume:
        channel.volume = parameter;
        channel.requests |= kRequestVolume;
        break;
      case kPatternBreak:
        song.nextRow = 10 * x + y;
        if (song.nextRow > 63) song.nextRow = 0;
        if (!jumped) song.nextOrder = song.order + 1;
        if (song.nextOrder >= song.songLength) song.nextOrder = 0;
        break;
      case kExtended: {
        int loopRow = -1;
        if (x == 0xD) {
          channel.requests &= kRequestsCleared;
          channel.period = savedPeriod;
          channel.volume = savedVolume;
          channel.pan = savedPan;
        } else {
          ExtendedRow(song, channel, sample, y, x, loopRow);
        }
        if (loopRow >= 0) song.nextRow = loopRow;
        break;
      }
      case kSetSpeed:
        if (parameter < 32) {
          song.speed = parameter;
        } else {
          SetBpm(song, parameter);
        }
        break;
      case kSetGlobalVolume:
        song.globalVolume = std::min(parameter, 64);
        channel.requests |= kRequestVolume;
        break;
      case kGlobalVolumeSlide:
        if (parameter) song.globalVolumeSlide = static_cast<std::uint8_t>(parameter);
        break;
      case kEnvelopePosition: SetEnvelopePosition(channel, instrument, parameter); break;
      case kPanningSlide:
        if (parameter) {
          channel.panSlideMemory = static_cast<std::uint8_t>(parameter);
          channel.requests |= kRequestPan;
        }
        break;
      case kMultiRetrigger:
        if (parameter) {
          channel.retriggerVolume = static_cast<std::uint8_t>(x);
          channel.retriggerInterval = static_cast<std::uint8_t>(y);
        }
        break;
      case kTremor:
        if (parameter) {
          channel.tremorOn = static_cast<std::uint8_t>(x + 1);
          channel.tremorOff = static_cast<std::uint8_t>(y + 1);
          Tremor(channel);
        }
        break;
      case kExtraFinePorta:
        if (x == 1) {
          if (y) channel.extraFineUpMemory = static_cast<std::uint8_t>(y);
          channel.period -= channel.extraFineUpMemory;
        } else if (x == 2) {
          if (y) channel.extraFineDownMemory = static_cast<std::uint8_t>(y);
          channel.period += channel.extraFineDownMemory;
        }
        break;
      default: break;
    }

    AutoVibrato(channel, instrument);
    CommitChannel(player, channel, sample, song);
  }
}

void ProcessTickEffects(XmPlayer& player, XmSong& song) {
  const XmPattern& pattern = song.patternAt(song.order);
  const PatternCell* cells = pattern.cells.data() + static_cast<std::size_t>(song.row) * song.channelCount;

  for (int c = 0; c < song.channelCount; ++c) {
    const PatternCell& cell = cells[c];
    XmChannel& channel = player.channels[static_cast<std::size_t>(c)];
    const Resolved r = Resolve(song, channel);
    const XmInstrument& instrument = *r.instrument;
    XmSample* sample = r.sample;
    const int parameter = cell.parameter;
    const int x = parameter >> 4;
    const int y = parameter & 15;

    channel.volumeOffset = 0;
    channel.frequencyOffset = 0;
    channel.requests = 0;

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

    VolumeColumnOtherTick(channel, cell.volume);

    switch (cell.effect) {
      case kArpeggio:
        if (parameter) {
          const int phase = song.tick % 3;
          const int n = phase == 1 ? x : phase == 2 ? y : 0;
          if (phase != 0) {
            if (song.linear()) {
              channel.frequencyOffset = 64 * n;
            } else {
              channel.frequencyOffset = AmigaPeriod(channel.realNote + n, sample->finetune) -
                                        AmigaPeriod(channel.realNote, sample->finetune);
            }
          }
          channel.requests |= kRequestFrequency;
        }
        break;
      case kPortaUp:
        channel.period = std::max(channel.period - 4 * channel.portaUpMemory, kMinPortaUpPeriod);
        channel.frequencyOffset = 0;
        channel.requests |= kRequestFrequency;
        break;
      case kPortaDown:
        channel.period += 4 * channel.portaDownMemory;
        channel.frequencyOffset = 0;
        channel.requests |= kRequestFrequency;
        break;
      case kTonePorta:
        channel.frequencyOffset = 0;
        ToneSlide(channel);
        break;
      case kVibrato:
        Vibrato(channel);
        channel.vibratoPosition = AdvanceWavePosition(channel.vibratoPosition, channel.vibratoSpeed);
        break;
      case kTonePortaVolumeSlide:
        channel.frequencyOffset = 0;
        ToneSlide(channel);
        VolumeSlide(channel);
        break;
      case kVibratoVolumeSlide:
        Vibrato(channel);
        channel.vibratoPosition = AdvanceWavePosition(channel.vibratoPosition, channel.vibratoSpeed);
        VolumeSlide(channel);
        break;
      case kTremolo: Tremolo(channel); break;
      case kVolumeSlide: VolumeSlide(channel); break;
      case kExtended:
        if (x == 0x9) {
          if (y != 0 && song.tick % y == 0) channel.requests |= kRequestTrigger | kRequestVolume | kRequestFrequency;
        } else if (x == 0xC) {
          if (song.tick == y) {
            channel.volume = 0;
            channel.requests |= kRequestVolume;
          }
        } else if (x == 0xD) {
          if (song.tick != y) {
            channel.requests &= kRequestsCleared;
          } else {
            ResetInstrument(channel, sample);
            channel.period = channel.notePeriod;
            channel.requests |= kRequestFrequency;
            if (cell.volume != 0) ApplyVolumeColumn(channel, cell.volume);
            channel.requests |= kRequestTrigger;
          }
        }
        break;
      case kGlobalVolumeSlide: {
        const int gx = song.globalVolumeSlide >> 4;
        const int gy = song.globalVolumeSlide & 15;
        if (gx != 0) {
          song.globalVolume = std::min(song.globalVolume + gx, 64);
        } else {
          song.globalVolume = std::max(song.globalVolume - gy, 0);
        }
        break;
      }
      case kPanningSlide: {
        const int px = channel.panSlideMemory >> 4;
        const int py = channel.panSlideMemory & 15;
        if (px != 0) {
          channel.pan = std::min(channel.pan + px, 255);
        } else {
          channel.pan = std::max(channel.pan - py, 0);
        }
        channel.requests |= kRequestPan;
        break;
      }
      case kMultiRetrigger:
        if (channel.retriggerInterval != 0 && song.tick % channel.retriggerInterval == 0) {
          if (channel.retriggerVolume == 0) {
            channel.requests |= kRequestTrigger;
          } else {
            channel.volume = std::clamp(RetriggerVolume(channel.volume, channel.retriggerVolume), 0, 64);
            channel.requests |= kRequestVolume | kRequestTrigger;
          }
        }
        break;
      case kTremor: Tremor(channel); break;
      default: break;
    }

    AutoVibrato(channel, instrument);
    CommitChannel(player, channel, sample, song);
  }
}

void UpdateTick(XmPlayer& player, XmSong& song) {
  if (song.tick == 0) {
    if (song.nextOrder >= 0) song.order = song.nextOrder;
    if (song.nextRow >= 0) song.row = song.nextRow;
    // A break or loop may name a row the pattern does not have.
    if (song.row >= song.patternAt(song.order).rows) song.row = 0;
    ProcessRow(player, song);
    if (song.nextRow == -1) {
      song.nextRow = song.row + 1;
      if (song.nextRow >= song.patternAt(song.order).rows) {
        song.nextOrder = song.order + 1;
        if (song.nextOrder >= song.songLength) song.nextOrder = song.restartPosition;
        song.nextRow = 0;
      }
    }
  } else {
    ProcessTickEffects(player, song);
  }
  song.tick += 1;
  if (song.tick >= song.speed + song.patternDelay) {
    song.patternDelay = 0;
    song.tick = 0;
  }
}

void ResetSongState(XmPlayer& player, XmSong& song) {
  for (int i = 0; i < kMixVoices; ++i) {
    player.voices[static_cast<std::size_t>(i)] = MixVoice{};
    player.voices[static_cast<std::size_t>(i)].number = i;
    player.voices[static_cast<std::size_t>(i)].stepInteger = 1;
  }
  song.globalVolume = song.defaultGlobalVolume;
  song.nextOrder = -1;
  song.nextRow = -1;
  song.speed = song.defaultSpeed;
  song.row = 0;
  song.order = 0;
  song.samplesUntilNextTick = 0;
  song.tick = 0;
  song.patternDelay = 0;
  SetBpm(song, song.defaultBpm);
  for (int c = 0; c < kChannels; ++c) {
    player.channels[static_cast<std::size_t>(c)] = XmChannel{};
    player.channels[static_cast<std::size_t>(c)].voice = c;
  }
}

}  // namespace korveld::xm
