// The issue as a whole: the page table, the pages put in order and checked
// against it, and the C++ source the program embeds.
#include <cstdio>

#include "tools/pagec/page_compiler.hpp"
#include "tools/pagec/text_util.hpp"

namespace korveld::pagec {
namespace {

std::string GlowList(const std::array<int, kGlowStyles + 1>& counts) {
  std::string s;
  for (int style = 1; style <= kGlowStyles; ++style) {
    if (counts[style] == 0) continue;
    if (!s.empty()) s += ',';
    s += std::to_string(style) + ":" + std::to_string(counts[style]);
  }
  return s.empty() ? "none" : s;
}

}  // namespace

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
      AppendCppString(out, line.text);
      out += ", ";
      if (line.colour == ones) {
        out += "kOnes";
      } else {
        AppendCppString(out, line.colour);
      }
      out += ", ";
      if (line.style == ones) {
        out += "kOnes";
      } else {
        AppendCppString(out, line.style);
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
    AppendCppString(out, entry.label);
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
