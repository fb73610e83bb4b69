// korveld-pagegen: builds the source of the release stats page from the
// release list of the issue.
//   korveld-pagegen releases.dat page04.txt     write the page source
//   korveld-pagegen --summary releases.dat      print the chart it implies
//   korveld-pagegen --facts releases.dat OUT    write the figures other pages quote
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/pagegen/release_stats.hpp"

int main(int argc, char** argv) {
  using namespace korveld::pagegen;
  const bool summary = argc == 3 && std::string(argv[1]) == "--summary";
  const bool facts = argc == 4 && std::string(argv[1]) == "--facts";
  if (argc != 3 && !facts) {
    std::fprintf(stderr, "usage: korveld-pagegen RELEASES OUT | --summary RELEASES | --facts RELEASES OUT\n");
    return 2;
  }
  const std::string inPath = summary || facts ? argv[2] : argv[1];
  const std::string outPath = facts ? argv[3] : argv[2];
  std::ifstream in(inPath, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read\n", inPath.c_str());
    return 1;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  ReleaseList list;
  std::string error;
  if (!ParseReleaseList(ss.str(), list, error)) {
    std::fprintf(stderr, "%s:%s\n", inPath.c_str(), error.c_str());
    return 1;
  }
  ScoreAndRank(list);
  if (summary) {
    for (const Group& g : list.groups) {
      int nuked = 0;
      for (const Release& r : g.releases) nuked += r.nuke.empty() ? 0 : 1;
      std::printf("%2d %-20s %7s %3zu releases %d nuked last day %d\n", g.position, g.name.c_str(),
                  FormatPoints(g.halfPoints).c_str(), g.releases.size(), nuked, g.lastDay);
    }
    return 0;
  }
  const std::string page = facts ? ReleaseFacts(list) : ReleaseStatsPage(list);
  if (std::ifstream prev{outPath, std::ios::binary}) {
    std::ostringstream o;
    o << prev.rdbuf();
    if (o.str() == page) return 0;  // unchanged: keep the timestamp
  }
  std::ofstream out(outPath, std::ios::binary);
  out << page;
  return out ? 0 : 1;
}
