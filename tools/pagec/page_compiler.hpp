// The page compiler: turns the hand-written page sources of the issue into the
// four strings per line that the program embeds (text, colour codes, face
// digits, glow digit), and checks them against the page table.
//
// Page source markup (one file per page, UTF-8):
//   %page N            which page this file is (1..20); must come first
//   %colour X          colour code every following line starts with (default 1)
//   %face b|l          face every following line starts with (default b)
//   % anything         a comment (a percent sign followed by a space)
//   @N text            the line glows with style N (1..8); "@N" alone is a
//                      glowing blank line
//   %all PATTERN       every fact whose key matches PATTERN ("new.*.name") must
//                      be quoted on this page: a list that names them all
//   <END>              ends the page; only blank lines and comments may follow
// Inside a line:
//   {1}..{9} {A}..{V}  switch the colour code of the following characters
//   {b} {l}            switch to the bold / light face
//   {{                 a literal "{"
//   {}                 nothing (lets a line start with a literal "%" or "@")
//   {xHH}              the byte HH (hex), e.g. {x04} and {x16} for the
//                      control codes that draw nothing
//   {>N} {>Nc}         fill with spaces (or the character c, e.g. {>40.})
//                      until the next character lands in column N
//   {=key}             the value of a fact (below), e.g. {=tune.8.title}
//   {=key=text}        the text as written, which must equal the fact's value:
//                      for figures typed into a table, e.g. {=chart.4.points=155.0}
//   {=key:filter} {=key:filter=text}  the value as a filter writes it: words,
//                      Words, ordinal or upper (see FilterFact)
//   {?key=text}        writes nothing, but fails unless the fact is the text:
//                      for a fact the sentence around it takes for granted
//   box, shade and block glyphs and any other code page 437 character are
//   written as their Unicode form and stored as the code page 437 byte.
// Every line starts with the defaults of %colour and %face; columns are
// counted from 1 (the first character of a line is column 1).
//
// Facts are the credits and figures that other sources own: tune titles and
// composers (content/sid/tunes), module credits (content/xm), chart figures
// (content/pages/releases.dat). The build writes them as fact files,
// "key<TAB>value" a line, "# source: PATH" naming where the following ones
// come from, so a page can quote them without typing them twice.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korveld::pagec {

inline constexpr int kPageCount = 20;
inline constexpr int kMaxTextLength = 81;  // character 81 is stored, never shown
inline constexpr int kCodeLength = 80;     // colour and face strings
inline constexpr int kGlowStyles = 8;
inline constexpr std::string_view kEndMarker = "<END>";  // a text starting so ends its page

struct Diagnostic {
  std::string file;
  int line = 0;
  std::string message;
  bool warning = false;
};

// "file:line: message" (or "file:line: warning: message").
std::string FormatDiagnostic(const Diagnostic& d);

struct Diagnostics {
  std::vector<Diagnostic> list;
  void error(std::string_view file, int line, std::string message);
  void warn(std::string_view file, int line, std::string message);
  int errorCount() const;
};

struct CompiledLine {
  std::string text;    // code page 437 bytes, at most 81
  std::string colour;  // exactly 80 colour codes
  std::string style;   // exactly 80 face digits
  char glow = '0';     // '0'..'8'
  int sourceLine = 0;
  std::vector<std::string> quoted;  // keys of the facts the line quotes
};

struct CompiledPage {
  int page = 0;
  std::string file;
  int pageDirectiveLine = 0;
  int endSourceLine = 0;             // 0 when the page has no "<END>"
  std::vector<CompiledLine> lines;   // content lines and the end line last
  int lineCount() const { return static_cast<int>(lines.size()) - 1; }
  std::array<int, kGlowStyles + 1> glowCounts() const;
};

struct TableEntry {
  int page = 0;
  int lines = 0;
  std::array<int, kGlowStyles + 1> glow{};  // lines per style 1..8; [0] unused
  std::string label;
  int sourceLine = 0;
};

struct PageTable {
  std::string file;
  std::vector<TableEntry> entries;  // indexed by page - 1 once parsed
};

struct Fact {
  std::string value;
  std::string source;  // where the value comes from, for messages
};
using Facts = std::map<std::string, Fact, std::less<>>;

// Reads one fact file into facts; a key given twice is an error.
bool ParseFacts(std::string_view file, std::string_view text, Facts& facts, Diagnostics& diags);
// Adds the facts derived from the others: composers.count and
// composers.count.words, the number of different "*.composer" values.
void AddDerivedFacts(Facts& facts);
// A fact as a filter writes it ({=key:filter}): "words" spells a whole number
// (62 -> "sixty-two", 0 -> "no"), "Words" the same capitalised, "ordinal"
// gives "1st", "22nd", "upper" capital letters. False with the reason when
// the filter is unknown or does not apply to the value.
bool FilterFact(std::string_view filter, const std::string& value, std::string& out, std::string& error);
// The English words of 0..99 ("no" for 0); digits beyond.
std::string NumberWords(int n);
// Whether a fact key matches a pattern with one "*" standing for one or more
// characters without a dot ("chart.*.name" matches "chart.12.name").
bool KeyMatches(std::string_view pattern, std::string_view key);

// State a line starts with.
struct LineDefaults {
  char colour = '1';
  char face = '1';
};

// Compiles one line of markup (no glow prefix, no directive). On failure
// returns false with a message and the 1-based position in the markup.
bool CompileMarkup(std::string_view markup, LineDefaults defaults, CompiledLine& out,
                   std::string& error, const Facts* facts = nullptr);

// The line that ends a page: "<END>" with all-"1" codes and glow "0".
CompiledLine EndLine();

// Colour code alphabet of the page text: "1".."9", "A".."V".
bool IsColourCode(char c);

// Parses one page source. Errors go to diags; returns false on any error.
bool CompilePage(std::string_view file, std::string_view source, CompiledPage& out,
                 Diagnostics& diags, const Facts* facts = nullptr);

// Parses the page table ("page lines glow label" per line).
bool ParseTable(std::string_view file, std::string_view source, PageTable& out,
                Diagnostics& diags);

struct IssueOptions {
  bool draft = false;         // count mismatches become warnings
  bool allowMissing = false;  // pages without a source become empty pages
};

// Puts the pages in page order 1..20 and checks them against the table.
// On success `ordered` holds exactly one page per table entry.
bool AssembleIssue(const PageTable& table, std::vector<CompiledPage> pages,
                   const IssueOptions& options, std::vector<CompiledPage>& ordered,
                   Diagnostics& diags);

// C++ source defining PageLines and PageLabel for the assembled issue.
std::string EmitCpp(const PageTable& table, const std::vector<CompiledPage>& ordered);

// Unicode code point -> code page 437 byte (128..255 or 127), 0 if none.
unsigned char Cp437FromUnicode(char32_t cp);
// Code page 437 byte (127..255) -> Unicode code point.
char32_t UnicodeFromCp437(unsigned char byte);

}  // namespace korveld::pagec
