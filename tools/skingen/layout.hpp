// Where things are on both skins. The button rectangles come from the
// start-up data list, the same numbers the viewer hit-tests with, so the
// painted buttons cannot drift away from the clickable ones.
#pragma once

#include <array>
#include <string>

#include "tools/skingen/canvas.hpp"

namespace korveld::skingen {

inline constexpr std::array<const char*, 11> kCaptions = {
    "", "QUIT", "CHARTS", "ARTICLES", "RULES", "HELP", "MUTE", "MUSIC 1", "MUSIC 2", "MUSIC 3", "MUSIC 4"};

// The clickable rectangle of button b (1..10) on skin 1 or 2 as the inclusive
// pixel box the translucent overlay covers (x .. x + w, y .. y + h).
Box ButtonBox(int skin, int b);

}  // namespace korveld::skingen
