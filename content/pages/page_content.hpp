// The twenty pages as compiled from the page sources: per line the
// text and its three code strings, exactly as the page store keeps them.
#pragma once

#include <span>
#include <string_view>

namespace korveld::content {

struct PageLineSource {
  std::string_view text;    // up to 81 characters of code page 437 text
  std::string_view colour;  // 80 colour codes
  std::string_view style;   // 80 face digits
  std::string_view glow;    // one digit "0".."8"
};

inline constexpr int kPageCount = 20;

// Page n (1..20): its lines 0..line count, the last one being the "<END>"
// line. Any other n gives an empty span.
std::span<const PageLineSource> PageLines(int page);

// The menu label of page n (1..20), empty for any other n.
std::string_view PageLabel(int page);

}  // namespace korveld::content
