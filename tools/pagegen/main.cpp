// korveld-pagegen: builds the source of the release stats page from the
// release list of the issue, and the facts the other pages quote.
//   korveld-pagegen releases.dat page04.txt     write the page source
//   korveld-pagegen --summary releases.dat      print the chart it implies
//   korveld-pagegen --facts releases.dat OUT    write the figures other pages quote
//   korveld-pagegen --records records.dat releases.dat OUT
//                                               check the records and
//                                               write the facts they give
// A list that breaks the chart rules, and records that disagree with each
// other or with the list, fail with "file:line: message".
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/pagegen/records.hpp"
#include "tools/pagegen/release_stats.hpp"

namespace {

using namespace korveld::pagegen;

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read\n", path.c_str());
    return false;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return true;
}

bool Report(const std::string& path, const std::vector<RuleBreach>& breaches) {
  for (const RuleBreach& b : breaches) std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), b.line, b.message.c_str());
  return breaches.empty();
}

bool WriteIfChanged(const std::string& path, const std::string& text) {
  if (std::ifstream prev{path, std::ios::binary}) {
    std::ostringstream o;
    o << prev.rdbuf();
    if (o.str() == text) return true;  // unchanged: keep the timestamp
  }
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const bool summary = argc == 3 && mode == "--summary";
  const bool facts = argc == 4 && mode == "--facts";
  const bool records = argc == 5 && mode == "--records";
  if (!(argc == 3 && mode[0] != '-') && !summary && !facts && !records) {
    std::fprintf(stderr, "usage: korveld-pagegen RELEASES OUT | --summary RELEASES | --facts RELEASES OUT | "
                         "--records RECORDS RELEASES OUT\n");
    return 2;
  }
  const std::string inPath = records ? argv[3] : summary || facts ? argv[2] : argv[1];
  const std::string outPath = argv[argc - 1];
  std::string text;
  if (!ReadFile(inPath, text)) return 1;
  ReleaseList list;
  std::string error;
  if (!ParseReleaseList(text, list, error)) {
    std::fprintf(stderr, "%s:%s\n", inPath.c_str(), error.c_str());
    return 1;
  }
  if (!Report(inPath, CheckReleaseRules(list))) return 1;
  ScoreAndRank(list);
  if (summary) {
    for (const Group& g : list.groups) {
      int nuked = 0;
      for (const Release& r : g.releases) nuked += r.nuke.empty() ? 0 : 1;
      std::printf("%2d %-20s %7s %3zu releases %d nuked last day %2d %s\n", g.position, g.name.c_str(),
                  FormatPoints(g.halfPoints).c_str(), g.releases.size(), nuked, g.lastDay, TrendWord(g).c_str());
    }
    return 0;
  }
  if (records) {
    Records r;
    if (!ReadFile(argv[2], text)) return 1;
    if (!ParseRecords(text, r, error)) {
      std::fprintf(stderr, "%s:%s\n", argv[2], error.c_str());
      return 1;
    }
    if (!Report(argv[2], CheckRecords(r, list))) return 1;
    return WriteIfChanged(outPath, RecordFacts(r, list)) ? 0 : 1;
  }
  return WriteIfChanged(outPath, facts ? ReleaseFacts(list) : ReleaseStatsPage(list)) ? 0 : 1;
}
