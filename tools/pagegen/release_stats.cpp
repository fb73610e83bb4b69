#include "tools/pagegen/release_stats.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <map>

namespace korveld::pagegen {
namespace {

struct TypeInfo {
  std::string_view name;
  int halfPoints;
  char barColour;  // colour code of the type's bar
};

// Points per type as the chart rules list them; the bar colours give each
// type its own tint on the page.
constexpr std::array<TypeInfo, kTypeCount> kTypes = {{
    {"ISO", 16, 'D'},
    {"GAME", 12, '7'},
    {"DEMO", 10, 'G'},
    {"TOOL", 6, 'J'},
    {"INTRO", 5, 'M'},
    {"MUSIC", 4, 'P'},
    {"DOX", 2, 'S'},
    {"FIX", 1, '4'},
}};

constexpr int kMaxFixesPerTitle = 3;
constexpr int kMaxDoxPerGroup = 10;

// Columns of a release line (1-based): the title starts at 16, dot leaders
// run to 55, the points end at 61, a note starts at 64.
constexpr int kTitleColumn = 16;
constexpr int kLeaderEnd = 55;
constexpr int kPointsEnd = 61;
constexpr int kNoteColumn = 64;
constexpr int kMaxTitle = kLeaderEnd - kTitleColumn;  // leaves one leader dot
constexpr int kBarCells = 32;

const std::string kRule = "  {U}" + [] {
  std::string s;
  for (int i = 0; i < 78; ++i) s += "─";
  return s;
}();

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string RightAlign(std::string s, std::size_t width) {
  if (s.size() < width) s.insert(0, width - s.size(), ' ');
  return s;
}

std::string Fill(int fromColumn, int toColumn, char c) {
  return toColumn > fromColumn ? std::string(toColumn - fromColumn, c) : std::string();
}

std::string Thousands(int n) {
  const std::string digits = std::to_string(n);
  std::string s;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) s += ',';
    s += digits[i];
  }
  return s;
}

// Braces in titles must not read as codes.
std::string Escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    out += c;
    if (c == '{') out += '{';
  }
  return out;
}

std::string Plural(int n, std::string_view word) {
  return std::to_string(n) + " " + std::string(word) + (n == 1 ? "" : "s");
}

}  // namespace

std::string_view BaseTitle(std::string_view title) {
  // "Name.v1.2" -> "Name": a version does not make another title.
  const std::size_t v = title.rfind(".v");
  if (v == std::string_view::npos || v == 0) return title;
  const std::string_view tail = title.substr(v + 2);
  const std::size_t dot = tail.find('.');
  auto digits = [](std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (dot == std::string_view::npos || !digits(tail.substr(0, dot)) || !digits(tail.substr(dot + 1))) return title;
  return title.substr(0, v);
}

std::string_view TypeName(ReleaseType t) { return kTypes[static_cast<int>(t)].name; }
int TypeHalfPoints(ReleaseType t) { return kTypes[static_cast<int>(t)].halfPoints; }

bool ParseType(std::string_view name, ReleaseType& out) {
  for (int i = 0; i < kTypeCount; ++i) {
    if (kTypes[i].name == name) {
      out = static_cast<ReleaseType>(i);
      return true;
    }
  }
  return false;
}

std::string FormatPoints(int halfPoints) {
  return std::to_string(halfPoints / 2) + (halfPoints % 2 ? ".5" : ".0");
}

bool ParseReleaseList(std::string_view text, ReleaseList& out, std::string& error) {
  out = ReleaseList{};
  int lineNo = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) nl = text.size();
    const std::string_view line = Trim(text.substr(start, nl - start));
    start = nl + 1;
    ++lineNo;
    auto fail = [&](const std::string& message) {
      error = std::to_string(lineNo) + ": " + message;
      return false;
    };
    if (line.empty() || line[0] == '#') continue;
    if (line.substr(0, 6) == "month ") {
      out.month = std::string(Trim(line.substr(6)));
      continue;
    }
    if (line.substr(0, 6) == "group ") {
      Group g;
      g.name = std::string(Trim(line.substr(6)));
      if (g.name.empty()) return fail("group without a name");
      out.groups.push_back(std::move(g));
      continue;
    }
    if (out.groups.empty()) return fail("release before the first group");
    Release r;
    r.sourceLine = lineNo;
    std::string_view rest = line;
    const std::size_t bang = rest.find('!');
    if (bang != std::string_view::npos) {
      r.nuke = std::string(Trim(rest.substr(bang + 1)));
      if (r.nuke.empty()) return fail("nuke without a reason");
      rest = Trim(rest.substr(0, bang));
    }
    const std::size_t sp1 = rest.find(' ');
    if (sp1 == std::string_view::npos) return fail("expected: day type title");
    const std::string_view dayField = rest.substr(0, sp1);
    rest = Trim(rest.substr(sp1));
    const std::size_t sp2 = rest.find(' ');
    if (sp2 == std::string_view::npos) return fail("expected: day type title");
    const std::string_view typeField = rest.substr(0, sp2);
    r.title = std::string(Trim(rest.substr(sp2)));
    auto [ptr, ec] = std::from_chars(dayField.data(), dayField.data() + dayField.size(), r.day);
    if (ec != std::errc() || ptr != dayField.data() + dayField.size() || r.day < 1 || r.day > 31) {
      return fail("day must be 1..31");
    }
    if (!ParseType(typeField, r.type)) return fail("unknown release type " + std::string(typeField));
    if (r.title.empty() || r.title.size() > static_cast<std::size_t>(kMaxTitle)) {
      return fail("title must be 1.." + std::to_string(kMaxTitle) + " characters");
    }
    for (char c : r.title) {
      if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) {
        return fail("titles are plain ASCII");
      }
    }
    out.groups.back().releases.push_back(std::move(r));
  }
  if (out.month.empty()) {
    error = std::to_string(lineNo) + ": the list names no month";
    return false;
  }
  return true;
}

void ScoreAndRank(ReleaseList& list) {
  for (Group& g : list.groups) {
    std::stable_sort(g.releases.begin(), g.releases.end(),
                     [](const Release& a, const Release& b) { return a.day < b.day; });
    std::map<std::string, int> fixesPerTitle;
    std::map<std::string, bool> gameOrIsoSeen;  // by title without version
    int dox = 0;
    g.halfPoints = 0;
    g.lastDay = 0;
    for (Release& r : g.releases) {
      r.note.clear();
      r.halfPoints = TypeHalfPoints(r.type);
      if (!r.nuke.empty()) {
        r.halfPoints = 0;
        continue;
      }
      if (r.type == ReleaseType::Game || r.type == ReleaseType::Iso) {
        bool& seen = gameOrIsoSeen[std::string(BaseTitle(r.title))];
        if (seen) {
          r.halfPoints /= 2;
          r.note = "half, 11.2";
        }
        seen = true;
      } else if (r.type == ReleaseType::Fix) {
        if (++fixesPerTitle[r.title] > kMaxFixesPerTitle) {
          r.halfPoints = 0;
          r.note = "over the cap";
        }
      } else if (r.type == ReleaseType::Dox) {
        if (++dox > kMaxDoxPerGroup) {
          r.halfPoints = 0;
          r.note = "over the cap";
        }
      }
      g.halfPoints += r.halfPoints;
      g.lastDay = std::max(g.lastDay, r.day);
    }
  }
  std::stable_sort(list.groups.begin(), list.groups.end(), [](const Group& a, const Group& b) {
    if (a.halfPoints != b.halfPoints) return a.halfPoints > b.halfPoints;
    if (a.releases.size() != b.releases.size()) return a.releases.size() < b.releases.size();
    return a.lastDay < b.lastDay;
  });
  for (std::size_t i = 0; i < list.groups.size(); ++i) list.groups[i].position = static_cast<int>(i) + 1;
}

std::string ReleaseStatsPage(const ReleaseList& list) {
  std::string page;
  auto line = [&](const std::string& s) { page += s + "\n"; };
  int releases = 0;
  int halfPoints = 0;
  int nuked = 0;
  for (const Group& g : list.groups) {
    releases += static_cast<int>(g.releases.size());
    halfPoints += g.halfPoints;
    for (const Release& r : g.releases) nuked += r.nuke.empty() ? 0 : 1;
  }
  std::string doubleRule;
  for (int i = 0; i < 75; ++i) doubleRule += "═";

  line("%page 4");
  line("% Group Release Stats: generated from releases.dat by korveld-pagegen.");
  line("% Edit the release list, not this output.");
  line("");
  line("");
  line("");
  line("  {b}{H}" + doubleRule + "╗");
  line("  {b}{U}  GROUP RELEASE STATS{3}  ·  {1}" + list.month + "{3}  ·  {Q}THE TOP " +
       std::to_string(list.groups.size()));
  line("  {b}{H}" + doubleRule + "╝");
  line("");
  line("  {l}Every release that counted for the groups of the monthly chart, in chart");
  line("  {l}order. Points follow the rules ({b}RULES{l} button): ISO 8.0, GAME 6.0, DEMO 5.0,");
  line("  {l}TOOL 3.0, INTRO 2.5, MUSIC 2.0, DOX 1.0, FIX 0.5. Nuked releases are listed");
  line("  {l}with their reason and score nothing.");
  line("");

  for (const Group& g : list.groups) {
    line("@8");
    line("");
    std::string pos = std::to_string(g.position);
    if (pos.size() < 2) pos.insert(0, "0");
    std::string head = "  {b}{Q}#" + pos + "  {U}" + Escape(g.name) + "{l}{3}";
    const int afterName = 3 + 1 + static_cast<int>(pos.size()) + 2 + static_cast<int>(g.name.size());
    head += Fill(afterName, 46, '.');
    head += "{1} {b}" + FormatPoints(g.halfPoints) + "{l} points {3}·{1} " +
            Plural(static_cast<int>(g.releases.size()), "release");
    line(head);
    line(kRule);
    line("   {3}Day  Type   Release" + Fill(23, 56, ' ') + "Points");
    for (const Release& r : g.releases) {
      std::string day = std::to_string(r.day);
      if (day.size() < 2) day.insert(0, "0");
      std::string type(TypeName(r.type));
      type.resize(5, ' ');
      std::string s = "   {H}" + day + "   {U}" + type + "  {H}" + Escape(r.title) + "{Q}";
      const int afterTitle = kTitleColumn - 1 + static_cast<int>(r.title.size());
      s += Fill(afterTitle, kLeaderEnd, '.');
      s += "{1} " + RightAlign(FormatPoints(r.halfPoints), kPointsEnd - kLeaderEnd - 1);
      if (!r.nuke.empty()) {
        s += Fill(kPointsEnd, kNoteColumn - 1, ' ') + "{4}NUKED {3}" + Escape(r.nuke);
      } else if (!r.note.empty()) {
        s += Fill(kPointsEnd, kNoteColumn - 1, ' ') + "{3}" + r.note;
      }
      line(s);
    }
    line(kRule);
    std::array<int, kTypeCount> count{};
    std::array<int, kTypeCount> points{};
    for (const Release& r : g.releases) {
      ++count[static_cast<int>(r.type)];
      points[static_cast<int>(r.type)] += r.halfPoints;
    }
    const int most = *std::max_element(count.begin(), count.end());
    for (int t = 0; t < kTypeCount; ++t) {
      if (count[t] == 0) continue;
      const int halfCells = std::max(1, (count[t] * 2 * kBarCells + most / 2) / most);
      std::string type(kTypes[t].name);
      type.resize(5, ' ');
      std::string s = "   {3}" + type + " {" + std::string(1, kTypes[t].barColour) + "}";
      for (int k = 0; k < halfCells / 2; ++k) s += "█";
      if (halfCells % 2) s += "▌";
      const int barEnd = 9 + (halfCells + 1) / 2;
      s += "{1}" + Fill(barEnd, 43, ' ');
      s += RightAlign(std::to_string(count[t]), 3) + (count[t] == 1 ? " release " : " releases");
      s += " {3}·{1} " + RightAlign(FormatPoints(points[t]), 5) + " points";
      line(s);
    }
    line("");
  }

  line("");
  line(kRule);
  line("  {b}{U}TOTAL{l}{1}  " + Thousands(releases) + " releases by " + std::to_string(list.groups.size()) +
       " groups {3}·{1} " + Thousands(halfPoints / 2) + (halfPoints % 2 ? ".5" : ".0") + " points {3}·{1} " +
       std::to_string(nuked) + " nuked");
  line(kRule);
  line("");
  line("");
  line("<END>");
  return page;
}

std::string ReleaseFacts(const ReleaseList& list) {
  std::string out = "# source: content/pages/releases.dat\n";
  auto fact = [&](const std::string& key, const std::string& value) { out += key + "\t" + value + "\n"; };
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
    // Points per release, compared exactly: a/b > c/d as a*d > c*b.
    if (!g.releases.empty() &&
        (best == nullptr || static_cast<long>(g.halfPoints) * static_cast<long>(best->releases.size()) >
                                static_cast<long>(best->halfPoints) * static_cast<long>(g.releases.size()))) {
      best = &g;
    }
  }
  fact("top.groups", std::to_string(list.groups.size()));
  fact("top.releases", Thousands(releases));
  fact("top.points", Thousands(halfPoints / 2) + (halfPoints % 2 ? ".5" : ".0"));
  fact("top.nuked", std::to_string(nuked));
  for (int t = 0; t < kTypeCount; ++t) {
    const std::string key = "type." + std::string(kTypes[t].name) + ".";
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
