#include "tools/pagec/page_compiler.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace korveld::pagec {
namespace {

constexpr std::string_view kEndMarker = "<END>";
constexpr std::string_view kColourCodes = "123456789ABCDEFGHIJKLMNOPQRSTUV";

std::string Hex(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns false on bad input.
bool DecodeUtf8(std::string_view s, std::size_t& i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int extra = 0;
  if (b0 < 0x80) {
    cp = b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    cp = b0 & 0x1F;
    extra = 1;
  } else if ((b0 & 0xF0) == 0xE0) {
    cp = b0 & 0x0F;
    extra = 2;
  } else if ((b0 & 0xF8) == 0xF0) {
    cp = b0 & 0x07;
    extra = 3;
  } else {
    return false;
  }
  if (i + extra >= s.size()) return false;
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (b & 0x3F);
  }
  // Reject overlong forms so every character has exactly one spelling.
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF) return false;
  i += 1 + extra;
  return true;
}

// Converts one Unicode character of page text to its code page 437 byte.
bool ToCp437(char32_t cp, unsigned char& out, std::string& error) {
  if (cp == '\t') {
    error = "tab character (use spaces)";
    return false;
  }
  if (cp < 32 || cp == 127) {
    error = "control character " + Hex(cp) + " (write control codes as {xHH})";
    return false;
  }
  if (cp < 127) {
    out = static_cast<unsigned char>(cp);
    return true;
  }
  out = Cp437FromUnicode(cp);
  if (out == 0) {
    error = "character " + Hex(cp) + " is not in code page 437";
    return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) {
  s = TrimRight(s);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

bool ParseInt(std::string_view s, int& value) {
  if (s.empty()) return false;
  const auto* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, value);
  return ec == std::errc() && ptr == end;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) nl = text.size();
    std::string_view line = text.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = nl + 1;
  }
  return lines;
}

std::string GlowList(const std::array<int, kGlowStyles + 1>& counts) {
  std::string s;
  for (int style = 1; style <= kGlowStyles; ++style) {
    if (counts[style] == 0) continue;
    if (!s.empty()) s += ',';
    s += std::to_string(style) + ":" + std::to_string(counts[style]);
  }
  return s.empty() ? "none" : s;
}

void AppendEscaped(std::string& out, std::string_view s) {
  out += '"';
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 32 || c >= 127) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  out += '"';
}

}  // namespace

std::string FormatDiagnostic(const Diagnostic& d) {
  return d.file + ":" + std::to_string(d.line) + ": " + (d.warning ? "warning: " : "") + d.message;
}

void Diagnostics::error(std::string_view file, int line, std::string message) {
  list.push_back({std::string(file), line, std::move(message), false});
}

void Diagnostics::warn(std::string_view file, int line, std::string message) {
  list.push_back({std::string(file), line, std::move(message), true});
}

int Diagnostics::errorCount() const {
  return static_cast<int>(std::count_if(list.begin(), list.end(), [](const Diagnostic& d) { return !d.warning; }));
}

std::array<int, kGlowStyles + 1> CompiledPage::glowCounts() const {
  std::array<int, kGlowStyles + 1> counts{};
  for (int i = 0; i < lineCount(); ++i) {
    const int style = lines[i].glow - '0';
    if (style >= 1 && style <= kGlowStyles) ++counts[style];
  }
  return counts;
}

bool IsColourCode(char c) { return c != '\0' && kColourCodes.find(c) != std::string_view::npos; }

CompiledLine EndLine() {
  CompiledLine end;
  end.text = std::string(kEndMarker);
  end.colour.assign(kCodeLength, '1');
  end.style.assign(kCodeLength, '1');
  end.glow = '0';
  return end;
}

bool ParseFacts(std::string_view file, std::string_view text, Facts& facts, Diagnostics& diags) {
  const int errorsBefore = diags.errorCount();
  std::string source(file);
  const auto lines = SplitLines(text);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const int lineNo = static_cast<int>(n) + 1;
    const std::string_view line = lines[n];
    constexpr std::string_view kSource = "# source: ";
    if (line.substr(0, kSource.size()) == kSource) {
      source = std::string(Trim(line.substr(kSource.size())));
      continue;
    }
    if (Trim(line).empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0) {
      diags.error(file, lineNo, "a fact reads \"key<TAB>value\"");
      continue;
    }
    const std::string key(line.substr(0, tab));
    if (facts.count(key)) {
      diags.error(file, lineNo, "fact " + key + " is given twice (also by " + facts[key].source + ")");
      continue;
    }
    facts[key] = {std::string(line.substr(tab + 1)), source};
  }
  return diags.errorCount() == errorsBefore;
}

void AddDerivedFacts(Facts& facts) {
  static constexpr std::string_view kWords[] = {"no",      "one",     "two",       "three",    "four",
                                                "five",    "six",     "seven",     "eight",    "nine",
                                                "ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                                                "fifteen", "sixteen", "seventeen", "eighteen", "nineteen",
                                                "twenty"};
  constexpr std::string_view kComposer = ".composer";
  std::vector<std::string_view> names;
  std::string sources;
  for (const auto& [key, fact] : facts) {
    if (key.size() < kComposer.size() || key.compare(key.size() - kComposer.size(), kComposer.size(), kComposer) != 0) {
      continue;
    }
    if (std::find(names.begin(), names.end(), fact.value) == names.end()) names.push_back(fact.value);
    if (sources.find(fact.source) == std::string::npos) sources += (sources.empty() ? "" : " and ") + fact.source;
  }
  const std::size_t n = names.size();
  facts["composers.count"] = {std::to_string(n), sources};
  facts["composers.count.words"] = {n < std::size(kWords) ? std::string(kWords[n]) : std::to_string(n), sources};
}

bool CompileMarkup(std::string_view markup, LineDefaults defaults, CompiledLine& out,
                   std::string& error, const Facts* facts) {
  out.text.clear();
  out.colour.clear();
  out.style.clear();
  char colour = defaults.colour;
  char face = defaults.face;
  auto put = [&](unsigned char byte) {
    out.text.push_back(static_cast<char>(byte));
    out.colour.push_back(colour);
    out.style.push_back(face);
  };
  std::size_t i = 0;
  while (i < markup.size()) {
    const std::size_t at = i;
    auto fail = [&](std::string message) {
      error = "column " + std::to_string(at + 1) + " of the source: " + message;
      return false;
    };
    if (markup[i] == '{') {
      const std::size_t close = markup.find('}', i + 1);
      if (i + 1 < markup.size() && markup[i + 1] == '{') {
        put('{');
        i += 2;
        continue;
      }
      if (close == std::string_view::npos) return fail("\"{\" without \"}\" (write \"{{\" for a brace)");
      const std::string_view code = markup.substr(i + 1, close - i - 1);
      i = close + 1;
      if (code.empty()) continue;
      if (code.size() == 1 && IsColourCode(code[0])) {
        colour = code[0];
      } else if (code == "b") {
        face = '1';
      } else if (code == "l") {
        face = '2';
      } else if (code.size() == 3 && code[0] == 'x' && HexDigit(code[1]) >= 0 && HexDigit(code[2]) >= 0) {
        const int byte = HexDigit(code[1]) * 16 + HexDigit(code[2]);
        if (byte == 0) return fail("byte {x00} cannot be stored");
        put(static_cast<unsigned char>(byte));
      } else if (code[0] == '>') {
        std::size_t digits = 1;
        while (digits < code.size() && code[digits] >= '0' && code[digits] <= '9') ++digits;
        int column = 0;
        if (!ParseInt(code.substr(1, digits - 1), column)) {
          return fail("fill code {" + std::string(code) + "} needs a column number");
        }
        std::string_view fillSpec = code.substr(digits);
        unsigned char fill = ' ';
        if (!fillSpec.empty()) {
          std::size_t k = 0;
          char32_t cp = 0;
          if (!DecodeUtf8(fillSpec, k, cp) || k != fillSpec.size()) {
            return fail("fill code {" + std::string(code) + "} takes one fill character");
          }
          std::string why;
          if (!ToCp437(cp, fill, why)) return fail(why);
        }
        // Checked before filling: a column in the millions would otherwise
        // build a line of that length before the length check refuses it.
        if (column > kMaxTextLength + 1) {
          return fail("fill to column " + std::to_string(column) + " but a line holds at most " +
                      std::to_string(kMaxTextLength) + " characters");
        }
        const int next = static_cast<int>(out.text.size()) + 1;
        if (column < next) {
          return fail("fill to column " + std::to_string(column) + " but the text already reaches column " +
                      std::to_string(next - 1));
        }
        while (static_cast<int>(out.text.size()) + 1 < column) put(fill);
      } else if (code[0] == '=') {
        const std::string_view body = code.substr(1);
        const std::size_t eq = body.find('=');
        const std::string_view key = body.substr(0, eq);
        const auto it = facts ? facts->find(key) : Facts::const_iterator{};
        if (facts == nullptr || it == facts->end()) {
          return fail("no fact \"" + std::string(key) +
                      "\": the tune, module and release sources do not give it");
        }
        const Fact& fact = it->second;
        if (eq != std::string_view::npos && body.substr(eq + 1) != fact.value) {
          return fail("\"" + std::string(body.substr(eq + 1)) + "\" disagrees with " + fact.source + ", which gives " +
                      std::string(key) + " = \"" + fact.value + "\"");
        }
        for (std::size_t k = 0; k < fact.value.size();) {
          char32_t cp = 0;
          unsigned char byte = 0;
          std::string why;
          if (!DecodeUtf8(fact.value, k, cp) || !ToCp437(cp, byte, why)) {
            return fail("fact " + std::string(key) + " cannot be written in code page 437");
          }
          put(byte);
        }
      } else if (code.size() == 1) {
        return fail("unknown colour or face code {" + std::string(code) +
                    "} (colours 1..9 and A..V, faces b and l)");
      } else {
        return fail("unknown code {" + std::string(code) + "}");
      }
      continue;
    }
    char32_t cp = 0;
    if (!DecodeUtf8(markup, i, cp)) return fail("invalid UTF-8");
    unsigned char byte = 0;
    std::string why;
    if (!ToCp437(cp, byte, why)) return fail(why);
    put(byte);
  }
  if (out.text.size() > static_cast<std::size_t>(kMaxTextLength)) {
    error = "text is " + std::to_string(out.text.size()) + " characters long; a line holds at most " +
            std::to_string(kMaxTextLength);
    return false;
  }
  // Codes of the 81st character are not stored; cells past the text are "1".
  out.colour.resize(std::min<std::size_t>(out.colour.size(), kCodeLength));
  out.style.resize(std::min<std::size_t>(out.style.size(), kCodeLength));
  out.colour.resize(kCodeLength, '1');
  out.style.resize(kCodeLength, '1');
  return true;
}

bool CompilePage(std::string_view file, std::string_view source, CompiledPage& out, Diagnostics& diags,
                 const Facts* facts) {
  const int errorsBefore = diags.errorCount();
  out = CompiledPage{};
  out.file = std::string(file);
  LineDefaults defaults;
  const auto lines = SplitLines(source);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const int lineNo = static_cast<int>(n) + 1;
    const std::string_view raw = lines[n];
    if (!raw.empty() && raw[0] == '%') {
      const std::string_view rest = raw.substr(1);
      if (rest.empty() || rest[0] == ' ') continue;  // comment
      const std::size_t sp = rest.find(' ');
      const std::string_view word = rest.substr(0, sp);
      const std::string_view arg = sp == std::string_view::npos ? std::string_view{} : Trim(rest.substr(sp + 1));
      if (word == "page") {
        int page = 0;
        if (out.page != 0) {
          diags.error(file, lineNo, "second %page directive");
        } else if (!ParseInt(arg, page) || page < 1 || page > kPageCount) {
          diags.error(file, lineNo, "%page needs a page number 1.." + std::to_string(kPageCount));
        } else {
          out.page = page;
          out.pageDirectiveLine = lineNo;
        }
      } else if (word == "colour") {
        if (arg.size() != 1 || !IsColourCode(arg[0])) {
          diags.error(file, lineNo, "unknown colour code \"" + std::string(arg) + "\" (1..9, A..V)");
        } else {
          defaults.colour = arg[0];
        }
      } else if (word == "face") {
        if (arg == "b") {
          defaults.face = '1';
        } else if (arg == "l") {
          defaults.face = '2';
        } else {
          diags.error(file, lineNo, "unknown face code \"" + std::string(arg) + "\" (b or l)");
        }
      } else {
        diags.error(file, lineNo, "unknown directive %" + std::string(word));
      }
      continue;
    }
    if (out.endSourceLine != 0) {
      if (!TrimRight(raw).empty()) diags.error(file, lineNo, "text after <END>");
      continue;
    }
    if (out.page == 0) {
      if (TrimRight(raw).empty()) continue;  // blank lines before the header are not page lines
      diags.error(file, lineNo, "page text before the %page directive");
      out.page = -1;  // report once
    }
    if (TrimRight(raw) == kEndMarker) {
      out.endSourceLine = lineNo;
      CompiledLine end = EndLine();
      end.sourceLine = lineNo;
      out.lines.push_back(std::move(end));
      continue;
    }
    std::string_view markup = raw;
    CompiledLine line;
    line.sourceLine = lineNo;
    if (!markup.empty() && markup[0] == '@') {
      if (markup.size() < 2 || markup[1] < '0' || markup[1] > '8' ||
          (markup.size() > 2 && markup[2] != ' ')) {
        diags.error(file, lineNo, "glow marker must be @0..@8 followed by a space or the end of the line");
        continue;
      }
      line.glow = markup[1];
      markup.remove_prefix(markup.size() > 2 ? 3 : 2);
    }
    std::string error;
    if (!CompileMarkup(markup, defaults, line, error, facts)) {
      diags.error(file, lineNo, error);
      continue;
    }
    if (line.text.compare(0, kEndMarker.size(), kEndMarker) == 0) {
      diags.error(file, lineNo, "a line starting with <END> ends the page; write the end line as a plain <END>");
      continue;
    }
    if (line.text.size() == static_cast<std::size_t>(kMaxTextLength)) {
      diags.warn(file, lineNo, "character 81 is stored but never shown");
    }
    out.lines.push_back(std::move(line));
  }
  if (out.page == 0) {
    diags.error(file, 1, "missing %page directive");
  }
  if (out.endSourceLine == 0) {
    diags.error(file, static_cast<int>(lines.size()) + (lines.empty() ? 1 : 0), "page has no <END> line");
  }
  return diags.errorCount() == errorsBefore;
}

bool ParseTable(std::string_view file, std::string_view source, PageTable& out, Diagnostics& diags) {
  const int errorsBefore = diags.errorCount();
  out = PageTable{};
  out.file = std::string(file);
  std::vector<TableEntry> entries;
  const auto lines = SplitLines(source);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const int lineNo = static_cast<int>(n) + 1;
    std::string_view rest = Trim(lines[n]);
    if (rest.empty() || rest[0] == '#') continue;
    auto nextField = [&]() {
      const std::size_t sp = rest.find(' ');
      std::string_view field = rest.substr(0, sp);
      rest = sp == std::string_view::npos ? std::string_view{} : Trim(rest.substr(sp));
      return field;
    };
    TableEntry e;
    e.sourceLine = lineNo;
    const std::string_view pageField = nextField();
    const std::string_view linesField = nextField();
    const std::string_view glowField = nextField();
    e.label = std::string(rest);
    if (!ParseInt(pageField, e.page) || e.page < 1 || e.page > kPageCount) {
      diags.error(file, lineNo, "page number must be 1.." + std::to_string(kPageCount));
      continue;
    }
    if (!ParseInt(linesField, e.lines) || e.lines < 1) {
      diags.error(file, lineNo, "line count must be a positive number");
      continue;
    }
    bool glowOk = true;
    if (glowField != "none") {
      std::string_view g = glowField;
      while (glowOk && !g.empty()) {
        const std::size_t comma = g.find(',');
        const std::string_view item = g.substr(0, comma);
        g = comma == std::string_view::npos ? std::string_view{} : g.substr(comma + 1);
        const std::size_t colon = item.find(':');
        int style = 0;
        int count = 0;
        glowOk = colon != std::string_view::npos && ParseInt(item.substr(0, colon), style) &&
                 ParseInt(item.substr(colon + 1), count) && style >= 1 && style <= kGlowStyles && count > 0 &&
                 e.glow[style] == 0;
        if (glowOk) e.glow[style] = count;
      }
    }
    if (!glowOk || glowField.empty()) {
      diags.error(file, lineNo, "glow must be \"none\" or style:count pairs such as 2:14,4:7");
      continue;
    }
    if (e.label.empty()) {
      diags.error(file, lineNo, "page " + std::to_string(e.page) + " has no label");
      continue;
    }
    entries.push_back(std::move(e));
  }
  out.entries.resize(kPageCount);
  std::vector<bool> seen(kPageCount + 1, false);
  for (auto& e : entries) {
    if (seen[e.page]) {
      diags.error(file, e.sourceLine, "page " + std::to_string(e.page) + " listed twice");
      continue;
    }
    seen[e.page] = true;
    out.entries[e.page - 1] = e;
  }
  for (int page = 1; page <= kPageCount; ++page) {
    if (!seen[page]) {
      diags.error(file, static_cast<int>(lines.size()), "page " + std::to_string(page) + " is missing from the table");
    }
  }
  return diags.errorCount() == errorsBefore;
}

bool AssembleIssue(const PageTable& table, std::vector<CompiledPage> pages, const IssueOptions& options,
                   std::vector<CompiledPage>& ordered, Diagnostics& diags) {
  const int errorsBefore = diags.errorCount();
  ordered.assign(kPageCount, CompiledPage{});
  std::vector<bool> have(kPageCount + 1, false);
  for (auto& page : pages) {
    if (page.page < 1 || page.page > kPageCount) continue;  // already reported by CompilePage
    if (have[page.page]) {
      diags.error(page.file, page.pageDirectiveLine,
                  "page " + std::to_string(page.page) + " is also defined in " + ordered[page.page - 1].file);
      continue;
    }
    have[page.page] = true;
    ordered[page.page - 1] = std::move(page);
  }
  for (int n = 1; n <= kPageCount; ++n) {
    const TableEntry& want = table.entries[n - 1];
    CompiledPage& page = ordered[n - 1];
    if (!have[n]) {
      const std::string message = "page " + std::to_string(n) + " has no source file";
      if (options.allowMissing) {
        diags.warn(table.file, want.sourceLine, message + "; using an empty page");
        page.page = n;
        page.file = table.file;
        page.lines.push_back(EndLine());
      } else {
        diags.error(table.file, want.sourceLine, message);
      }
      continue;
    }
    auto report = [&](int line, std::string message) {
      if (options.draft) {
        diags.warn(page.file, line, std::move(message));
      } else {
        diags.error(page.file, line, std::move(message));
      }
    };
    if (page.lineCount() != want.lines) {
      report(page.endSourceLine, "page " + std::to_string(n) + " has " + std::to_string(page.lineCount()) +
                                     " lines; the page table (" + table.file + ":" +
                                     std::to_string(want.sourceLine) + ") wants " + std::to_string(want.lines));
    }
    const auto glow = page.glowCounts();
    if (glow != want.glow) {
      report(page.pageDirectiveLine, "page " + std::to_string(n) + " glows " + GlowList(glow) +
                                         "; the page table wants " + GlowList(want.glow));
    }
  }
  return diags.errorCount() == errorsBefore;
}

std::string EmitCpp(const PageTable& table, const std::vector<CompiledPage>& ordered) {
  const std::string ones(kCodeLength, '1');
  std::string out;
  out += "// Generated by korveld-pagec from content/pages: do not edit.\n";
  out += "#include \"content/pages/page_content.hpp\"\n\n";
  out += "namespace korveld::content {\nnamespace {\n\n";
  out += "constexpr const char* kOnes = \"" + ones + "\";\n\n";
  for (const auto& page : ordered) {
    out += "constexpr PageLineSource kPage" + std::to_string(page.page) + "[] = {\n";
    for (const auto& line : page.lines) {
      out += "    {";
      AppendEscaped(out, line.text);
      out += ", ";
      if (line.colour == ones) {
        out += "kOnes";
      } else {
        AppendEscaped(out, line.colour);
      }
      out += ", ";
      if (line.style == ones) {
        out += "kOnes";
      } else {
        AppendEscaped(out, line.style);
      }
      out += ", \"";
      out += line.glow;
      out += "\"},\n";
    }
    out += "};\n\n";
  }
  out += "constexpr std::span<const PageLineSource> kPages[] = {\n    {},\n";
  for (const auto& page : ordered) out += "    kPage" + std::to_string(page.page) + ",\n";
  out += "};\n\n";
  out += "constexpr std::string_view kLabels[] = {\n    \"\",\n";
  for (const auto& entry : table.entries) {
    out += "    ";
    AppendEscaped(out, entry.label);
    out += ",\n";
  }
  out += "};\n\n}  // namespace\n\n";
  out += "std::span<const PageLineSource> PageLines(int page) {\n";
  out += "  if (page < 1 || page > kPageCount) return {};\n  return kPages[page];\n}\n\n";
  out += "std::string_view PageLabel(int page) {\n";
  out += "  if (page < 1 || page > kPageCount) return {};\n  return kLabels[page];\n}\n\n";
  out += "}  // namespace korveld::content\n";
  return out;
}

}  // namespace korveld::pagec
