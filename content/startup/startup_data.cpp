#include "content/startup/startup_data.hpp"

#include <array>

namespace korveld::content {
namespace {

constexpr std::array<int, 221> kStartupData = {
    // Pointer: an arrow with its tip at the top-left pixel. 0 transparent,
    // 1 outline, 2 body, 3 and 4 the two edge shades.
    1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,
    1, 2, 3, 3, 3, 3, 3, 1, 0, 0, 0,
    1, 4, 2, 2, 2, 2, 1, 0, 0, 0, 0,
    1, 4, 2, 2, 2, 2, 3, 1, 0, 0, 0,
    1, 4, 2, 2, 2, 2, 2, 3, 1, 0, 0,
    1, 4, 2, 2, 2, 2, 2, 2, 3, 1, 0,
    1, 4, 1, 4, 2, 2, 2, 2, 2, 3, 1,
    1, 1, 0, 1, 4, 2, 2, 2, 2, 1, 0,
    1, 0, 0, 0, 1, 4, 2, 2, 1, 0, 0,
    0, 0, 0, 0, 0, 1, 4, 1, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0,
    // Skin 1 "Grunge": x, y, w, h, initial latch, initial glow.
    35, 40, 88, 19, 0, 0,     // 1 QUIT
    35, 65, 88, 19, 0, 0,     // 2 CHARTS
    35, 90, 88, 19, 1, 0,     // 3 ARTICLES
    672, 65, 88, 19, 0, 0,    // 4 RULES
    672, 90, 88, 19, 0, 0,    // 5 HELP
    672, 40, 88, 19, 0, 0,    // 6 MUTE
    9, 132, 57, 19, 1, 0,     // 7 MUSIC 1
    73, 132, 57, 19, 0, 0,    // 8 MUSIC 2
    665, 132, 57, 19, 0, 0,   // 9 MUSIC 3
    729, 132, 57, 19, 0, 0,   // 10 MUSIC 4
    // Skin 2 "Carbon": x, y, w, h.
    25, 49, 76, 19,
    25, 73, 76, 19,
    25, 97, 76, 19,
    698, 73, 76, 19,
    698, 97, 76, 19,
    698, 49, 76, 19,
    18, 137, 43, 8,
    79, 137, 44, 8,
    669, 137, 44, 8,
    733, 137, 43, 8,
};

}  // namespace

std::span<const int> StartupDataList() { return kStartupData; }

}  // namespace korveld::content
