// The intro's texts. The scroller text is capitals only: a lowercase "a" is
// the pause marker, which holds the scroller for four seconds once it reaches
// the left edge. Each paused window (the marker and the 24 characters after
// it) fills the screen, so those segments are padded to 25 characters. The
// music credits name the composers of the intro tunes from the tunes' own
// headers, so a renamed composer cannot leave a stale credit here.
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "content/sid/sid_tunes.hpp"
#include "render/intro.hpp"

namespace korveld::render {
namespace {

constexpr std::string_view kWelcome = "a     ** WELCOME **      ";
constexpr std::string_view kIssueTitle = "a    KORVELD ISSUE 35    ";
constexpr std::string_view kContents =
    "    THE CHARTS ARE IN!   THIS ISSUE BRINGS YOU THE MONTHLY CHART OF THE THIRTY"
    " BUSIEST GROUPS, THE MONTHLY OVERVIEW, THE GROUP OF THE MONTH, RELEASE STATS"
    " FOR EVERY GROUP, THE YEARLY AND ALLTIME CHARTS WITH THEIR OVERVIEWS, THE GROUP"
    " OF THE YEAR, THE EDITORIAL, THE RULES, THE CREDITS FOR THE CHARTS, YOUR"
    " LETTERS AND THE MUSIC OF THIS ISSUE ...   AND WHILE YOU READ, FOUR MODULES"
    " KEEP YOU COMPANY.     THE INTRO WAS MADE BY:       ";
constexpr std::string_view kOtherCredits =
    "aTOBIAS RENNQUIST - CODE "
    "a JORI VANTANEN - REPLAY "
    "      ";
constexpr std::size_t kPausedWindow = 24;  // characters on screen after a marker

// One paused segment per composer of the intro tunes, in tune order, named
// as the tune sources name them: marker, then the credit centred in the
// paused window.
std::string MusicCredits() {
  std::string out;
  std::vector<std::string> seen;
  for (int n = 1;; ++n) {
    const content::SidTuneCredit credit = content::SidTuneCreditOf(n);
    if (credit.composer.empty()) break;
    std::string name;
    for (char c : credit.composer) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
    seen.push_back(name);
    const std::string line = name + " - MUSIC";
    const std::size_t pad = line.size() < kPausedWindow ? kPausedWindow - line.size() : 0;
    out += 'a' + std::string(pad / 2, ' ') + line + std::string(pad - pad / 2, ' ');
  }
  return out;
}
constexpr std::string_view kInstruction =
    " PLEASE PRESS THE -LEFT MOUSE- BUTTON OR -ESCAPE- TO BEGIN   ----   WE HOPE YOU ENJOY IT   ";
constexpr std::string_view kClosing = "*************************";

}  // namespace

void StoreIntroTexts(IntroState& intro) {
  std::string& text = intro.ScrollText;
  text.assign(66, ' ');
  const std::string music = MusicCredits();
  for (std::string_view part : {kWelcome, kIssueTitle, kContents, std::string_view(music), kOtherCredits, kInstruction,
                                kClosing}) {
    text += part;
  }

  intro.TitleLines = {
      "",
      "*********",
      "*KORVELD*",
      "*********",
      "",
      "issue number 35",
      "Released on",
      "06-12-2009",
      "",
      "= TRY F1 TO F12 =",
  };
}

}  // namespace korveld::render
