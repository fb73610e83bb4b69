// The intro's and the ticker's texts of the issue, compiled at build time from
// content/texts/intro.txt and ticker.txt by korveld-textc (tools/pagec).
#pragma once

#include <string_view>

namespace korveld::content {

// The whole scroller text, leading spaces and pause markers included.
std::string_view IntroScrollText();
// Title line n (1..9); empty for any other n.
std::string_view IntroTitleLine(int n);
// Ticker texts: n = 1..4 the help line and module n's credit, 5 the help line
// alone; empty for any other n.
int TickerTextCount();
std::string_view TickerText(int n);

}  // namespace korveld::content
