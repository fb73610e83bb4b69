// The intro's and the ticker's texts, written as content sources like the
// pages and checked against the same facts.
//
// Intro source (content/texts/intro.txt), one item a line:
//   % comment
//   title TEXT       one of the nine title lines (up to 25 characters; an
//                    empty TEXT is an empty line)
//   spaces N         N spaces of the scroller text
//   text TEXT        scroller text; lines that follow each other are joined
//                    by one space, trailing spaces dropped (use spaces N)
//   pause TEXT       the pause marker, then TEXT centred in the 24 characters
//                    the paused scroller shows after it
//   music            one paused credit "NAME - MUSIC" per composer of the
//                    intro tunes, in tune order
// The scroller shows capital letters only; a lowercase "a" is its pause
// marker, so scroller text has no lowercase letters (write {=key:upper}).
//
// Ticker source (content/texts/ticker.txt): the same spaces and text items
// give the help line; then
//   credit TEXT      the selected module's credit, TEXT written once per
//                    module with ".N." in fact keys standing for its number
// Text n (1..modules) is the help line and module n's credit; one more text
// has the help line alone.
//
// TEXT is page markup (tools/pagec/page_compiler.hpp): facts, filters and
// checks; colour and face codes have no meaning here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/pagec/page_compiler.hpp"

namespace korveld::pagec {

inline constexpr int kTitleLines = 9;
inline constexpr int kTitleWidth = 25;   // 32-pixel glyphs across 800 pixels
inline constexpr int kPausedWindow = 24;  // characters the scroller shows after a pause marker

struct IntroTexts {
  std::string scroll;
  std::vector<std::string> titles;  // kTitleLines of them
};

// Compiles the intro source; errors go to diags.
bool CompileIntroTexts(std::string_view file, std::string_view source, const Facts& facts, IntroTexts& out,
                       Diagnostics& diags);
// Compiles the ticker source into its texts, one per module and one without
// a credit.
bool CompileTickerTexts(std::string_view file, std::string_view source, const Facts& facts,
                        std::vector<std::string>& out, Diagnostics& diags);

// C++ source defining IntroScrollText, IntroTitleLine and TickerText.
std::string EmitTextsCpp(const IntroTexts& intro, const std::vector<std::string>& ticker);

}  // namespace korveld::pagec
