// Shared helpers of the SID player tests: fresh machines and synthetic
// tune images built in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sid/sid_state.hpp"

namespace korveld::sid::testing {

// A reset machine at 44100 Hz on the heap (the state holds 64 KiB).
std::unique_ptr<SidState> FreshState();

struct TuneImageParts {
  std::string magic = "PSID";
  std::uint16_t dataOffset = 0x7C;
  std::uint16_t headerLoad = 0;
  std::uint16_t load = 0x1000;
  std::uint16_t init = 0x1000;
  std::uint16_t play = 0;
  std::vector<std::uint8_t> program;  // bytes placed at load
};

// A PSID/RSID image: 124-byte header (padded to the data offset's low
// byte), the load address, then the program.
std::vector<std::uint8_t> MakeImage(const TuneImageParts& parts);

// Puts code at address and returns the address just behind it.
std::uint16_t Poke(SidState& s, std::uint16_t address, const std::vector<std::uint8_t>& code);

}  // namespace korveld::sid::testing
