// The volume column: a value 0x10..0x50 sets the volume; above it the high
// digit picks a command and the low digit is its parameter.
#include "xm/volume_column.hpp"

#include <algorithm>

#include "xm/envelopes.hpp"

namespace korveld::xm {
namespace {

enum VolumeCommand : int {
  kSlideDown = 0x6,
  kSlideUp = 0x7,
  kFineSlideDown = 0x8,
  kFineSlideUp = 0x9,
  kVibratoSpeed = 0xA,
  kVibratoDepth = 0xB,
  kSetPanning = 0xC,
  kPanSlideLeft = 0xD,
  kPanSlideRight = 0xE,
  kTonePorta = 0xF,
};

void VolumeDown(XmChannel& channel, int amount) {
  channel.volume = std::max(channel.volume - amount, 0);
  channel.requests |= kRequestVolume;
}

void VolumeUp(XmChannel& channel, int amount) {
  channel.volume = std::min(channel.volume + amount, 64);
  channel.requests |= kRequestVolume;
}

// Panning slides are not clamped here: the voice commit keeps the pan in range.
void PanBy(XmChannel& channel, int amount) {
  channel.pan += amount;
  channel.requests |= kRequestPan;
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
    case kSlideDown:
    case kFineSlideDown: VolumeDown(channel, y); break;
    case kSlideUp:
    case kFineSlideUp: VolumeUp(channel, y); break;
    case kVibratoSpeed: channel.vibratoSpeed = static_cast<std::uint8_t>(y); break;
    case kVibratoDepth: channel.vibratoDepth = static_cast<std::uint8_t>(y); break;
    case kSetPanning:
      channel.pan = 16 * y;
      channel.requests |= kRequestPan;
      break;
    case kPanSlideLeft: PanBy(channel, -y); break;
    case kPanSlideRight: PanBy(channel, y); break;
    case kTonePorta:
      if (y) channel.tonePortaSpeed = static_cast<std::uint8_t>(16 * y);
      channel.tonePortaTarget = channel.notePeriod;
      channel.requests &= static_cast<std::uint8_t>(~kRequestTrigger);
      break;
    default: break;
  }
}

void VolumeColumnTick(XmChannel& channel, std::uint8_t volume) {
  const int y = volume & 15;
  switch (volume >> 4) {
    case kSlideDown: VolumeDown(channel, y); break;
    case kSlideUp: VolumeUp(channel, y); break;
    case kVibratoDepth:
      channel.vibratoDepth = static_cast<std::uint8_t>(y);
      VibratoTick(channel);
      break;
    case kPanSlideLeft: PanBy(channel, -y); break;
    case kPanSlideRight: PanBy(channel, y); break;
    case kTonePorta: ToneSlide(channel); break;
    default: break;
  }
}

}  // namespace korveld::xm
