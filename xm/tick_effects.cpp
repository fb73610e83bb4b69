// Tick effects: on every tick of a row after its first, each channel runs
// its envelopes and fade-out, its volume column, and the effect of its cell
// once more (slides, vibrato and tremolo, arpeggio, retriggers, cuts and
// delayed notes), then hands the result to its voice.
#include "xm/tick_effects.hpp"

#include <algorithm>

#include "xm/effects.hpp"
#include "xm/envelopes.hpp"
#include "xm/volume_column.hpp"

namespace korveld::xm {
namespace {

constexpr int kMinPortaUpPeriod = 56;

// What one channel's effect works on during a tick.
struct TickEffect {
  XmSong& song;
  XmChannel& channel;
  XmSample* sample;
  const PatternCell& cell;
  int x;  // high digit of the parameter
  int y;  // low digit
};

// x up or, with x = 0, y down; the memory holds both digits.
int SlideBy(std::uint8_t memory) {
  const int x = memory >> 4;
  return x != 0 ? x : -(memory & 15);
}

void VolumeSlide(XmChannel& channel) {
  const int by = SlideBy(channel.volumeSlideMemory);
  channel.volume = by > 0 ? std::min(channel.volume + by, 64) : std::max(channel.volume + by, 0);
  channel.requests |= kRequestVolume;
}

void GlobalVolumeSlide(XmSong& song) {
  const int by = SlideBy(song.globalVolumeSlide);
  song.globalVolume = by > 0 ? std::min(song.globalVolume + by, 64) : std::max(song.globalVolume + by, 0);
}

void PanningSlide(XmChannel& channel) {
  const int by = SlideBy(channel.panSlideMemory);
  channel.pan = by > 0 ? std::min(channel.pan + by, 255) : std::max(channel.pan + by, 0);
  channel.requests |= kRequestPan;
}

// Ticks 0, 1, 2 of every three play the note, note + x, note + y.
void Arpeggio(TickEffect& e) {
  if (e.cell.parameter == 0) return;
  XmChannel& channel = e.channel;
  const int phase = e.song.tick % 3;
  if (phase != 0) {
    const int n = phase == 1 ? e.x : e.y;
    if (e.song.linear()) {
      channel.frequencyOffset = 64 * n;
    } else {
      channel.frequencyOffset =
          AmigaPeriod(channel.realNote + n, e.sample->finetune) - AmigaPeriod(channel.realNote, e.sample->finetune);
    }
  }
  channel.requests |= kRequestFrequency;
}

void PortaUp(XmChannel& channel) {
  channel.period = std::max(channel.period - 4 * channel.portaUpMemory, kMinPortaUpPeriod);
  channel.frequencyOffset = 0;
  channel.requests |= kRequestFrequency;
}

void PortaDown(XmChannel& channel) {
  channel.period += 4 * channel.portaDownMemory;
  channel.frequencyOffset = 0;
  channel.requests |= kRequestFrequency;
}

void TonePorta(XmChannel& channel) {
  channel.frequencyOffset = 0;
  ToneSlide(channel);
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

void MultiRetrigger(TickEffect& e) {
  XmChannel& channel = e.channel;
  if (channel.retriggerInterval == 0 || e.song.tick % channel.retriggerInterval != 0) return;
  if (channel.retriggerVolume == 0) {
    channel.requests |= kRequestTrigger;
  } else {
    channel.volume = std::clamp(RetriggerVolume(channel.volume, channel.retriggerVolume), 0, 64);
    channel.requests |= kRequestVolume | kRequestTrigger;
  }
}

// --- the extended effect E -------------------------------------------------

void RetriggerNote(TickEffect& e) {
  if (e.y != 0 && e.song.tick % e.y == 0) e.channel.requests |= kRequestTrigger | kRequestVolume | kRequestFrequency;
}

void NoteCut(TickEffect& e) {
  if (e.song.tick == e.y) {
    e.channel.volume = 0;
    e.channel.requests |= kRequestVolume;
  }
}

// The ticks before y leave the voice alone; tick y starts the row's note
// with its instrument and volume column.
void NoteDelay(TickEffect& e) {
  XmChannel& channel = e.channel;
  if (e.song.tick != e.y) {
    channel.requests &= kRequestsCleared;
    return;
  }
  ResetInstrument(channel, e.sample);
  channel.period = channel.notePeriod;
  channel.requests |= kRequestFrequency;
  if (e.cell.volume != 0) ApplyVolumeColumn(channel, e.cell.volume);
  channel.requests |= kRequestTrigger;
}

void ExtendedTick(TickEffect& e) {
  switch (e.x) {
    case kRetriggerNote: RetriggerNote(e); break;
    case kNoteCut: NoteCut(e); break;
    case kNoteDelay: NoteDelay(e); break;
    default: break;
  }
}

void ApplyTickEffect(TickEffect& e) {
  XmChannel& channel = e.channel;
  switch (e.cell.effect) {
    case kArpeggio: Arpeggio(e); break;
    case kPortaUp: PortaUp(channel); break;
    case kPortaDown: PortaDown(channel); break;
    case kTonePorta: TonePorta(channel); break;
    case kVibrato: VibratoTick(channel); break;
    case kTonePortaVolumeSlide:
      TonePorta(channel);
      VolumeSlide(channel);
      break;
    case kVibratoVolumeSlide:
      VibratoTick(channel);
      VolumeSlide(channel);
      break;
    case kTremolo: Tremolo(channel); break;
    case kVolumeSlide: VolumeSlide(channel); break;
    case kExtended: ExtendedTick(e); break;
    case kGlobalVolumeSlide: GlobalVolumeSlide(e.song); break;
    case kPanningSlide: PanningSlide(channel); break;
    case kMultiRetrigger: MultiRetrigger(e); break;
    case kTremor: Tremor(channel); break;
    default: break;
  }
}

}  // namespace

void ProcessTickEffects(XmPlayer& player, XmSong& song) {
  const PatternCell* cells = CurrentRow(song);
  for (int c = 0; c < song.channelCount; ++c) {
    const PatternCell& cell = cells[c];
    XmChannel& channel = player.channels[static_cast<std::size_t>(c)];
    const Resolved r = Resolve(song, channel);

    channel.volumeOffset = 0;
    channel.frequencyOffset = 0;
    channel.requests = 0;
    AdvanceEnvelopes(channel, *r.instrument);
    VolumeColumnTick(channel, cell.volume);

    TickEffect effect{song, channel, r.sample, cell, cell.parameter >> 4, cell.parameter & 15};
    ApplyTickEffect(effect);

    AutoVibrato(channel, *r.instrument);
    CommitChannel(player, channel, r.sample, song);
  }
}

}  // namespace korveld::xm
