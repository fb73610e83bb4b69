// korveld-textc: compiles the intro's and the ticker's text sources into the
// C++ source the program embeds, filling in and checking their facts.
//   korveld-textc --intro intro.txt --ticker ticker.txt --out texts.cpp [--facts FILE]...
// Errors are printed as "file:line: message"; any error fails the build.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/common/command_line.hpp"
#include "tools/pagec/texts.hpp"

int main(int argc, char** argv) {
  using namespace korveld::pagec;
  std::string introPath, tickerPath, outPath;
  std::vector<std::string> factFiles;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--intro") introPath = argv[i + 1];
    else if (arg == "--ticker") tickerPath = argv[i + 1];
    else if (arg == "--out") outPath = argv[i + 1];
    else if (arg == "--facts") factFiles.push_back(argv[i + 1]);
    else introPath.clear();
  }
  if (introPath.empty() || tickerPath.empty() || outPath.empty() || argc % 2 == 0) {
    std::fprintf(stderr, "usage: korveld-textc --intro FILE --ticker FILE --out FILE [--facts FILE]...\n");
    return 2;
  }
  Diagnostics diags;
  Facts facts;
  std::string text;
  bool ok = true;
  for (const std::string& path : factFiles) {
    if (!korveld::tools::ReadTextFile(path, text)) {
      std::fprintf(stderr, "%s: cannot read the facts\n", path.c_str());
      return 1;
    }
    ok = ParseFacts(path, text, facts, diags) && ok;
  }
  AddDerivedFacts(facts);
  IntroTexts intro;
  std::vector<std::string> ticker;
  for (const std::string& path : {introPath, tickerPath}) {
    if (!korveld::tools::ReadTextFile(path, text)) {
      std::fprintf(stderr, "%s: cannot read\n", path.c_str());
      return 1;
    }
    ok = (path == introPath ? CompileIntroTexts(path, text, facts, intro, diags)
                            : CompileTickerTexts(path, text, facts, ticker, diags)) &&
         ok;
  }
  for (const auto& d : diags.list) std::fprintf(stderr, "%s\n", FormatDiagnostic(d).c_str());
  if (!ok) return 1;
  const std::string source = EmitTextsCpp(intro, ticker);
  std::string old;
  if (korveld::tools::ReadTextFile(outPath, old) && old == source) return 0;  // keep the timestamp: no rebuild
  std::ofstream out(outPath, std::ios::binary);
  out << source;
  return out ? 0 : 1;
}
