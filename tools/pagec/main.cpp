// korveld-pagec: compiles the page sources of the issue into the C++ source
// the program embeds.
//   korveld-pagec --table pages.txt --out page_content.cpp [--draft]
//                 [--allow-missing] page01.txt ... page20.txt
// Errors are printed as "file:line: message"; any error fails the build.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/pagec/page_compiler.hpp"

namespace {

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: korveld-pagec --table FILE --out FILE [--draft] [--allow-missing] PAGE-FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korveld::pagec;
  std::string tablePath;
  std::string outPath;
  IssueOptions options;
  std::vector<std::string> pageFiles;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--table" && i + 1 < argc) {
      tablePath = argv[++i];
    } else if (arg == "--out" && i + 1 < argc) {
      outPath = argv[++i];
    } else if (arg == "--draft") {
      options.draft = true;
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
  if (!ReadFile(tablePath, text)) {
    std::fprintf(stderr, "%s: cannot read the page table\n", tablePath.c_str());
    return 1;
  }
  bool ok = ParseTable(tablePath, text, table, diags);
  std::vector<CompiledPage> pages;
  for (const auto& path : pageFiles) {
    if (!ReadFile(path, text)) {
      std::fprintf(stderr, "%s: cannot read the page source\n", path.c_str());
      return 1;
    }
    CompiledPage page;
    if (CompilePage(path, text, page, diags)) pages.push_back(std::move(page));
    else ok = false;
  }
  std::vector<CompiledPage> ordered;
  if (ok) ok = AssembleIssue(table, std::move(pages), options, ordered, diags);
  for (const auto& d : diags.list) std::fprintf(stderr, "%s\n", FormatDiagnostic(d).c_str());
  if (!ok) return 1;

  const std::string source = EmitCpp(table, ordered);
  std::string old;
  if (ReadFile(outPath, old) && old == source) return 0;  // keep the timestamp: no rebuild
  std::ofstream out(outPath, std::ios::binary);
  out << source;
  if (!out) {
    std::fprintf(stderr, "%s: cannot write\n", outPath.c_str());
    return 1;
  }
  return 0;
}
