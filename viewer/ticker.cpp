#include "viewer/ticker.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "content/texts/texts.hpp"
#include "viewer/menus.hpp"

namespace korveld::viewer {
namespace {

constexpr int kVisibleCharacters = 58;
constexpr double kCharacterWidth = 9.0;
constexpr int kTextRow[2] = {123, 124};  // per skin
constexpr int kLightFace = 2;
constexpr int kTextTint = 2;

}  // namespace

std::string TickerTextFor(int tune) { return std::string(content::TickerText(tune)); }

void StoreTickerTexts(TickerState& ticker) {
  for (int n = 1; n <= kTickerTexts; ++n) ticker.text[n] = TickerTextFor(n);
}

void DrawTicker(render::ScreenBuffer& frame, TickerState& ticker, const render::FontTables& font, int skin) {
  auto& t = ticker;
  const int y = kTextRow[skin == 1 ? 0 : 1];
  const int x = kPanelLeft - static_cast<int>(std::floor(t.offset));
  const int index = t.index >= 1 && t.index <= kTickerTexts ? t.index : 1;
  const std::string& text = t.text[index];
  if (t.position >= 1 && static_cast<std::size_t>(t.position) <= text.size()) {
    const std::string_view visible = std::string_view(text).substr(t.position - 1, kVisibleCharacters);
    render::DrawTextClipped(frame, font, visible, x, y, kPanelLeft, kPanelRight, kPanelTop, kPanelBottom,
                            kLightFace, kTextTint);
  }
  t.offset += 1.0;
  if (t.offset > kCharacterWidth) {
    t.position += 1;
    if (t.position > static_cast<int>(text.size())) t.position = 1;
    t.offset -= kCharacterWidth;
  }
}

void MarkTickerRows(render::RowMarks& marks, int skin) {
  const int y = kTextRow[skin == 1 ? 0 : 1];
  marks.mark(std::max(y, kPanelTop), std::min(y + render::kGlyphHeight - 1, kPanelBottom));
}

}  // namespace korveld::viewer
