// The twelve embedded C64 tunes, numbered 1..12 (entry 0 is empty).
#pragma once

#include <cstdint>
#include <span>

namespace korveld::content {

struct SidTuneEntry {
  std::span<const std::uint8_t> image;  // the whole PSID/RSID file
  std::uint8_t song = 0;                // handed to init in A
};

std::span<const SidTuneEntry> SidTuneTable();

}  // namespace korveld::content
