// The page compiler: markup to the four strings per line, its error messages
// with file and line, and the checks against the page table.
#include <gtest/gtest.h>

#include <string>

#include "tools/pagec/page_compiler.hpp"
#include "tools/pagec/texts.hpp"

namespace korveld::pagec {
namespace {

std::string Ones() { return std::string(kCodeLength, '1'); }

CompiledLine MustCompile(std::string_view markup, LineDefaults defaults = {}) {
  CompiledLine line;
  std::string error;
  EXPECT_TRUE(CompileMarkup(markup, defaults, line, error)) << markup << ": " << error;
  return line;
}

std::string MustFail(std::string_view markup) {
  CompiledLine line;
  std::string error;
  EXPECT_FALSE(CompileMarkup(markup, {}, line, error)) << markup;
  return error;
}

std::vector<std::string> Messages(const Diagnostics& d) {
  std::vector<std::string> out;
  for (const auto& x : d.list) out.push_back(FormatDiagnostic(x));
  return out;
}

TEST(PageMarkup, ChartRowGivesTheColourLineOfTheExample) {
  // The chart row of page 1 with its tint 22 dot, tint 3 dot leaders
  // and tint 25 trend word, written with a fill code for the leaders.
  const CompiledLine line = MustCompile(
      "      1{M}.{1} EXAMPLE{3}{>34.}{1}   122.5 {3}......{1}         27 {3}......{1}  - {P}SAME");
  EXPECT_EQ(line.text, "      1. EXAMPLE.................   122.5 ......         27 ......  - SAME");
  EXPECT_EQ(line.colour, "1111111M11111111333333333333333331111111113333331111111111113333331111PPPP111111");
  EXPECT_EQ(line.style, Ones());
  EXPECT_EQ(line.glow, '0');
}

TEST(PageMarkup, FacesDefaultsAndCodesPastTheText) {
  const CompiledLine line = MustCompile("ab{l}cd{b}e{Q}f", {'3', '2'});
  EXPECT_EQ(line.text, "abcdef");
  EXPECT_EQ(line.colour.substr(0, 7), "33333Q1");
  EXPECT_EQ(line.style.substr(0, 7), "2222111");
  EXPECT_EQ(line.colour.size(), 80u);
  EXPECT_EQ(line.style.size(), 80u);

  const CompiledLine blank = MustCompile("");
  EXPECT_EQ(blank.text, "");
  EXPECT_EQ(blank.colour, Ones());
  EXPECT_EQ(blank.style, Ones());
}

TEST(PageMarkup, BoxShadeAndBlockGlyphsBecomeCodePage437) {
  EXPECT_EQ(MustCompile("─═│┐└┘┌╗╝░▒▓█▄▌▐▀·■").text,
            "\xC4\xCD\xB3\xBF\xC0\xD9\xDA\xBB\xBC\xB0\xB1\xB2\xDB\xDC\xDD\xDE\xDF\xFA\xFE");
  // The whole upper half maps back and forth.
  for (int b = 127; b < 256; ++b) EXPECT_EQ(Cp437FromUnicode(UnicodeFromCp437(static_cast<unsigned char>(b))), b);
  EXPECT_EQ(Cp437FromUnicode(U'€'), 0);
}

TEST(PageMarkup, EscapesBracesAndFills) {
  EXPECT_EQ(MustCompile("{x04}A{x16}").text, std::string("\x04" "A" "\x16"));
  EXPECT_EQ(MustCompile("{{x}").text, "{x}");
  EXPECT_EQ(MustCompile("{}%").text, "%");
  EXPECT_EQ(MustCompile("ab{>6}|").text, "ab   |");
  EXPECT_EQ(MustCompile("ab{>3.}|").text, "ab|");  // already there: no fill
  EXPECT_EQ(MustCompile("{>4─}").text, "\xC4\xC4\xC4");
  // Exactly 81 characters fit; the codes keep 80.
  const CompiledLine full = MustCompile("{>82x}");
  EXPECT_EQ(full.text.size(), 81u);
  EXPECT_EQ(full.colour.size(), 80u);
}

TEST(PageMarkup, BadLinesSayWhatIsWrong) {
  EXPECT_EQ(MustFail(std::string(82, 'a')), "text is 82 characters long; a line holds at most 81");
  EXPECT_EQ(MustFail("ab{W}c"), "column 3 of the source: unknown colour or face code {W} (colours 1..9 and A..V, faces b and l)");
  EXPECT_EQ(MustFail("{bold}"), "column 1 of the source: unknown code {bold}");
  EXPECT_EQ(MustFail("abc{"), "column 4 of the source: \"{\" without \"}\" (write \"{{\" for a brace)");
  EXPECT_EQ(MustFail("abcd{>3.}"), "column 5 of the source: fill to column 3 but the text already reaches column 4");
  // Refused before filling: found by fuzzing as a page that took seconds and gigabytes.
  EXPECT_EQ(MustFail("{>44555555.}"), "column 1 of the source: fill to column 44555555 but a line holds at most 81 characters");
  EXPECT_EQ(MustFail("x€"), "column 2 of the source: character U+20AC is not in code page 437");
  EXPECT_EQ(MustFail("\xC3("), "column 1 of the source: invalid UTF-8");
}

TEST(PageSource, CompilesLinesGlowsAndEndLine) {
  Diagnostics diags;
  CompiledPage page;
  ASSERT_TRUE(CompilePage("p.txt", "% header comment\n%page 7\n\n@8\n@2 {H}Title\n%face l\n%colour Q\nlight\n"
                                   "<END>\n% trailing comment\n\n",
                          page, diags))
      << Messages(diags).front();
  EXPECT_EQ(page.page, 7);
  ASSERT_EQ(page.lineCount(), 4);
  EXPECT_EQ(page.lines[0].text, "");
  EXPECT_EQ(page.lines[1].text + page.lines[1].glow, "8");
  EXPECT_EQ(page.lines[2].text + page.lines[2].glow, "Title2");
  EXPECT_EQ(page.lines[2].colour.substr(0, 6), "HHHHH1");
  EXPECT_EQ(page.lines[3].colour.substr(0, 6) + page.lines[3].style.substr(0, 6), "QQQQQ1222221");
  const CompiledLine& end = page.lines[4];
  EXPECT_EQ(end.text + end.colour + end.style + end.glow, "<END>" + Ones() + Ones() + "0");
  EXPECT_EQ(end.sourceLine, 9);
  EXPECT_EQ(page.glowCounts()[8], 1);
  EXPECT_EQ(page.glowCounts()[2], 1);
}

TEST(PageSource, BrokenPagesReportFileAndLine) {
  struct Case {
    const char* source;
    const char* message;
  };
  const Case cases[] = {
      {"%page 3\n\nabc\n", "b.txt:3: page has no <END> line"},
      {"%page 3\n<END>\nmore\n", "b.txt:3: text after <END>"},
      {"%page 3\n{H}<END>\n<END>\n",
       "b.txt:2: a line starting with <END> ends the page; write the end line as a plain <END>"},
      {"%page 3\n@9 x\n<END>\n", "b.txt:2: glow marker must be @0..@8 followed by a space or the end of the line"},
      {"%colour W\n%page 3\n<END>\n", "b.txt:1: unknown colour code \"W\" (1..9, A..V)"},
      {"%page 3\n%pgae 3\n<END>\n", "b.txt:2: unknown directive %pgae"},
      {"text\n<END>\n", "b.txt:1: page text before the %page directive"},
      {"%page 3\n\n\n   {>90}\n<END>\n", "b.txt:4: column 4 of the source: fill to column 90 but a line holds at most 81 characters"},
  };
  for (const auto& c : cases) {
    Diagnostics diags;
    CompiledPage page;
    EXPECT_FALSE(CompilePage("b.txt", c.source, page, diags)) << c.source;
    ASSERT_FALSE(diags.list.empty()) << c.source;
    EXPECT_EQ(FormatDiagnostic(diags.list.front()), c.message) << c.source;
  }
}

// Page 1 wants 3 lines glowing 8:1,2:2; the others one line and no glow.
PageTable SmallTable() {
  std::string text = "1 3 8:1,2:2 > One\n";
  for (int n = 2; n <= kPageCount; ++n) text += std::to_string(n) + " 1 none Label " + std::to_string(n) + "\n";
  Diagnostics diags;
  PageTable table;
  EXPECT_TRUE(ParseTable("t.txt", text, table, diags));
  return table;
}

CompiledPage Page(int n, const std::string& source) {
  Diagnostics diags;
  CompiledPage page;
  EXPECT_TRUE(CompilePage("p" + std::to_string(n) + ".txt", source, page, diags));
  return page;
}

// Page 1 from `first`, pages 2..20 of one blank line.
std::vector<CompiledPage> FullIssue(const std::string& first) {
  std::vector<CompiledPage> pages{Page(1, first)};
  for (int n = 2; n <= kPageCount; ++n) pages.push_back(Page(n, "%page " + std::to_string(n) + "\n\n<END>\n"));
  return pages;
}

constexpr const char* kFits = "%page 1\n@2\n@8 x\n@2 y\n<END>\n";
constexpr const char* kShort = "%page 1\n@2\n@8 x\n<END>\n";

TEST(PageTableCheck, AcceptsAnIssueThatFitsAndWarnsOfMismatchesOnlyWhenDrafting) {
  const PageTable table = SmallTable();
  Diagnostics diags;
  std::vector<CompiledPage> ordered;
  // The order and the code it emits are the issue's own, built into every program.
  ASSERT_TRUE(AssembleIssue(table, FullIssue(kFits), {}, ordered, diags));
  EXPECT_FALSE(AssembleIssue(table, FullIssue(kShort), {}, ordered, diags));
  EXPECT_EQ(Messages(diags), (std::vector<std::string>{
                                 "p1.txt:4: page 1 has 2 lines; the page table (t.txt:1) wants 3",
                                 "p1.txt:1: page 1 glows 2:1,8:1; the page table wants 2:2,8:1"}));
  Diagnostics warnings;
  IssueOptions draft;
  draft.draft = true;
  EXPECT_TRUE(AssembleIssue(table, FullIssue(kShort), draft, ordered, warnings));
  ASSERT_EQ(warnings.list.size(), 2u);
  EXPECT_TRUE(warnings.list[0].warning);
  EXPECT_EQ(Messages(warnings)[0], "p1.txt:4: warning: page 1 has 2 lines; the page table (t.txt:1) wants 3");
}

TEST(PageTableCheck, MissingAndDuplicatePages) {
  const PageTable table = SmallTable();
  auto pages = FullIssue(kFits);
  pages.erase(pages.begin() + 4);  // page 5
  pages.push_back(Page(3, "%page 3\n\n<END>\n"));
  pages.back().file = "again.txt";
  Diagnostics diags;
  std::vector<CompiledPage> ordered;
  EXPECT_FALSE(AssembleIssue(table, pages, {}, ordered, diags));
  EXPECT_EQ(Messages(diags), (std::vector<std::string>{"again.txt:1: page 3 is also defined in p3.txt",
                                                       "t.txt:5: page 5 has no source file"}));
  Diagnostics lenient;
  IssueOptions allow;
  allow.allowMissing = true;
  pages.pop_back();
  ASSERT_TRUE(AssembleIssue(table, pages, allow, ordered, lenient));
  ASSERT_EQ(ordered[4].lines.size(), 1u);
  EXPECT_EQ(ordered[4].lines[0].text, "<END>");
}

TEST(PageTableCheck, BrokenTables) {
  struct Case {
    std::string text;
    const char* message;
  };
  std::string rest;
  for (int n = 3; n <= kPageCount; ++n) rest += std::to_string(n) + " 1 none x\n";
  const Case cases[] = {
      {"1 3 none a\n" + rest, "t.txt:19: page 2 is missing from the table"},
      {"1 3 none a\n2 1 none b\n2 1 none c\n" + rest, "t.txt:3: page 2 listed twice"},
      {"1 3 9:1 a\n2 1 none b\n" + rest,
       "t.txt:1: glow must be \"none\" or style:count pairs such as 2:14,4:7"},
      {"1 0 none a\n2 1 none b\n" + rest, "t.txt:1: line count must be a positive number"},
      {"# c\n1 3 none\n2 1 none b\n" + rest, "t.txt:2: page 1 has no label"},
  };
  for (const auto& c : cases) {
    Diagnostics diags;
    PageTable table;
    EXPECT_FALSE(ParseTable("t.txt", c.text, table, diags)) << c.text;
    ASSERT_FALSE(diags.list.empty());
    EXPECT_EQ(FormatDiagnostic(diags.list.front()), c.message) << c.text;
  }
}

TEST(PageFacts, FillInAndCountComposersOnce) {
  Facts facts;
  Diagnostics diags;
  ASSERT_TRUE(ParseFacts("f", "# source: tunes\ntune.1.composer\tAda\ntune.2.composer\tAda\n"
                              "# source: modules\nmodule.1.composer\tBo\nmodule.1.title\tAda\n",
                         facts, diags));
  AddDerivedFacts(facts);
  EXPECT_EQ(facts["composers.count.words"].value, "two");
  EXPECT_EQ(facts["composers.count"].source, "modules and tunes");
  CompiledLine line;
  std::string error;
  ASSERT_TRUE(CompileMarkup("{H}{=module.1.composer}{>6.}{=composers.count}", {}, line, error, &facts)) << error;
  EXPECT_EQ(line.text, "Bo...2");
  EXPECT_EQ(line.colour.substr(0, 6), "HHHHHH");
  EXPECT_FALSE(ParseFacts("g", "tune.1.composer\tAgain\n", facts, diags));
  EXPECT_EQ(FormatDiagnostic(diags.list.back()), "g:1: fact tune.1.composer is given twice (also by tunes)");
}


// Filters write a fact as the sentence needs it; {?key=text} checks a fact
// without writing it; %all makes a page name a whole list.
TEST(PageFacts, FiltersSilentChecksAndWholeLists) {
  Facts facts;
  Diagnostics diags;
  ASSERT_TRUE(ParseFacts("f", "# source: records\nn\t62\nz\t0\np.1\t21\np.2\t12\np.3\t3\nname\tordway\n"
                              "new.1.name\tA\nnew.2.name\tB\nnew.1.place\t8\n",
                         facts, diags));
  CompiledLine line;
  std::string error;
  ASSERT_TRUE(CompileMarkup("{=n:Words} {=z:words} {=p.1:ordinal} {=p.2:ordinal} {=p.3:ordinal} {=name:upper}"
                            "{?n=62} {=n:words:upper=SIXTY-TWO}",
                            {}, line, error, &facts))
      << error;
  EXPECT_EQ(line.text, "Sixty-two no 21st 12th 3rd ORDWAY SIXTY-TWO");
  EXPECT_EQ(line.quoted, (std::vector<std::string>{"n", "z", "p.1", "p.2", "p.3", "name", "n", "n"}));
  EXPECT_EQ(NumberWords(40) + NumberWords(99) + NumberWords(100), "fortyninety-nine100");
  for (const auto& [markup, message] :
       {std::pair{"{?n=61}", "column 1 of the source: \"61\" disagrees with records, which gives n = \"62\""},
        {"x{=n:words=sixty}", "column 2 of the source: \"sixty\" disagrees with records, which gives n:words = \"sixty-two\""},
        {"{?n}", "column 1 of the source: {?n} checks a text: {?key=text}"},
        {"{=name:words}", "column 1 of the source: name = \"ordway\": \"words\" needs a whole number"},
        {"{=n:roman}", "column 1 of the source: n = \"62\": unknown filter \"roman\" (words, Words, ordinal, upper)"}}) {
    EXPECT_FALSE(CompileMarkup(markup, {}, line, error, &facts)) << markup;
    EXPECT_EQ(error, message);
  }
  EXPECT_TRUE(KeyMatches("new.*.name", "new.12.name"));
  EXPECT_FALSE(KeyMatches("new.*.name", "new.1.2.name"));
  EXPECT_FALSE(KeyMatches("new.*.name", "new..name"));
  CompiledPage page;
  EXPECT_TRUE(CompilePage("w.txt", "%page 1\n%all new.*.name\n{=new.2.name}, {=new.1.name}\n<END>\n", page, diags, &facts));
  EXPECT_FALSE(CompilePage("w.txt", "%page 1\n%all new.*.name\n{=new.1.name} ({=new.1.place:ordinal})\n%all old.*\n<END>\n",
                           page, diags, &facts));
  const auto messages = Messages(diags);
  EXPECT_EQ(std::vector<std::string>(messages.end() - 2, messages.end()),
            (std::vector<std::string>{"w.txt:2: %all new.*.name: the page leaves out new.2.name (\"B\")",
                                      "w.txt:4: %all old.*: no fact matches"}));
}

// The intro's and the ticker's texts: fact quotes, centred pauses, the
// composers once each, capitals only in the scroller, nine title lines.
TEST(IntroAndTickerTexts, CompileFromTheirSources) {
  Facts facts;
  Diagnostics diags;
  ASSERT_TRUE(ParseFacts("f", "tune.1.composer\tAda Lund\ntune.2.composer\tBo\ntune.3.composer\tAda Lund\n"
                              "module.1.title\tRain\nmodule.1.composer\tCy\nmodule.2.title\tSun\nmodule.2.composer\tDi\n"
                              "issue\t35\nwho\tordway\n",
                         facts, diags));
  std::string source = "% the titles\n";
  for (int n = 1; n <= kTitleLines; ++n) source += n == 5 ? "title issue {=issue}\ntitle\n" : n == 6 ? "" : "title *\n";
  source += "spaces 3\npause KORVELD {=issue}\ntext A  B\ntext C\nspaces 2\nmusic\npause {=who:upper} - CODE\n";
  IntroTexts intro;
  ASSERT_TRUE(CompileIntroTexts("i.txt", source, facts, intro, diags)) << Messages(diags).back();
  ASSERT_EQ(intro.titles.size(), 9u);
  EXPECT_EQ(intro.titles[4] + "|" + intro.titles[5], "issue 35|");
  EXPECT_EQ(intro.scroll, "   a       KORVELD 35       A  B C  a    ADA LUND - MUSIC    a       BO - MUSIC       a     ORDWAY - CODE      ");
  std::vector<std::string> ticker;
  ASSERT_TRUE(CompileTickerTexts("t.txt", "spaces 2\ntext Song:\nspaces 1\ncredit {=module.N.title} by {=module.N.composer}.\n",
                                 facts, ticker, diags));
  EXPECT_EQ(ticker, (std::vector<std::string>{"  Song: Rain by Cy.", "  Song: Sun by Di.", "  Song: "}));
  const std::pair<std::string, const char*> broken[] = {
      {source + "text lower\n", "i.txt:18: lowercase letters in the scroller (\"a\" pauses it): write capitals, {=key:upper}"},
      {source + "pause A PAUSED TEXT OF 25 CHARS\n", "i.txt:18: \"A PAUSED TEXT OF 25 CHARS\" is longer than the 24 characters a pause shows"},
      {source + "title *\n", "i.txt:18: the intro has 9 title lines"},
      {"title *\n", "i.txt:1: the intro has 9 title lines, not 1"},
      {source + "shout X\n", "i.txt:18: unknown item \"shout\" (title, spaces, text, pause, music)"},
  };
  for (const auto& [text, message] : broken) {
    Diagnostics d;
    EXPECT_FALSE(CompileIntroTexts("i.txt", text, facts, intro, d)) << message;
    ASSERT_FALSE(d.list.empty()) << message;
    EXPECT_EQ(FormatDiagnostic(d.list.front()), message);
  }
  Diagnostics d;
  EXPECT_FALSE(CompileTickerTexts("t.txt", "text Song:\n", facts, ticker, d));
  EXPECT_EQ(Messages(d).front(), "t.txt:1: the ticker has no credit line");
}

}  // namespace
}  // namespace korveld::pagec
