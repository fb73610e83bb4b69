// The intro's texts. The scroller text is capitals only: a lowercase "a" is
// the pause marker, which holds the scroller for four seconds once it reaches
// the left edge. Each paused window (the marker and the 24 characters after
// it) fills the screen, so those segments are padded to 25 characters.
#include <string_view>

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
constexpr std::string_view kCredits =
    "a ELSA MARKVIST - MUSIC  "
    "aTOBIAS RENNQUIST - CODE "
    "a JORI VANTANEN - REPLAY "
    "      ";
constexpr std::string_view kInstruction =
    " PLEASE PRESS THE -LEFT MOUSE- BUTTON OR -ESCAPE- TO BEGIN   ----   WE HOPE YOU ENJOY IT   ";
constexpr std::string_view kClosing = "*************************";

}  // namespace

void StoreIntroTexts(IntroState& intro) {
  std::string& text = intro.ScrollText;
  text.assign(66, ' ');
  for (std::string_view part : {kWelcome, kIssueTitle, kContents, kCredits, kInstruction, kClosing}) text += part;

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
