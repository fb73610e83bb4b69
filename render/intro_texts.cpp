// The intro's texts come from the content (content/texts/intro.txt,
// compiled at build time): the scroller text, pause markers and credits
// included, and the nine title lines.
#include "content/texts/texts.hpp"
#include "render/intro.hpp"

namespace korveld::render {

void StoreIntroTexts(IntroState& intro) {
  intro.ScrollText = std::string(content::IntroScrollText());
  for (int n = 1; n < static_cast<int>(intro.TitleLines.size()); ++n) {
    intro.TitleLines[static_cast<std::size_t>(n)] = std::string(content::IntroTitleLine(n));
  }
}

}  // namespace korveld::render
