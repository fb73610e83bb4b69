// The rules of the chart a release list can break by itself, checked before a
// page is built from it: a breach stops the build at its line.
#include <algorithm>
#include <map>
#include <string>

#include "tools/pagegen/release_stats.hpp"

namespace korveld::pagegen {
namespace {

std::string VersionText(const std::vector<int>& v) {
  std::string s = "v";
  for (std::size_t i = 0; i < v.size(); ++i) s += (i ? "." : "") + std::to_string(v[i]);
  return s;
}

// Last month's places: every group gives one, and the places of the groups
// still in the chart and of those that left it are 1..N, each once.
void CheckLastMonth(const ReleaseList& list, std::vector<RuleBreach>& out) {
  const int places = static_cast<int>(list.groups.size());
  std::map<int, int> takenAt;  // place -> line
  auto take = [&](int place, int line, const std::string& name) {
    if (place > places) {
      out.push_back({line, name + ": last month's chart had " + std::to_string(places) + " places, not " +
                               std::to_string(place)});
    } else if (const auto it = takenAt.find(place); it != takenAt.end()) {
      out.push_back({line, name + ": place " + std::to_string(place) + " last month is already given on line " +
                               std::to_string(it->second)});
    } else {
      takenAt[place] = line;
    }
  };
  for (const Group& g : list.groups) {
    if (g.last == kLastUnknown) {
      out.push_back({g.sourceLine, g.name + " gives no place in last month's chart (last N, last new or last back)"});
    } else if (g.last >= 1) {
      take(g.last, g.lastLine, g.name);
    }
  }
  for (const Leaver& l : list.left) take(l.last, l.sourceLine, l.name);
  const bool everyGroupGivesOne = std::none_of(list.groups.begin(), list.groups.end(),
                                               [](const Group& g) { return g.last == kLastUnknown; });
  for (int place = 1; everyGroupGivesOne && place <= places; ++place) {
    if (!takenAt.count(place)) {
      out.push_back({list.monthLine, "nobody held place " + std::to_string(place) +
                                         " last month: a group that left the chart needs a \"left\" line"});
    }
  }
}

// Within one group: a title is released once, then only fixed (rule 7.4),
// except that a GAME and an ISO of it both count (rule 11); its versions rise.
void CheckGroupTitles(const Group& g, std::vector<RuleBreach>& out) {
  struct Seen {
    const Release* release;
    std::vector<int> version;
  };
  std::map<std::string, std::vector<Seen>> byTitle;
  std::vector<const Release*> inDayOrder;
  for (const Release& r : g.releases) inDayOrder.push_back(&r);
  std::stable_sort(inDayOrder.begin(), inDayOrder.end(),
                   [](const Release* a, const Release* b) { return a->day < b->day; });
  for (const Release* r : inDayOrder) {
    const std::vector<int> version = TitleVersion(r->title);
    if (!version.empty() && std::all_of(version.begin(), version.end(), [](int n) { return n == 0; })) {
      out.push_back({r->sourceLine, r->title + ": v0.0 is not a version; the first release of a title is above it"});
    }
    auto& earlier = byTitle[std::string(BaseTitle(r->title))];
    for (const Seen& e : earlier) {
      if (!version.empty() && !e.version.empty() && version <= e.version) {
        out.push_back({r->sourceLine, r->title + ": versions only rise, and " + g.name + " released " +
                                          VersionText(e.version) + " on day " + std::to_string(e.release->day) +
                                          " (line " + std::to_string(e.release->sourceLine) + ")"});
        break;
      }
    }
    if (r->type != ReleaseType::Fix) {
      const Release* first = nullptr;
      int released = 0;  // earlier releases of the title that are not fixes
      for (const Seen& e : earlier) {
        if (e.release->type == ReleaseType::Fix) continue;
        if (released++ == 0) first = e.release;
      }
      auto gameOrIso = [](ReleaseType t) { return t == ReleaseType::Game || t == ReleaseType::Iso; };
      if (first != nullptr &&
          !(released == 1 && gameOrIso(first->type) && gameOrIso(r->type) && first->type != r->type)) {
        out.push_back({r->sourceLine, "rule 7.4: " + g.name + " released " + std::string(BaseTitle(r->title)) +
                                          " as " + std::string(TypeName(first->type)) + " on line " +
                                          std::to_string(first->sourceLine) +
                                          "; a second release of a title counts only as a FIX"});
      }
    }
    earlier.push_back({r, version});
  }
}

// Across groups: a title and type released earlier in the month by another
// group makes the later one a dupe (rule 7.1), nuked (rule 7.2). Releases of
// the same day may be a race (rule 7.5) and are left alone, and so are fixes.
void CheckDupes(const ReleaseList& list, std::vector<RuleBreach>& out) {
  using Entry = std::pair<const Group*, const Release*>;
  std::map<std::pair<std::string, ReleaseType>, std::vector<Entry>> byTitle;
  for (const Group& g : list.groups) {
    for (const Release& r : g.releases) {
      // Fixing another group's release is no dupe (rule 10.2).
      if (r.type != ReleaseType::Fix) byTitle[{std::string(BaseTitle(r.title)), r.type}].push_back({&g, &r});
    }
  }
  for (const auto& [key, entries] : byTitle) {
    const Entry first = *std::min_element(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return a.second->day < b.second->day;
    });
    for (const auto& [g, r] : entries) {
      if (g == first.first || r->day <= first.second->day || r->nuke == "dupe") continue;
      out.push_back({r->sourceLine, "rule 7.2: " + first.first->name + " released " + key.first + " as " +
                                        std::string(TypeName(r->type)) + " on day " +
                                        std::to_string(first.second->day) + " (line " +
                                        std::to_string(first.second->sourceLine) +
                                        "): this one is a dupe and is nuked, \"! dupe\""});
    }
  }
}

}  // namespace

std::vector<RuleBreach> CheckReleaseRules(const ReleaseList& list) {
  std::vector<RuleBreach> out;
  CheckLastMonth(list, out);
  for (const Group& g : list.groups) CheckGroupTitles(g, out);
  CheckDupes(list, out);
  std::stable_sort(out.begin(), out.end(), [](const RuleBreach& a, const RuleBreach& b) { return a.line < b.line; });
  return out;
}

}  // namespace korveld::pagegen
