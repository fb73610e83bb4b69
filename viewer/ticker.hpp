// The status ticker under the menu rows: a help line and the credit of the
// selected tune, scrolling left a pixel a frame.
#pragma once

#include <array>
#include <string>

#include "render/font.hpp"
#include "render/screen.hpp"

namespace korveld::viewer {

inline constexpr int kTickerTexts = 5;  // 1..4 one per tune, 5 without a credit

struct TickerState {
  std::array<std::string, kTickerTexts + 1> text;  // entry 0 unused
  int index = 1;        // text shown, 1..4
  int position = 1;     // first character drawn, 1-based
  double offset = 0.0;  // pixels scrolled into that character, 0..9
};

// Text n of the ticker texts (content/texts/ticker.txt): the help
// line and tune n's credit for n = 1..4, the help line alone for 5.
std::string TickerTextFor(int tune);
void StoreTickerTexts(TickerState& ticker);
// Draws the visible part for the given skin, then moves on a pixel.
void DrawTicker(render::ScreenBuffer& frame, TickerState& ticker, const render::FontTables& font, int skin);
// The rows DrawTicker may draw for the given skin.
void MarkTickerRows(render::RowMarks& marks, int skin);

}  // namespace korveld::viewer
