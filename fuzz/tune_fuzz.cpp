// Fuzz target: any bytes as a PSID/RSID tune image: load, init with the
// song the image names, then a few play calls with their synthesis.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "sid/tune.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korveld::sid;
  // One state for the whole run: SidReset clears all of it for every input.
  static const std::unique_ptr<SidState> state = std::make_unique<SidState>();
  SidReset(*state, kMixingRate);
  const LoadResult loaded = LoadTuneImage(*state, std::span<const std::uint8_t>(data, size));
  if (!loaded.ok) return 0;
  CallInit(*state, size > 17 ? static_cast<std::uint8_t>(data[17] - 1) : 0);
  std::int16_t frame[kFrameSamples];
  for (int f = 0; f < 4; ++f) RenderFrame(*state, frame, kFrameSamples);
  return 0;
}
