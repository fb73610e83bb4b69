// The figures other pages quote from the release list, as facts for the
// page compiler.
#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>

#include "tools/pagegen/release_stats.hpp"

namespace korveld::pagegen {
namespace {

using FactWriter = std::function<void(const std::string&, const std::string&)>;

// Numbered lists of the groups a page names together: the biggest climbers
// and fallers since last month, the newcomers, the returners and the groups
// that left the chart, each with its place (last month's for the leavers),
// and the two neighbours closest in points.
void MoverFacts(const ReleaseList& list, const FactWriter& fact) {
  int up = 0, down = 0;
  for (const Group& g : list.groups) {
    if (g.last < 1) continue;
    up = std::max(up, g.last - g.position);
    down = std::max(down, g.position - g.last);
  }
  auto numbered = [&](const std::string& name, auto&& pick) {
    int n = 0;
    for (const Group& g : list.groups) {
      if (!pick(g)) continue;
      const std::string key = name + "." + std::to_string(++n) + ".";
      fact(key + "name", g.name);
      fact(key + "place", std::to_string(g.position));
    }
    fact(name + ".count", std::to_string(n));
  };
  numbered("up", [&](const Group& g) { return up > 0 && g.last >= 1 && g.last - g.position == up; });
  fact("up.places", std::to_string(up));
  numbered("down", [&](const Group& g) { return down > 0 && g.last >= 1 && g.position - g.last == down; });
  fact("down.places", std::to_string(down));
  numbered("new", [](const Group& g) { return g.last == kLastNew; });
  numbered("back", [](const Group& g) { return g.last == kLastBack; });
  std::vector<Leaver> left = list.left;
  std::stable_sort(left.begin(), left.end(), [](const Leaver& a, const Leaver& b) { return a.last < b.last; });
  for (std::size_t i = 0; i < left.size(); ++i) {
    fact("left." + std::to_string(i + 1) + ".name", left[i].name);
    fact("left." + std::to_string(i + 1) + ".place", std::to_string(left[i].last));
  }
  fact("left.count", std::to_string(left.size()));
  std::size_t closest = 0;
  for (std::size_t i = 1; i + 1 < list.groups.size(); ++i) {
    const int gap = list.groups[i].halfPoints - list.groups[i + 1].halfPoints;
    if (gap < list.groups[closest].halfPoints - list.groups[closest + 1].halfPoints) closest = i;
  }
  if (list.groups.size() >= 2) {
    fact("closest.1.name", list.groups[closest].name);
    fact("closest.2.name", list.groups[closest + 1].name);
    fact("closest.points", FormatPoints(list.groups[closest].halfPoints));
    fact("closest.gap", FormatPoints(list.groups[closest].halfPoints - list.groups[closest + 1].halfPoints));
  }
}

}  // namespace

std::string ReleaseFacts(const ReleaseList& list) {
  std::string out = "# source: content/pages/releases.dat\n";
  const FactWriter fact = [&](const std::string& key, const std::string& value) { out += key + "\t" + value + "\n"; };
  int releases = 0, halfPoints = 0, nuked = 0;
  std::array<int, kTypeCount> perType{};
  std::array<int, 32> perDay{};
  const Group* best = nullptr;
  for (const Group& g : list.groups) {
    const std::string key = "chart." + std::to_string(g.position) + ".";
    fact(key + "name", g.name);
    fact(key + "points", FormatPoints(g.halfPoints));
    fact(key + "releases", std::to_string(g.releases.size()));
    releases += static_cast<int>(g.releases.size());
    halfPoints += g.halfPoints;
    int groupNuked = 0;
    for (const Release& r : g.releases) {
      ++perType[static_cast<int>(r.type)];
      if (r.day >= 1 && r.day <= 31) ++perDay[static_cast<std::size_t>(r.day)];
      if (!r.nuke.empty()) ++groupNuked;
    }
    fact(key + "nuked", std::to_string(groupNuked));
    nuked += groupNuked;
    fact(key + "trend", TrendWord(g));
    fact(key + "climb", std::to_string(g.last >= 1 && g.last > g.position ? g.last - g.position : 0));
    for (int t = 0; t < kTypeCount; ++t) {
      int n = 0;
      for (const Release& r : g.releases) n += static_cast<int>(r.type) == t ? 1 : 0;
      fact(key + "count." + std::string(TypeName(static_cast<ReleaseType>(t))), std::to_string(n));
    }
    if (list.days > 0) {
      const int perDayRounded = (2 * static_cast<int>(g.releases.size()) + list.days) / (2 * list.days);
      fact(key + "per.day", std::to_string(perDayRounded));
    }
    if (static_cast<std::size_t>(g.position) < list.groups.size()) {
      fact(key + "lead", FormatPoints(g.halfPoints - list.groups[static_cast<std::size_t>(g.position)].halfPoints));
    }
    // Points per release, compared exactly: a/b > c/d as a*d > c*b.
    if (!g.releases.empty() &&
        (best == nullptr || static_cast<long>(g.halfPoints) * static_cast<long>(best->releases.size()) >
                                static_cast<long>(best->halfPoints) * static_cast<long>(g.releases.size()))) {
      best = &g;
    }
  }
  fact("month.days", std::to_string(list.days));
  MoverFacts(list, fact);
  fact("top.groups", std::to_string(list.groups.size()));
  fact("top.releases", Thousands(releases));
  fact("top.points", Thousands(halfPoints / 2) + (halfPoints % 2 ? ".5" : ".0"));
  fact("top.nuked", std::to_string(nuked));
  for (int t = 0; t < kTypeCount; ++t) {
    const std::string key = "type." + std::string(TypeName(static_cast<ReleaseType>(t))) + ".";
    fact(key + "releases", std::to_string(perType[static_cast<std::size_t>(t)]));
    char pct[16];
    std::snprintf(pct, sizeof pct, "%.1f%%", releases ? 100.0 * perType[static_cast<std::size_t>(t)] / releases : 0.0);
    fact(key + "share", pct);
  }
  int busiest = 1, quietest = 1;
  for (int d = 1; d <= 31; ++d) {
    if (perDay[static_cast<std::size_t>(d)] == 0) continue;
    if (perDay[static_cast<std::size_t>(d)] > perDay[static_cast<std::size_t>(busiest)]) busiest = d;
    if (perDay[static_cast<std::size_t>(quietest)] == 0 ||
        perDay[static_cast<std::size_t>(d)] < perDay[static_cast<std::size_t>(quietest)]) {
      quietest = d;
    }
  }
  fact("top.busiest.day", std::to_string(busiest));
  fact("top.busiest.releases", std::to_string(perDay[static_cast<std::size_t>(busiest)]));
  fact("top.quietest.day", std::to_string(quietest));
  fact("top.quietest.releases", std::to_string(perDay[static_cast<std::size_t>(quietest)]));
  if (best != nullptr) {
    char ratio[16];
    std::snprintf(ratio, sizeof ratio, "%.2f", best->halfPoints / 2.0 / static_cast<double>(best->releases.size()));
    fact("best.per.release.group", best->name);
    fact("best.per.release.points", FormatPoints(best->halfPoints));
    fact("best.per.release.releases", std::to_string(best->releases.size()));
    fact("best.per.release", ratio);
  }
  return out;
}

}  // namespace korveld::pagegen
