// The four background-music modules of the issue: their credits (read by the
// ticker and written into the modules by tools/xmgen) and their images, which
// tools/xmgen composes at build time and the build embeds.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace korveld::content {

inline constexpr int kXmModuleCount = 4;

struct XmCredit {
  std::string_view title;
  std::string_view composer;
};

// Tune n (1..4); entry 0 stays empty.
inline constexpr XmCredit kXmCredits[kXmModuleCount + 1] = {
    {"", ""},
    {"Amber Circuit", "Nyra Valk"},
    {"Glass Harbour", "Tomas Ereth"},
    {"Copper Rain", "Ilse Marrow"},
    {"Nightline Express", "Dex Aurelian"},
};

// The image of tune n (1..4), an Extended Module file; empty for any other n.
std::span<const std::uint8_t> XmModuleImage(int n);

}  // namespace korveld::content
