#include "tools/skingen/layout.hpp"

#include "content/startup/startup_data.hpp"

namespace korveld::skingen {

Box ButtonBox(int skin, int b) {
  constexpr int kPointerCodes = 121;
  const auto data = content::StartupDataList();
  const std::size_t at = skin == 1 ? kPointerCodes + (b - 1) * 6 : kPointerCodes + 60 + (b - 1) * 4;
  const int x = data[at], y = data[at + 1], w = data[at + 2], h = data[at + 3];
  return {x, y, x + w, y + h};
}

}  // namespace korveld::skingen
