#include "tools/pagec/page_compiler.hpp"

#include <algorithm>

#include "tools/pagec/text_util.hpp"

namespace korveld::pagec {
namespace {

// "%all PATTERN": every fact the pattern matches is quoted on the page.
void CheckListIsWhole(std::string_view file, int lineNo, const std::string& pattern, const CompiledPage& page,
                      const Facts* facts, Diagnostics& diags) {
  std::vector<std::string_view> quoted;
  for (const CompiledLine& line : page.lines) quoted.insert(quoted.end(), line.quoted.begin(), line.quoted.end());
  int matches = 0;
  std::string missing;
  for (const auto& [key, fact] : facts ? *facts : Facts{}) {
    if (!KeyMatches(pattern, key)) continue;
    ++matches;
    if (std::find(quoted.begin(), quoted.end(), key) == quoted.end()) {
      missing += (missing.empty() ? "" : ", ") + key + " (\"" + fact.value + "\")";
    }
  }
  if (matches == 0) {
    diags.error(file, lineNo, "%all " + pattern + ": no fact matches");
  } else if (!missing.empty()) {
    diags.error(file, lineNo, "%all " + pattern + ": the page leaves out " + missing);
  }
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

bool CompilePage(std::string_view file, std::string_view source, CompiledPage& out, Diagnostics& diags,
                 const Facts* facts) {
  const int errorsBefore = diags.errorCount();
  out = CompiledPage{};
  out.file = std::string(file);
  LineDefaults defaults;
  std::vector<std::pair<std::string, int>> lists;  // %all patterns and their lines
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
      } else if (word == "all" && !arg.empty()) {
        lists.emplace_back(std::string(arg), lineNo);
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
  for (const auto& [pattern, lineNo] : lists) CheckListIsWhole(file, lineNo, pattern, out, facts, diags);
  if (out.page == 0) {
    diags.error(file, 1, "missing %page directive");
  }
  if (out.endSourceLine == 0) {
    diags.error(file, static_cast<int>(lines.size()) + (lines.empty() ? 1 : 0), "page has no <END> line");
  }
  return diags.errorCount() == errorsBefore;
}

}  // namespace korveld::pagec
