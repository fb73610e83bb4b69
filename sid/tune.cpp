#include "sid/tune.hpp"

#include <algorithm>
#include <cstring>

#include "sid/cpu.hpp"
#include "sid/synthesis.hpp"

namespace korveld::sid {
namespace {

// Everything SidReset clears except memory, which a load clears itself
// (SidBuildTables clears the registers, the voices and the filter).
void ResetChipsAndCpu(SidState& s, std::uint32_t mixingRate) {
  s.tables = SidTables{};
  s.cpu = CpuRegisters{};
  s.sample = SampleChannel{};
  s.tune = TuneAddresses{};
  s.counters = CallCounters{};
  SidBuildTables(s, mixingRate);
  CpuReset(s);
}

void ClearMemory(SidState& s) { std::memset(s.memory.bytes.data(), 0, s.memory.bytes.size()); }

}  // namespace

void SidReset(SidState& s, std::uint32_t mixingRate) {
  ResetChipsAndCpu(s, mixingRate);
  ClearMemory(s);
}

LoadResult LoadTuneImage(SidState& s, std::span<const std::uint8_t> image) {
  LoadResult result;
  if (image.size() < 22) {
    result.error = "file too short for a tune header";
    return result;
  }
  // Only the low byte of the data offset counts.
  const std::size_t off = image[7];
  if (image.size() < off + 2) {
    result.error = "file ends before its program's load address";
    return result;
  }
  const std::size_t length = image.size() - off - 2;
  // The header's own load field (bytes 8-9) is never used: the program's
  // first two bytes give the load address.
  const std::uint16_t load = static_cast<std::uint16_t>(image[off] | image[off + 1] << 8);
  if (load + length > s.memory.bytes.size()) {
    result.error = "program runs past the end of memory";
    return result;
  }
  TuneAddresses& t = s.tune;
  t.init = static_cast<std::uint16_t>(image[10] << 8 | image[11]);
  t.play = static_cast<std::uint16_t>(image[12] << 8 | image[13]);
  t.songsMinus1 = static_cast<std::uint8_t>(image[15] - 1);
  t.startSongMinus1 = static_cast<std::uint8_t>(image[17] - 1);
  t.speed = image[21];
  t.load = load;
  ClearMemory(s);
  std::copy_n(image.data() + off + 2, length, s.memory.bytes.data() + load);
  if (t.play == 0) {
    // The tune installs its own interrupt handler: take it from the vector.
    CallRoutine(s, t.init, 0);
    t.play = static_cast<std::uint16_t>(s.memory.bytes[0x0315] << 8 | s.memory.bytes[0x0314]);
  }
  result.ok = true;
  result.load = load;
  return result;
}

void CallInit(SidState& s, std::uint8_t song) { CallRoutine(s, s.tune.init, song); }

LoadResult StartTune(SidState& s, std::span<const std::uint8_t> image, std::uint8_t song) {
  // A successful load clears memory before copying the program; only a
  // refused image leaves the clearing to us.
  ResetChipsAndCpu(s, kMixingRate);
  const LoadResult loaded = LoadTuneImage(s, image);
  if (!loaded.ok) ClearMemory(s);
  CallInit(s, song);
  return loaded;
}

void RenderFrame(SidState& s, std::int16_t* out, int count) {
  CallRoutine(s, s.tune.play, 0);
  SidRender(s, out, count);
}

}  // namespace korveld::sid
