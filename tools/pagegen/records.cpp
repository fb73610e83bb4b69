#include "tools/pagegen/records.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <set>

#include "tools/pagegen/data_lines.hpp"
#include "tools/pagegen/record_rules.hpp"

namespace korveld::pagegen {
namespace {

std::vector<std::string> Fields(std::string_view s) {
  std::vector<std::string> out;
  while (true) {
    const std::size_t bar = s.find('|');
    out.emplace_back(Trim(s.substr(0, bar)));
    if (bar == std::string_view::npos) return out;
    s = s.substr(bar + 1);
  }
}

// "1,406" -> 1406; false unless the whole text is a number.
bool ParseCount(std::string_view s, int& value) {
  std::string digits;
  for (char c : s) {
    if (c != ',') digits += c;
  }
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return !digits.empty() && ec == std::errc() && ptr == digits.data() + digits.size();
}

// "4,812.5" -> 9625 half points.
bool ParsePoints(std::string_view s, int& halfPoints) {
  const std::size_t dot = s.rfind('.');
  int whole = 0;
  if (dot == std::string_view::npos || dot + 2 != s.size() || !ParseCount(s.substr(0, dot), whole)) return false;
  if (s.back() != '0' && s.back() != '5') return false;
  halfPoints = whole * 2 + (s.back() == '5' ? 1 : 0);
  return true;
}

// "WORD rest": the first word and the rest.
std::pair<std::string, std::string> Split(std::string_view s) {
  const std::size_t sp = s.find(' ');
  if (sp == std::string_view::npos) return {std::string(s), ""};
  return {std::string(s.substr(0, sp)), std::string(Trim(s.substr(sp + 1)))};
}

}  // namespace

bool ParseRecords(std::string_view text, Records& out, std::string& error) {
  out = Records{};
  return ForEachDataLine(text, [&](std::string_view line, int lineNo) {
    auto fail = [&](const std::string& message) {
      error = std::to_string(lineNo) + ": " + message;
      return false;
    };
    const auto [word, rest] = Split(line);
    if (word == "issue") {
      if (!ParseCount(rest, out.issue)) return fail("expected: issue NUMBER");
    } else if (word == "released") {
      if (rest.size() != 10 || rest[4] != '-' || rest[7] != '-') return fail("expected: released YYYY-MM-DD");
      out.released = rest;
      out.releasedLine = lineNo;
    } else if (word == "figure" || word == "credit") {
      const auto [key, value] = Split(rest);
      if (value.empty()) return fail("expected: " + word + " KEY VALUE");
      (word == "figure" ? out.figures : out.credits).emplace_back(key, value);
    } else if (word == "team" || word == "editor") {
      const auto [name, role] = Split(rest);
      if (role.empty()) return fail("expected: " + word + " NAME ROLE");
      (word == "team" ? out.team : out.editors).push_back({name, role, lineNo});
    } else if (word == "nuked") {
      const auto [reason, count] = Split(rest);
      int n = 0;
      if (!ParseCount(count, n)) return fail("expected: nuked REASON COUNT");
      if (out.nukes.empty()) out.nukesLine = lineNo;
      out.nukes.emplace_back(reason, n);
    } else if (word == "vote" || word == "month" || word == "gotm") {
      const auto [first, second] = Split(rest);
      int n = 0;
      if (second.empty()) return fail("expected: " + word + " and two fields");
      if (word == "gotm") {
        out.groupsOfTheMonth.emplace_back(first, second);
      } else if (word == "vote") {
        if (!ParseCount(first, n)) return fail("expected: vote VOTES GROUP");
        if (out.votes.empty()) out.firstVoteLine = lineNo;
        out.votes.emplace_back(second, n);
      } else {
        if (!ParseCount(second, n)) return fail("expected: month NAME RELEASES");
        if (out.months.empty()) out.monthsLine = lineNo;
        out.months.emplace_back(first, n);
      }
    } else if (word == "yearly" || word == "alltime") {
      const std::vector<std::string> f = Fields(rest);
      ChartRow row;
      row.line = lineNo;
      if (f.size() != 4 || f[0].empty() || !ParsePoints(f[1], row.halfPoints) || !ParseCount(f[2], row.releases) ||
          f[3].empty()) {
        return fail("expected: " + word + " GROUP | POINTS | RELEASES | " + (word == "yearly" ? "TREND" : "ACTIVE"));
      }
      row.name = f[0];
      row.trend = f[3];
      (word == "yearly" ? out.yearly : out.alltime).push_back(std::move(row));
    } else if (word == "year") {
      const std::vector<std::string> f = Fields(rest);
      Records::Year y;
      if (f.size() != 3 || !ParseCount(f[0], y.year) || !ParseCount(f[1], y.releases) || !ParseCount(f[2], y.months)) {
        return fail("expected: year YYYY | RELEASES | MONTHS");
      }
      out.years.push_back(y);
    } else if (word == "top") {
      std::vector<std::string> f = Fields(rest);
      int year = 0;
      if (f.size() < 2 || !ParseCount(f[0], year)) return fail("expected: top YYYY | GROUP | GROUP ...");
      f.erase(f.begin());
      out.numberOnes.emplace_back(year, std::move(f));
      out.numberOnesLines.push_back(lineNo);
    } else if (word == "record") {
      const std::vector<std::string> f = Fields(rest);
      if (f.size() != 4) return fail("expected: record KEY | VALUE | GROUP | WHEN");
      out.records.push_back({f[0], f[1], f[2], f[3], lineNo});
    } else {
      return fail("unknown item \"" + word + "\"");
    }
    return true;
  });
}

std::string RecordFacts(const Records& r, const ReleaseList& month) {
  std::string out = "# source: content/pages/records.dat\n";
  auto fact = [&](const std::string& key, const std::string& value) { out += key + "\t" + value + "\n"; };
  const RecordSummary s = Summarise(r, month);
  fact("issue.number", std::to_string(r.issue));
  if (r.released.size() == 10) {
    fact("issue.date", r.released.substr(8, 2) + "-" + r.released.substr(5, 2) + "-" + r.released.substr(0, 4));
    fact("issue.days.after.closing", std::to_string(s.daysAfterClosing));
  }
  for (const auto& [key, value] : r.figures) fact(key, value);
  for (const auto& [what, who] : r.credits) fact("credit." + what, who);
  auto people = [&](const std::string& list, const std::vector<Person>& ps) {
    for (std::size_t i = 0; i < ps.size(); ++i) {
      fact(list + "." + std::to_string(i + 1) + ".name", ps[i].name);
      fact(list + "." + std::to_string(i + 1) + ".role", ps[i].role);
    }
    fact(list + ".count", std::to_string(ps.size()));
  };
  people("team", r.team);
  people("editor", r.editors);
  fact("voters.count", std::to_string(s.voters));
  std::vector<std::pair<std::string, int>> votes = r.votes;
  std::stable_sort(votes.begin(), votes.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  for (std::size_t i = 0; i < votes.size(); ++i) {
    fact("vote." + std::to_string(i + 1) + ".group", votes[i].first);
    fact("vote." + std::to_string(i + 1) + ".votes", std::to_string(votes[i].second));
  }
  const std::string year = std::to_string(s.year);
  for (const auto& [name, releases] : r.months) fact("month." + name + ".releases", Thousands(releases));
  fact("year." + year + ".releases", Thousands(s.yearReleases));
  fact("year." + year + ".months", std::to_string(r.months.size()));
  fact("year." + year + ".busiest", s.busiestMonth);
  fact("yearly.top.share", std::to_string(s.topSharePercent));
  for (const auto& [when, group] : r.groupsOfTheMonth) fact("gotm." + when, group);
  for (const auto& [group, n] : s.groupsOfTheMonthPerGroup) fact("group." + group + ".gotm", std::to_string(n));
  auto chart = [&](const std::string& list, const std::vector<ChartRow>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::string key = list + "." + std::to_string(i + 1) + ".";
      fact(key + "name", rows[i].name);
      fact(key + "points", Thousands(rows[i].halfPoints / 2) + (rows[i].halfPoints % 2 ? ".5" : ".0"));
      fact(key + "releases", Thousands(rows[i].releases));
      fact(key + (list == "yearly" ? "trend" : "active"), rows[i].trend);
    }
    fact(list + ".count", std::to_string(rows.size()));
  };
  chart("yearly", r.yearly);
  chart("alltime", r.alltime);
  if (r.yearly.size() >= 2) fact("yearly.lead", FormatPoints(r.yearly[0].halfPoints - r.yearly[1].halfPoints));
  for (const Records::Year& y : r.years) fact("year." + std::to_string(y.year) + ".releases", Thousands(y.releases));
  fact("alltime.releases", Thousands(s.alltimeReleases));
  fact("alltime.months", std::to_string(s.alltimeMonths));
  for (const auto& [y, groups] : r.numberOnes) {
    for (std::size_t m = 0; m < groups.size(); ++m) fact("top." + std::to_string(y) + "." + std::to_string(m + 1), groups[m]);
  }
  for (const auto& [group, n] : s.numberOnesPerGroup) fact("group." + group + ".numberones", std::to_string(n));
  if (!s.numberOnesPerGroup.empty()) {
    fact("numberone.most.group", s.numberOnesPerGroup.front().first);
    fact("numberone.most.months", std::to_string(s.numberOnesPerGroup.front().second));
  }
  fact("numberone.current.months", std::to_string(s.currentRun));
  for (const auto& [y, groups] : r.numberOnes) {
    int changes = 0;
    for (std::size_t m = 1; m < groups.size(); ++m) changes += groups[m] != groups[m - 1] ? 1 : 0;
    fact("top." + std::to_string(y) + ".changes", std::to_string(changes));
  }
  for (const auto& [reason, n] : r.nukes) fact("nuked." + reason, std::to_string(n));
  fact("numberone.groups", std::to_string(s.numberOnesPerGroup.size()));
  fact("numberone.inactive", std::to_string(s.inactiveNumberOnes));
  fact("numberone.run.group", s.longestRun.group);
  fact("numberone.run.months", std::to_string(s.longestRun.months));
  fact("numberone.run.from", MonthName(s.longestRun.fromMonth));
  fact("numberone.run.to", MonthName(s.longestRun.toMonth));
  fact("numberone.run.year", std::to_string(s.longestRun.toYear));
  for (const Records::Record& rec : r.records) {
    fact("record." + rec.key + ".value", rec.value);
    fact("record." + rec.key + ".group", rec.group);
    fact("record." + rec.key + ".when", rec.when);
  }
  return out;
}

}  // namespace korveld::pagegen
