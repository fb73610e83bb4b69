// The twelve embedded C64 tunes, numbered 1..12 (entry 0 is empty).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace korveld::content {

struct SidTuneEntry {
  std::span<const std::uint8_t> image;  // the whole PSID/RSID file
  std::uint8_t song = 0;                // handed to init in A
};

std::span<const SidTuneEntry> SidTuneTable();

// The header texts of tune n (1..12) as its source gives them; empty for
// any other n. Generated at build time from content/sid/tunes.
struct SidTuneCredit {
  std::string_view title;
  std::string_view composer;
  int year = 0;
};
SidTuneCredit SidTuneCreditOf(int n);

}  // namespace korveld::content
