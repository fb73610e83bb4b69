#include "tools/pagegen/release_stats.hpp"

#include "tools/pagegen/data_lines.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
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

std::string RightAlign(std::string s, std::size_t width) {
  if (s.size() < width) s.insert(0, width - s.size(), ' ');
  return s;
}

std::string Fill(int fromColumn, int toColumn, char c) {
  return toColumn > fromColumn ? std::string(toColumn - fromColumn, c) : std::string();
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

bool ParsePlace(std::string_view s, int& place) {
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), place);
  return ec == std::errc() && ptr == s.data() + s.size() && place >= 1;
}

// Days of the month of "NOVEMBER 2009"; 0 for anything else.
int DaysOfMonth(std::string_view month) {
  static constexpr std::string_view kNames[] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                                "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const std::size_t sp = month.find(' ');
  int year = 0;
  if (sp == std::string_view::npos || !ParsePlace(month.substr(sp + 1), year)) return 0;
  for (int m = 0; m < 12; ++m) {
    if (month.substr(0, sp) != kNames[m]) continue;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return kDays[m] + (m == 1 && leap ? 1 : 0);
  }
  return 0;
}

std::string Plural(int n, std::string_view word) {
  return std::to_string(n) + " " + std::string(word) + (n == 1 ? "" : "s");
}

}  // namespace

std::string Thousands(int n) {
  const std::string digits = std::to_string(n);
  std::string s;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) s += ',';
    s += digits[i];
  }
  return s;
}

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

std::vector<int> TitleVersion(std::string_view title) {
  const std::string_view base = BaseTitle(title);
  if (base.size() == title.size()) return {};
  std::vector<int> numbers;
  std::string_view tail = title.substr(base.size() + 2);  // after ".v"
  while (!tail.empty()) {
    const std::size_t dot = tail.find('.');
    int n = 0;
    std::from_chars(tail.data(), tail.data() + (dot == std::string_view::npos ? tail.size() : dot), n);
    numbers.push_back(n);
    tail = dot == std::string_view::npos ? std::string_view{} : tail.substr(dot + 1);
  }
  return numbers;
}

std::string TrendWord(const Group& g) {
  if (g.last == kLastNew) return "NEW";
  if (g.last == kLastBack) return "RE";
  if (g.last == g.position) return "SAME";
  return (g.last > g.position ? "UP " : "DOWN ") + std::to_string(std::abs(g.last - g.position));
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
  const bool read = ForEachDataLine(text, [&](std::string_view line, int lineNo) {
    auto fail = [&](const std::string& message) {
      error = std::to_string(lineNo) + ": " + message;
      return false;
    };
    if (line.substr(0, 6) == "month ") {
      out.month = std::string(Trim(line.substr(6)));
      out.monthLine = lineNo;
      out.days = DaysOfMonth(out.month);
      if (out.days == 0) return fail("month must read like \"NOVEMBER 2009\"");
      return true;
    }
    if (line.substr(0, 5) == "left ") {
      Leaver l;
      l.sourceLine = lineNo;
      const std::string_view rest = Trim(line.substr(5));
      const std::size_t sp = rest.find(' ');
      if (sp == std::string_view::npos || !ParsePlace(rest.substr(0, sp), l.last)) {
        return fail("expected: left PLACE NAME");
      }
      l.name = std::string(Trim(rest.substr(sp)));
      out.left.push_back(std::move(l));
      return true;
    }
    if (line.substr(0, 6) == "group ") {
      Group g;
      g.name = std::string(Trim(line.substr(6)));
      g.sourceLine = lineNo;
      if (g.name.empty()) return fail("group without a name");
      out.groups.push_back(std::move(g));
      return true;
    }
    if (line.substr(0, 5) == "last ") {
      if (out.groups.empty()) return fail("last month's place before the first group");
      Group& g = out.groups.back();
      const std::string_view what = Trim(line.substr(5));
      if (g.lastLine != 0) return fail("second last-month line for " + g.name);
      g.lastLine = lineNo;
      if (what == "new") g.last = kLastNew;
      else if (what == "back") g.last = kLastBack;
      else if (!ParsePlace(what, g.last)) return fail("expected: last PLACE, last new or last back");
      return true;
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
    return true;
  });
  if (!read) return false;
  if (out.month.empty()) {
    // Reported at the last line, where the month was still missing.
    const auto lines = std::count(text.begin(), text.end(), '\n') + (text.empty() || text.back() == '\n' ? 0 : 1);
    error = std::to_string(lines) + ": the list names no month";
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
        if (++fixesPerTitle[std::string(BaseTitle(r.title))] > kMaxFixesPerTitle) {
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

}  // namespace korveld::pagegen
