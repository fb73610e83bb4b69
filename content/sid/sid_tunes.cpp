#include "content/sid/sid_tunes.hpp"

#include <array>

namespace korveld::content {

std::span<const std::uint8_t> SidTuneImage(int n);  // generated at build time

std::span<const SidTuneEntry> SidTuneTable() {
  static const std::array<SidTuneEntry, 13> table = [] {
    std::array<SidTuneEntry, 13> t{};
    for (int n = 1; n <= 12; ++n) t[n] = SidTuneEntry{SidTuneImage(n), 0};
    return t;
  }();
  return table;
}

}  // namespace korveld::content
