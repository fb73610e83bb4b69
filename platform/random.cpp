#include "platform/platform.hpp"

namespace korveld::platform {

void RandomGenerator::seed(std::uint64_t value) { state = value ^ 0x9E3779B97F4A7C15ull; }

// splitmix64: one add and a three-step mixer per draw; the top 53 bits make
// a double in [0, 1).
double RandomGenerator::next() {
  state += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

}  // namespace korveld::platform
