// The sample channel: 4-bit samples from memory, played at a period given in
// C64 clock cycles, added to the mix before the volume's saturation.
#include <cstdint>

#include "sid/synthesis.hpp"

namespace korveld::sid {
namespace {

constexpr std::int32_t kC64ClockHz = 985248;

// Two's complement arithmetic that wraps at 32 bits, as the mix is defined to do.
inline std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

inline void SetLowByte(std::int32_t& reg, std::uint8_t v) { reg = (reg & 0xFF00) | v; }
inline void SetHighByte(std::int32_t& reg, std::uint8_t v) { reg = (reg & 0x00FF) | (v << 8); }

}  // namespace

void SampleChannelWrite(SidState& s, std::uint16_t address, std::uint8_t value) {
  SampleChannel& c = s.sample;
  switch (address) {
    case 0xD41D:
      c.repeatCountCopy = c.repeatCount;
      c.current = c.start;
      c.startCopy = c.start;
      c.endCopy = c.end;
      c.repeatCopy = c.repeatAddress;
      c.periodCopy = c.period;
      c.orderCopy = c.order;
      if (value == 0xFD) c.active = 0;
      if (value == 0xFE || value == 0xFF) c.active = 1;
      break;
    case 0xD41E: SetLowByte(c.start, value); break;
    case 0xD41F: SetHighByte(c.start, value); break;
    case 0xD43D: SetLowByte(c.end, value); break;
    case 0xD43E: SetHighByte(c.end, value); break;
    case 0xD43F: c.repeatCount = value; break;
    case 0xD45D: SetLowByte(c.period, value); break;
    case 0xD45E: SetHighByte(c.period, value); break;
    case 0xD45F: c.unused = value; break;
    case 0xD47D: c.order = value; break;
    case 0xD47E: SetLowByte(c.repeatAddress, value); break;
    case 0xD47F: SetHighByte(c.repeatAddress, value); break;
    default: break;
  }
}

std::int32_t SampleChannelMix(SidState& s, std::int32_t in) {
  SampleChannel& c = s.sample;
  if (c.active == 0 || c.current >= c.endCopy || c.current < c.startCopy) return in;
  const std::int32_t out = WrapAdd(in, s.sampleLevel);
  // A period of 0 holds the channel: its level keeps sounding, no nibble step.
  if (c.periodCopy <= 0) return out;
  const std::int32_t step = kC64ClockHz / c.periodCopy;
  const std::int32_t rate = static_cast<std::int32_t>(s.tables.mixingRate);
  c.stepAccumulator = WrapAdd(c.stepAccumulator, step);
  if (c.stepAccumulator <= rate) return out;
  if (rate > 0) c.stepAccumulator %= rate;
  if (c.orderCopy == 0) {
    if (++c.toggle == 2) {
      c.toggle = 0;
      ++c.current;
    }
  } else {
    if (--c.toggle < 0) {
      c.toggle = 1;
      ++c.current;
    }
  }
  // Repeat: at the end of the range jump back to the repeat address while
  // repeats remain; with none left the range test above keeps it silent.
  if (c.repeatCountCopy != 0 && c.current >= c.endCopy) {
    --c.repeatCountCopy;
    c.current = c.repeatCopy;
  }
  const std::uint8_t byte = s.memory.bytes[static_cast<std::uint32_t>(c.current) & 0xFFFF];
  const int nibble = c.toggle == 1 ? byte >> 4 : byte & 15;
  s.sampleLevel = (nibble - 7) * 1024;
  return out;
}

}  // namespace korveld::sid
