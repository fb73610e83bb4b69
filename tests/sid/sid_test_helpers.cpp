#include "tests/sid/sid_test_helpers.hpp"

#include "sid/tune.hpp"

namespace korveld::sid::testing {

std::unique_ptr<SidState> FreshState() {
  auto s = std::make_unique<SidState>();
  SidReset(*s, kMixingRate);
  return s;
}

std::vector<std::uint8_t> MakeImage(const TuneImageParts& parts) {
  const std::size_t off = parts.dataOffset & 0xFF;
  std::vector<std::uint8_t> image(std::max<std::size_t>(off, 124), 0);
  for (int i = 0; i < 4; ++i) image[i] = static_cast<std::uint8_t>(parts.magic[i]);
  image[5] = 2;
  image[6] = static_cast<std::uint8_t>(parts.dataOffset >> 8);
  image[7] = static_cast<std::uint8_t>(parts.dataOffset);
  image[8] = static_cast<std::uint8_t>(parts.headerLoad >> 8);
  image[9] = static_cast<std::uint8_t>(parts.headerLoad);
  image[10] = static_cast<std::uint8_t>(parts.init >> 8);
  image[11] = static_cast<std::uint8_t>(parts.init);
  image[12] = static_cast<std::uint8_t>(parts.play >> 8);
  image[13] = static_cast<std::uint8_t>(parts.play);
  image[15] = 1;
  image[17] = 1;
  image.resize(off);
  image.push_back(static_cast<std::uint8_t>(parts.load));
  image.push_back(static_cast<std::uint8_t>(parts.load >> 8));
  image.insert(image.end(), parts.program.begin(), parts.program.end());
  return image;
}

std::uint16_t Poke(SidState& s, std::uint16_t address, const std::vector<std::uint8_t>& code) {
  for (std::uint8_t b : code) s.memory.bytes[address++] = b;
  return address;
}

}  // namespace korveld::sid::testing
