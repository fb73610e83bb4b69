// The embedded issue against its page table: twenty pages with their line
// counts, glow lines and labels, the end lines, the code strings and the
// characters the font can show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <array>
#include <map>
#include <string>
#include <string_view>

#include "content/pages/page_content.hpp"
#include "viewer/scroll.hpp"

namespace korveld::content {
namespace {

struct PageRow {
  int lines;
  std::map<int, int> glow;  // style -> number of lines
  std::string_view label;
};

// The page table of KORVELD ISSUE 35, written out here independently of
// content/pages/pages.txt.
const std::array<PageRow, 21> kTable = {{
    {0, {}, ""},
    {41, {{1, 2}}, "> Monthly Chart"},
    {35, {{8, 3}}, "> Monthly Overview"},
    {55, {{3, 2}}, "> Group Of The Month"},
    {1482, {{8, 30}}, "> Group Release Stats"},
    {63, {{2, 3}}, "> Yearly Stats"},
    {33, {{8, 3}}, "> Yearly Overview"},
    {22, {{4, 2}}, "> Group Of The Year"},
    {179, {{8, 2}}, "> Alltime Stats"},
    {77, {{8, 3}}, "> Alltime Overview"},
    {117, {{2, 14}, {4, 7}}, "Help"},
    {103, {}, "> This Issues Editorial"},
    {411, {{8, 23}}, "Rules"},
    {87, {{2, 10}}, "> Credits For The Charts"},
    {71, {{8, 6}}, "> Letters To The Editor"},
    {102, {{6, 2}, {8, 4}}, "> This Issues Music"},
    {7, {{7, 2}}, "> Interview with you?"},
    {5, {}, "> No Good Games for Xmas09?"},
    {7, {{7, 2}}, "> Interview with you?"},
    {3, {}, "> New ISO/DOX rules Status!"},
    {5, {}, "> Article here"},
}};

const std::string kOnes(80, '1');

TEST(IssueContent, PagesMatchThePageTable) {
  int stored = 0;
  for (int page = 1; page <= kPageCount; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    const auto lines = PageLines(page);
    ASSERT_FALSE(lines.empty());
    const int lineCount = static_cast<int>(lines.size()) - 1;
    EXPECT_EQ(lineCount, kTable[page].lines);
    EXPECT_EQ(PageLabel(page), kTable[page].label);
    // Only the last line ends the page, and it ends it the way the issue does.
    for (int n = 0; n < lineCount; ++n) {
      EXPECT_NE(lines[n].text.substr(0, 5), "<END>") << "line " << n;
    }
    EXPECT_EQ(lines.back().text, "<END>");
    EXPECT_EQ(lines.back().colour, kOnes);
    EXPECT_EQ(lines.back().style, kOnes);
    EXPECT_EQ(lines.back().glow, "0");
    std::map<int, int> glow;
    for (int n = 0; n < lineCount; ++n) {
      ASSERT_EQ(lines[n].glow.size(), 1u);
      const int style = lines[n].glow[0] - '0';
      ASSERT_TRUE(style >= 0 && style <= 8) << "line " << n;
      if (style != 0) ++glow[style];
    }
    EXPECT_EQ(glow, kTable[page].glow);
    stored += static_cast<int>(lines.size());
  }
  EXPECT_EQ(stored, 2925);
  EXPECT_TRUE(PageLines(0).empty());
  EXPECT_TRUE(PageLines(21).empty());
  EXPECT_TRUE(PageLabel(0).empty());
  EXPECT_TRUE(PageLabel(21).empty());
}

TEST(IssueContent, LinesAreWellFormed) {
  int controlLines = 0;
  std::array<bool, 256> used{};
  for (int page = 1; page <= kPageCount; ++page) {
    const auto lines = PageLines(page);
    for (std::size_t n = 0; n + 1 < lines.size(); ++n) {
      SCOPED_TRACE("page " + std::to_string(page) + " line " + std::to_string(n));
      const auto& line = lines[n];
      EXPECT_LE(line.text.size(), 81u);
      ASSERT_EQ(line.colour.size(), 80u);
      ASSERT_EQ(line.style.size(), 80u);
      EXPECT_EQ(line.colour.find_first_not_of("123456789ABCDEFGHIJKLMNOPQRSTU"), std::string_view::npos);
      EXPECT_EQ(line.style.find_first_not_of("12"), std::string_view::npos);
      if (line.text.empty()) {
        EXPECT_EQ(line.colour, kOnes);  // blank lines carry plain codes
        EXPECT_EQ(line.style, kOnes);
      }
      bool control = false;
      for (char ch : line.text) {
        const auto c = static_cast<unsigned char>(ch);
        used[c] = true;
        control = control || c == 4 || c == 22;
      }
      controlLines += control ? 1 : 0;
    }
  }
  // Printable ASCII, the shade, block and box pieces, the dots, and the two
  // control codes that draw nothing: nothing else is in the issue.
  const std::string_view extra =
      "\x04\x16\xB0\xB1\xB2\xB3\xBB\xBC\xBF\xC0\xC4\xCD\xD9\xDA\xDB\xDC\xDD\xDE\xDF\xFA\xFE";
  for (int c = 0; c < 256; ++c) {
    const bool allowed = (c >= 32 && c <= 126) || extra.find(static_cast<char>(c)) != std::string_view::npos;
    EXPECT_TRUE(allowed || !used[c]) << "character " << c;
  }
  EXPECT_TRUE(used[4]);
  EXPECT_TRUE(used[22]);
  EXPECT_EQ(controlLines, 2);
}

TEST(IssueContent, ColourCodesAreUsedAsTheIssueUsesThem) {
  std::map<char, long> count;
  long bold = 0;
  long light = 0;
  for (int page = 1; page <= kPageCount; ++page) {
    for (const auto& line : PageLines(page)) {
      for (char c : line.colour) ++count[c];
      bold += std::count(line.style.begin(), line.style.end(), '1');
      light += std::count(line.style.begin(), line.style.end(), '2');
    }
  }
  // Every tint 1..30 appears; "1" leads by far, then H, Q, 3 and U.
  for (char c : std::string_view("123456789ABCDEFGHIJKLMNOPQRSTU")) EXPECT_GT(count[c], 0) << c;
  EXPECT_EQ(count['V'], 0);
  long others = 0;
  for (const auto& [code, n] : count) {
    if (std::string_view("1HQ3U").find(code) == std::string_view::npos) others = std::max(others, n);
  }
  EXPECT_GT(count['1'], 2 * count['H']);
  EXPECT_GT(count['H'], count['Q']);
  EXPECT_GT(count['Q'], count['3']);
  EXPECT_GT(count['3'], count['U']);
  EXPECT_GT(count['U'], others);
  EXPECT_GT(bold, 0);
  EXPECT_GT(light, 0);
}

TEST(IssueContent, ChartRowsReadLikeTheChart) {
  // Line 8 of page 1 is the first place of the month: its dot in tint 22, the
  // dot leaders in tint 3 and the trend word in tint 25.
  const auto& row = PageLines(1)[8];
  EXPECT_EQ(row.text.substr(0, 9), "      1. ");
  EXPECT_EQ(row.colour[7], 'M');
  EXPECT_EQ(row.text.substr(row.text.size() - 6), "- SAME");
  EXPECT_EQ(row.colour.substr(row.text.size() - 4, 4), "PPPP");
  const std::size_t leaders = row.text.find("....");
  ASSERT_NE(leaders, std::string_view::npos);
  EXPECT_EQ(row.colour[leaders], '3');
  // Thirty places follow, numbered 1 to 30.
  for (int place = 1; place <= 30; ++place) {
    const auto text = PageLines(1)[7 + place].text;
    std::string want = std::to_string(place) + ".";
    want.insert(0, 8 - want.size(), ' ');
    EXPECT_EQ(text.substr(0, 8), want) << text;
  }
}

// Page n's text as a reader follows it: lines trimmed and joined by one
// space, so a phrase wrapped over two lines reads as one.
std::string ReadingText(int page) {
  std::string out;
  const auto lines = PageLines(page);
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    std::string_view t = lines[i].text;
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    if (t.empty()) continue;
    if (!out.empty()) out += ' ';
    out += t;
  }
  return out;
}

std::string Thousands(int n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// What the help page says about the page keys is what the viewer does: the
// longest page, its line count, the Page Down presses that cross it and the
// lines one press moves, all worked out with the viewer's own PageKeys.
TEST(IssueText, HelpPageCountsMatchTheViewer) {
  int longest = 1;
  for (int page = 1; page <= kPageCount; ++page) {
    if (PageLines(page).size() > PageLines(longest).size()) longest = page;
  }
  viewer::ViewState v;
  v.LineCount = static_cast<int>(PageLines(longest).size()) - 1;
  int presses = 0, step = 0;
  for (int before = -1; before != v.TopLine;) {
    before = v.TopLine;
    viewer::PageKeys(v, false, true, false, false);
    if (v.TopLine != before) ++presses;
    if (presses == 1 && step == 0) step = v.TopLine;
  }
  const std::string help = ReadingText(10);
  const std::string claim = std::string(PageLabel(longest)) + ", has " + Thousands(v.LineCount) +
                            " lines: Page Down " + std::to_string(presses) + " times, or End once.";
  EXPECT_NE(help.find(claim), std::string::npos) << claim;
  EXPECT_EQ(presses, 44);
  EXPECT_NE(help.find("one screen (" + std::to_string(step) + " lines) further down"), std::string::npos);
}

// Pages point at other pages by their menu entry ("> Monthly Chart") or a
// button, never by a page number, which the viewer does not show.
TEST(IssueText, ReferencesNameMenuEntriesNotPageNumbers) {
  for (int page = 1; page <= kPageCount; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    const std::string text = ReadingText(page);
    for (std::size_t at = 0; (at = text.find("> ", at)) != std::string::npos; at += 2) {
      if (at + 2 >= text.size() || !std::isupper(static_cast<unsigned char>(text[at + 2]))) continue;
      bool named = false;
      for (int other = 1; other <= kPageCount; ++other) {
        const std::string_view label = PageLabel(other);
        named = named || (label.substr(0, 2) == "> " && text.compare(at, label.size(), label) == 0);
      }
      EXPECT_TRUE(named) << text.substr(at, 30);
    }
    for (std::size_t at = 0; (at = text.find("age ", at)) != std::string::npos; at += 4) {
      EXPECT_FALSE(at > 0 && (text[at - 1] == 'p' || text[at - 1] == 'P') && at + 4 < text.size() &&
                   std::isdigit(static_cast<unsigned char>(text[at + 4])))
          << text.substr(at - 1, 20);
    }
  }
}

}  // namespace
}  // namespace korveld::content
