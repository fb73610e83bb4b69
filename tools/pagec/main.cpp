// korveld-pagec: compiles the page sources of the issue into the C++ source
// the program embeds.
//   korveld-pagec --table pages.txt --out page_content.cpp [--draft]
//                 [--allow-missing] [--facts FILE]... [--preview N] page01.txt ... page20.txt
// --facts reads the credits and figures the pages quote with {=key}.
// --preview N prints page N as plain UTF-8 text with line numbers and glow
// styles, to proof-read a page without starting the viewer.
// Errors are printed as "file:line: message"; any error fails the build.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tools/common/command_line.hpp"
#include "tools/pagec/page_compiler.hpp"

namespace {

void PutUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void PrintPreview(const korveld::pagec::CompiledPage& page) {
  for (std::size_t n = 0; n < page.lines.size(); ++n) {
    const auto& line = page.lines[n];
    std::string text;
    for (char ch : line.text) {
      const auto b = static_cast<unsigned char>(ch);
      PutUtf8(text, b < 32 ? U'¤' : korveld::pagec::UnicodeFromCp437(b));
    }
    std::printf("%4zu %c|%s\n", n, line.glow == '0' ? ' ' : line.glow, text.c_str());
  }
}

int Usage() {
  std::fprintf(stderr,
               "usage: korveld-pagec --table FILE --out FILE [--draft] [--allow-missing] [--facts FILE]... "
               "[--preview N] PAGE-FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korveld::pagec;
  std::string tablePath;
  std::string outPath;
  IssueOptions options;
  std::vector<std::string> pageFiles;
  std::vector<std::string> factFiles;
  int preview = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--table" && i + 1 < argc) {
      tablePath = argv[++i];
    } else if (arg == "--out" && i + 1 < argc) {
      outPath = argv[++i];
    } else if (arg == "--facts" && i + 1 < argc) {
      factFiles.push_back(argv[++i]);
    } else if (arg == "--draft") {
      options.draft = true;
    } else if (arg == "--preview" && i + 1 < argc) {
      preview = std::atoi(argv[++i]);
    } else if (arg == "--allow-missing") {
      options.allowMissing = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      pageFiles.push_back(arg);
    }
  }
  if (tablePath.empty() || outPath.empty()) return Usage();

  Diagnostics diags;
  std::string text;
  PageTable table;
  if (!korveld::tools::ReadTextFile(tablePath, text)) {
    std::fprintf(stderr, "%s: cannot read the page table\n", tablePath.c_str());
    return 1;
  }
  bool ok = ParseTable(tablePath, text, table, diags);
  Facts facts;
  for (const auto& path : factFiles) {
    if (!korveld::tools::ReadTextFile(path, text)) {
      std::fprintf(stderr, "%s: cannot read the facts\n", path.c_str());
      return 1;
    }
    ok = ParseFacts(path, text, facts, diags) && ok;
  }
  AddDerivedFacts(facts);
  std::vector<CompiledPage> pages;
  for (const auto& path : pageFiles) {
    if (!korveld::tools::ReadTextFile(path, text)) {
      std::fprintf(stderr, "%s: cannot read the page source\n", path.c_str());
      return 1;
    }
    CompiledPage page;
    if (CompilePage(path, text, page, diags, &facts)) pages.push_back(std::move(page));
    else ok = false;
  }
  std::vector<CompiledPage> ordered;
  if (ok) ok = AssembleIssue(table, std::move(pages), options, ordered, diags);
  for (const auto& d : diags.list) std::fprintf(stderr, "%s\n", FormatDiagnostic(d).c_str());
  if (!ok) return 1;

  if (preview >= 1 && preview <= kPageCount) PrintPreview(ordered[preview - 1]);
  const std::string source = EmitCpp(table, ordered);
  std::string old;
  if (korveld::tools::ReadTextFile(outPath, old) && old == source) return 0;  // keep the timestamp: no rebuild
  std::ofstream out(outPath, std::ios::binary);
  out << source;
  if (!out) {
    std::fprintf(stderr, "%s: cannot write\n", outPath.c_str());
    return 1;
  }
  return 0;
}
