// The embedded issue's text against what it describes: the help page's
// counts are the viewer's, and pages point at each other by menu entries.
// (Line counts, glows, labels and the line format are the page compiler's
// checks at build time.)
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

#include "content/pages/page_content.hpp"
#include "viewer/scroll.hpp"

namespace korveld::content {
namespace {

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
  EXPECT_NE(help.find("one screen (" + std::to_string(step) + " lines) further down"), std::string::npos) << step;
  EXPECT_NE(help.find("one screen (" + std::to_string(step) + " lines) back up"), std::string::npos) << step;
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
